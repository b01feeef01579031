#include "run/mirror_fields.h"

namespace scarpex_host::mirroring {

namespace {

// A count of 0 suppresses or reactivates the data of LOADS, TIES, WATER, ANISO and LIMITS.
constexpr int kToggleCount = 0;

}  // namespace

void check_count(DataLineReader& in, int count, int most, const std::string& what) {
  if (count > most) {
    in.fail(std::to_string(count) + " " + what + "; the engine takes at most " +
            std::to_string(most) + " and stops there");
  }
}

void check_range_count(DataLineReader& in, int count, int least, int most,
                       const std::string& what) {
  if (count < least || count > most) {
    in.fail(what + " " + std::to_string(count) + "; the engine takes " + std::to_string(least) +
            " to " + std::to_string(most) + " and stops otherwise");
  }
}

Fields reals(DataLineReader& in, int count, const std::string& item) {
  Fields fields;
  for (int i = 1; i <= count; ++i) {
    fields.emplace_back(in.real(item + " value " + std::to_string(i)));
  }
  return fields;
}

DecimalNumber read_x(DataLineReader& in, MirrorPass& pass, const std::string& item) {
  DecimalNumber x = in.real(item);
  return pass.x(x, in.line_number());
}

std::vector<MirroredPoint> read_points(DataLineReader& in, MirrorPass& pass, int count,
                                       const std::string& item) {
  std::vector<MirroredPoint> points;
  for (int p = 1; p <= count; ++p) {
    std::string name = item + " point " + std::to_string(p);
    DecimalNumber x = read_x(in, pass, name + " x");
    points.push_back({x, in.real(name + " y")});
  }
  return points;
}

void write_points_reversed(DataLineWriter& out, const std::vector<MirroredPoint>& points) {
  for (auto p = points.rbegin(); p != points.rend(); ++p) out.record({p->x, p->y});
}

MirroredSegment read_segment(DataLineReader& in, MirrorPass& pass, const std::string& item) {
  MirroredSegment s;
  s.left.x = read_x(in, pass, item + " x-left");
  s.left.y = in.real(item + " y-left");
  s.right.x = read_x(in, pass, item + " x-right");
  s.right.y = in.real(item + " y-right");
  return s;
}

Fields exchanged_ends(const MirroredSegment& s) {
  return {s.right.x, s.right.y, s.left.x, s.left.y};
}

bool toggled(DataLineWriter& out, int count) {
  if (count != kToggleCount) return false;
  out.record({count});
  return true;
}

}  // namespace scarpex_host::mirroring
