// The commands of an input file mirrored about a vertical axis a (x' = a - x), so that a
// section drawn crest-left reaches the engine as the toe-left section it expects. Per command:
//   PROFIL  every x mirrored; the top boundaries in reverse order (the ground surface runs
//           left to right), each boundary with its ends exchanged; the lower boundaries keep
//           their order (top down).
//   WATER   each surface's points mirrored and in reverse order.
//   LOADS   the loads in reverse order, each with its ends and its two intensities exchanged;
//           the deflection changes sign.
//   TIES    the head's x mirrored (an x of 0., "find the head on the boundary", stays 0.);
//           the inclination, below the horizontal towards increasing x, becomes 180 - it;
//           a top boundary k of NT is numbered NT + 1 - k, as PROFIL renumbers them.
//   REINF   each layer's points mirrored and in reverse order.
//   ANISO   the direction limits, counterclockwise angles of the slice base, change sign: the
//           ranges come in reverse order (see mirror_commands.cpp).
//   LIMITS  every boundary's ends mirrored and exchanged; the order stays (the first NDEF
//           deflect upward).
//   SURFAC, SURBIS  the points mirrored and in reverse order.
//   CIRCLE, CIRCL2, RANDOM  initiation and termination exchange roles: the new initiation range
//           is the mirrored termination range and the other way round. The angle restriction
//           is kept: it bounds the first segment where the engine starts each surface, measured
//           from the horizontal and positive upward, which mirroring does not change.
//   BLOCK, BLOCK2  the boxes in reverse order, each with its ends exchanged.
//   SOIL, EQUAKE, SPENCR, EXECUT  hold no x and no direction: written as read.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "run/data_line_writer.h"
#include "run/decimal_number.h"
#include "run/input_reader.h"

namespace scarpex_host {

// One pass over the commands. The first pass mirrors about no axis: it finds the largest x
// of the file, the default axis. The second mirrors every x about the axis.
class MirrorPass {
 public:
  MirrorPass() = default;
  explicit MirrorPass(DecimalNumber axis) : axis_(std::move(axis)) {}

  // An x-coordinate read on `line`, mirrored in the second pass. A negative one is refused:
  // the engine would report it, and mirrored it would no longer be negative.
  DecimalNumber x(const DecimalNumber& value, int line);
  bool mirroring() const { return axis_.has_value(); }
  DecimalNumber axis() const { return axis_.value_or(DecimalNumber()); }
  const std::optional<DecimalNumber>& largest_x() const { return largest_x_; }
  // Whether the engine takes `x`: it refuses coordinates at or below -0.001, its tolerance.
  static bool engine_takes(const DecimalNumber& x);
  int largest_x_line() const { return largest_x_line_; }

  // What the engine's command loop keeps track of, as far as mirroring needs it.
  int top_count = 0;  // top boundaries of the last PROFIL, which TIES numbers
  bool soil_given = false;
  bool surface_waiting = false;  // a SURFAC or SURBIS for EXECUT to analyse

 private:
  std::optional<DecimalNumber> axis_;
  std::optional<DecimalNumber> largest_x_;
  int largest_x_line_ = 0;
};

// Reads the data lines of the command `word` (its six columns) and writes them mirrored.
// False when `word` is no command of the engine.
bool mirror_command(const std::string& word, DataLineReader& in, DataLineWriter& out,
                    MirrorPass& pass);

// EXECUT with no surface to analyse ends the engine's run (so does EXECUT before any SOIL).
inline bool run_ends(const std::string& word, const MirrorPass& pass) {
  return word == "EXECUT" && (!pass.soil_given || !pass.surface_waiting);
}

}  // namespace scarpex_host
