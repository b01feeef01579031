#include "run/mirror_commands.h"

#include <algorithm>
#include <map>
#include <vector>

#include "run/mirror_fields.h"

namespace scarpex_host {

namespace {

using namespace mirroring;

// Table sizes of the engine: a count beyond one ends the engine's run while it reads the
// command, so nothing after it could be mirrored as the engine would read it.
constexpr int kMaxBoundaries = 100;
constexpr int kMaxSoils = 20;
constexpr int kMaxPiezoSurfaces = 10;
constexpr int kMaxPiezoPoints = 40;
constexpr int kMaxLoads = 50;
constexpr int kMaxTies = 10;
constexpr int kMaxReinfLayers = 50;
constexpr int kMinReinfPoints = 2;
constexpr int kMaxReinfPoints = 40;
constexpr int kMaxAnisoEntries = 10;
constexpr int kMinDirectionRanges = 2;
constexpr int kMaxDirectionRanges = 10;
constexpr int kMaxLimits = 20;
constexpr int kMaxSurfacePoints = 100;
constexpr int kMaxBoxes = 10;

constexpr int kStraightAngle = 180;  // degrees
constexpr int kRightAngle = 90;      // degrees

// The engine takes a coordinate down to minus its tolerance and reports a lower one.
const DecimalNumber& lowest_coordinate() {
  static const DecimalNumber lowest = -*DecimalNumber::parse_plain("0.001");
  return lowest;
}

// ----------------------------------------------------------------------------- PROFIL

void mirror_profile(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  out.line(in.whole_line("title"));
  int count = in.integer("boundary count");
  int top = in.integer("top boundary count");
  Fields counts = {count, top, in.integer("unit system")};
  check_count(in, count, kMaxBoundaries, "boundaries");
  if (top < 1 || top > count) {
    in.fail(std::to_string(top) + " top boundaries of " + std::to_string(count) +
            ": there is no ground surface to mirror");
  }
  std::vector<std::pair<MirroredSegment, int>> boundaries;
  for (int i = 1; i <= count; ++i) {
    std::string item = "boundary " + std::to_string(i);
    MirroredSegment s = read_segment(in, pass, item);
    boundaries.emplace_back(s, in.integer(item + " soil type"));
  }
  out.record(counts);
  // The ground surface runs left to right; the lower boundaries are listed top down.
  std::reverse(boundaries.begin(), boundaries.begin() + top);
  for (const auto& [segment, soil] : boundaries) {
    Fields fields = exchanged_ends(segment);
    fields.emplace_back(soil);
    out.record(fields);
  }
  pass.top_count = top;
  pass.surface_waiting = false;
}

// ----------------------------------------------------------------------------- SOIL

constexpr int kSoilRealItems = 6;
constexpr int kDepthVariationItems = 8;

// Items 1 to 7 of a soil type: six reals and the piezometric surface number.
Fields soil_items(DataLineReader& in, const std::string& item) {
  Fields fields = reals(in, kSoilRealItems, item);
  fields.emplace_back(in.integer(item + " piezometric surface"));
  return fields;
}

void copy_soil(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  pass.soil_given = true;
  int heading = in.integer("heading switch");
  int count = in.integer("soil count");
  out.record({heading, count});
  if (count > 0) {
    check_count(in, count, kMaxSoils, "soil types");
    for (int k = 1; k <= count; ++k) {
      std::string item = "soil type " + std::to_string(k);
      Fields fields = soil_items(in, item);
      int depth_switch = in.integer(item + " depth-variation switch");
      fields.emplace_back(depth_switch);
      out.record(fields);
      if (depth_switch > 0) out.record(reals(in, kDepthVariationItems, item));
    }
    return;
  }
  int changes = in.integer("change count");
  check_count(in, changes, kMaxSoils, "soil changes");
  out.record({changes});
  for (int c = 1; c <= changes; ++c) {
    std::string item = "change " + std::to_string(c);
    int type = in.integer(item + " soil type");
    check_count(in, type, kMaxSoils, "as the soil type of " + item);
    Fields fields = {type};
    for (const DataField& f : soil_items(in, item)) fields.push_back(f);
    out.record(fields);
  }
}

// ----------------------------------------------------------------------------- WATER

void mirror_water(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int count = in.integer("surface count");
  if (toggled(out, count)) return;
  check_count(in, count, kMaxPiezoSurfaces, "piezometric surfaces");
  out.record({count, in.real("unit weight of water")});
  for (int j = 1; j <= count; ++j) {
    std::string item = "surface " + std::to_string(j);
    int points = in.integer(item + " point count");
    check_count(in, points, kMaxPiezoPoints, "points on " + item);
    out.record({points});
    write_points_reversed(out, read_points(in, pass, points, item));
  }
}

// ----------------------------------------------------------------------------- LOADS

void mirror_loads(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int count = in.integer("load count");
  if (toggled(out, count)) return;
  check_count(in, count, kMaxLoads, "loads");
  out.record({count});
  std::vector<Fields> loads;
  for (int i = 1; i <= count; ++i) {
    std::string item = "load " + std::to_string(i);
    DecimalNumber left = read_x(in, pass, item + " x-left");
    DecimalNumber right = read_x(in, pass, item + " x-right");
    DecimalNumber intensity_left = in.real(item + " intensity left");
    DecimalNumber intensity_right = in.real(item + " intensity right");
    DecimalNumber deflection = in.real(item + " deflection");
    // Loads are given left to right, each from its left end.
    loads.push_back({right, left, intensity_right, intensity_left, -deflection});
  }
  for (auto load = loads.rbegin(); load != loads.rend(); ++load) {
    out.record(*load);
  }
}

// ----------------------------------------------------------------------------- TIES

// The head's x; 0. asks the engine to find the head on its boundary and stays 0.
DecimalNumber tie_head_x(DataLineReader& in, MirrorPass& pass, const std::string& item) {
  DecimalNumber x = in.real(item + " x");
  if (x.is_zero()) return x;
  DecimalNumber mirrored = pass.x(x, in.line_number());
  if (pass.mirroring() && mirrored.is_zero()) {
    in.fail(item + ": its head at x = " + x.text() +
            " lies on the mirror axis, where x = 0. would ask the engine to find the head "
            "itself; mirror about an axis right of it");
  }
  return mirrored;
}

void mirror_ties(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int count = in.integer("row count");
  if (toggled(out, count)) return;
  check_count(in, count, kMaxTies, "tieback rows");
  out.record({count});
  for (int i = 1; i <= count; ++i) {
    std::string item = "row " + std::to_string(i);
    int boundary = in.integer(item + " boundary");
    if (boundary >= 1 && boundary <= pass.top_count) boundary = pass.top_count + 1 - boundary;
    DecimalNumber x = tie_head_x(in, pass, item);
    Fields fields = {boundary, x, in.real(item + " y"), in.real(item + " load"),
                     in.real(item + " spacing")};
    fields.emplace_back(DecimalNumber::of_integer(kStraightAngle) - in.real(item + " inclination"));
    fields.emplace_back(in.real(item + " length"));
    out.record(fields);
  }
}

// ----------------------------------------------------------------------------- REINF

constexpr int kReinfPointForces = 3;  // axial force, shear force, inclination factor

void mirror_reinforcement(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int count = in.integer("layer count");
  out.record({count});
  if (count == 0) return;  // nothing more is read
  check_count(in, count, kMaxReinfLayers, "reinforcement layers");
  for (int k = 1; k <= count; ++k) {
    std::string item = "layer " + std::to_string(k);
    int points = in.integer(item + " point count");
    check_range_count(in, points, kMinReinfPoints, kMaxReinfPoints, item + " point count");
    std::vector<Fields> rows;
    for (int p = 1; p <= points; ++p) {
      std::string name = item + " point " + std::to_string(p);
      Fields row = {read_x(in, pass, name + " x"), in.real(name + " y")};
      for (const DataField& f : reals(in, kReinfPointForces, name)) row.push_back(f);
      rows.push_back(row);
    }
    out.record({points});
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) out.record(*row);
  }
}

// ----------------------------------------------------------------------------- ANISO

struct DirectionRange {
  DecimalNumber limit, cohesion, friction;
};

bool engine_takes(const std::vector<DirectionRange>& ranges) {
  for (std::size_t i = 1; i < ranges.size(); ++i) {
    if (ranges[i].limit < ranges[i - 1].limit) return false;
  }
  return !(ranges.back().limit < DecimalNumber::of_integer(kRightAngle));
}

// Range k + 1 holds the slice bases inclined from limit k up to limit k + 1 (range 1 those
// below limit 1), and mirroring turns an inclination into its negative. So the mirrored table
// holds the same ranges in reverse order, each closed by the negative of the limit that
// opened it; the last, open upward, is closed at 90 degrees or more as the engine needs. A
// base exactly on a limit falls into the range on the other side of it. A table the engine
// refuses (limits not ascending, the last below 90 degrees) is passed on as it stands, for
// the engine to report.
std::vector<DirectionRange> mirrored_ranges(const std::vector<DirectionRange>& ranges) {
  if (!engine_takes(ranges)) return ranges;
  std::vector<DirectionRange> mirrored;
  const std::size_t n = ranges.size();
  for (std::size_t j = 0; j + 1 < n; ++j) {
    const DirectionRange& range = ranges[n - 1 - j];
    mirrored.push_back({-ranges[n - 2 - j].limit, range.cohesion, range.friction});
  }
  DecimalNumber last = std::max(ranges.back().limit, -ranges.front().limit);
  mirrored.push_back({last, ranges.front().cohesion, ranges.front().friction});
  return mirrored;
}

void mirror_range_table(DataLineReader& in, DataLineWriter& out, Fields counts,
                        const std::string& item) {
  int count = in.integer(item + " range count");
  check_range_count(in, count, kMinDirectionRanges, kMaxDirectionRanges, item + " range count");
  counts.emplace_back(count);
  out.record(counts);
  std::vector<DirectionRange> ranges;
  for (int r = 1; r <= count; ++r) {
    std::string name = item + " range " + std::to_string(r);
    ranges.push_back({in.real(name + " direction"), in.real(name + " cohesion"),
                      in.real(name + " friction angle")});
  }
  for (const DirectionRange& r : mirrored_ranges(ranges)) {
    out.record({r.limit, r.cohesion, r.friction});
  }
}

void mirror_anisotropy(DataLineReader& in, DataLineWriter& out, MirrorPass&) {
  int count = in.integer("entry count");
  if (toggled(out, count)) return;
  check_count(in, count, kMaxAnisoEntries, "anisotropy entries");
  out.record({count});
  for (int i = 1; i <= count; ++i) {
    std::string item = "entry " + std::to_string(i);
    int soil = in.integer(item + " soil type");
    int bottom = in.integer(item + " bottom switch");
    mirror_range_table(in, out, {soil, bottom}, item);
    if (bottom > 0) mirror_range_table(in, out, {}, item + " bottom");
  }
}

// ----------------------------------------------------------------------------- LIMITS

void mirror_limits(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int count = in.integer("boundary count");
  if (toggled(out, count)) return;
  check_count(in, count, kMaxLimits, "limit boundaries");
  out.record({count, in.integer("upward count")});
  for (int i = 1; i <= count; ++i) {
    MirroredSegment s = read_segment(in, pass, "boundary " + std::to_string(i));
    out.record(exchanged_ends(s));
  }
}

// ----------------------------------------------------------------------------- SURFAC, SURBIS

void mirror_surface(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int count = in.integer("point count");
  check_count(in, count, kMaxSurfacePoints, "surface points");
  out.record({count});
  write_points_reversed(out, read_points(in, pass, count, "surface"));
  pass.surface_waiting = true;
}

// ----------------------------------------------------------------------------- searches

void mirror_trial_search(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int points = in.integer("initiation point count");
  out.record({points, in.integer("surfaces per point")});
  DecimalNumber init_left = read_x(in, pass, "initiation x-left");
  DecimalNumber init_right = read_x(in, pass, "initiation x-right");
  DecimalNumber term_left = read_x(in, pass, "termination x-left");
  DecimalNumber term_right = read_x(in, pass, "termination x-right");
  // Surfaces start in the mirrored termination range and end in the mirrored initiation
  // range; the engine reports both back in the user's frame with their roles exchanged.
  out.record({term_right, term_left});
  out.record({init_right, init_left});
  out.record({in.real("minimum elevation"), in.real("segment length")});
  out.record({in.real("upper initiation angle"), in.real("lower initiation angle")});
  pass.surface_waiting = false;
}

void mirror_block_search(DataLineReader& in, DataLineWriter& out, MirrorPass& pass) {
  int surfaces = in.integer("surface count");
  int boxes = in.integer("box count");
  check_count(in, boxes, kMaxBoxes, "boxes");
  out.record({surfaces, boxes});
  out.record({in.real("segment length")});
  std::vector<Fields> rows;
  for (int i = 1; i <= boxes; ++i) {
    std::string item = "box " + std::to_string(i);
    MirroredSegment s = read_segment(in, pass, item);
    Fields row = exchanged_ends(s);
    row.emplace_back(in.real(item + " height"));
    rows.push_back(row);
  }
  // Boxes follow one another from left to right.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) out.record(*row);
  pass.surface_waiting = false;
}

// ----------------------------------------------------------------------------- the rest

void copy_earthquake(DataLineReader& in, DataLineWriter& out, MirrorPass&) {
  out.record({in.real("horizontal coefficient"), in.real("vertical coefficient"),
              in.real("cavitation pressure")});
}

void copy_spencer(DataLineReader& in, DataLineWriter& out, MirrorPass&) {
  out.record({in.real("value")});
}

void read_nothing(DataLineReader&, DataLineWriter&, MirrorPass&) {}

using CommandMirror = void (*)(DataLineReader&, DataLineWriter&, MirrorPass&);

const std::map<std::string, CommandMirror>& command_mirrors() {
  static const std::map<std::string, CommandMirror> mirrors = {
      {"PROFIL", mirror_profile},       {"SOIL  ", copy_soil},
      {"WATER ", mirror_water},         {"LOADS ", mirror_loads},
      {"TIES  ", mirror_ties},          {"EQUAKE", copy_earthquake},
      {"REINF ", mirror_reinforcement}, {"ANISO ", mirror_anisotropy},
      {"LIMITS", mirror_limits},        {"SURFAC", mirror_surface},
      {"SURBIS", mirror_surface},       {"SPENCR", copy_spencer},
      {"EXECUT", read_nothing},         {"CIRCLE", mirror_trial_search},
      {"CIRCL2", mirror_trial_search},  {"RANDOM", mirror_trial_search},
      {"BLOCK ", mirror_block_search},  {"BLOCK2", mirror_block_search},
  };
  return mirrors;
}

}  // namespace

bool MirrorPass::engine_takes(const DecimalNumber& x) {
  return lowest_coordinate() < x;
}

DecimalNumber MirrorPass::x(const DecimalNumber& value, int line) {
  if (!engine_takes(value)) {
    throw InputReadError(line, "x = " + value.text() +
                                   " is negative; the engine refuses it, and mirrored it "
                                   "would no longer be");
  }
  if (!largest_x_ || *largest_x_ < value) {
    largest_x_ = value;
    largest_x_line_ = line;
  }
  return axis_ ? *axis_ - value : value;
}

bool mirror_command(const std::string& word, DataLineReader& in, DataLineWriter& out,
                    MirrorPass& pass) {
  auto found = command_mirrors().find(word);
  if (found == command_mirrors().end()) return false;
  found->second(in, out, pass);
  return true;
}

}  // namespace scarpex_host
