// Reading and writing the values of one command's records for a mirrored run: counts
// checked against the engine's tables, x-coordinates mirrored as they are read, polylines
// and segments turned so that they run left to right again.
#pragma once

#include <string>
#include <vector>

#include "run/data_line_writer.h"
#include "run/decimal_number.h"
#include "run/input_reader.h"
#include "run/mirror_commands.h"

namespace scarpex_host::mirroring {

using Fields = std::vector<DataField>;

// A count beyond the engine's table ends its run there: an InputReadError.
void check_count(DataLineReader& in, int count, int most, const std::string& what);
void check_range_count(DataLineReader& in, int count, int least, int most, const std::string& what);

// `count` reals as read.
Fields reals(DataLineReader& in, int count, const std::string& item);

// An x-coordinate: read, then mirrored (with the line it stands on for a refusal).
DecimalNumber read_x(DataLineReader& in, MirrorPass& pass, const std::string& item);

struct MirroredPoint {
  DecimalNumber x, y;
};

// The points of a polyline given left to right, with their x mirrored; written in reverse
// order, they run left to right again.
std::vector<MirroredPoint> read_points(DataLineReader& in, MirrorPass& pass, int count,
                                       const std::string& item);
void write_points_reversed(DataLineWriter& out, const std::vector<MirroredPoint>& points);

// A straight piece given by its left and right end (a boundary, a limit, a box), mirrored.
struct MirroredSegment {
  MirroredPoint left, right;
};
MirroredSegment read_segment(DataLineReader& in, MirrorPass& pass, const std::string& item);
// Mirrored, the right end becomes the left one.
Fields exchanged_ends(const MirroredSegment& s);

// A count of 0 (suppress or reactivate) is written as read; true when the command ends there.
bool toggled(DataLineWriter& out, int count);

}  // namespace scarpex_host::mirroring
