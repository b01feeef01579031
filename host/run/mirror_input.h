// A mirrored run (--mirror): the engine computes on slopes that rise to the right, so the host
// rewrites an input drawn crest-left with every x mirrored about an axis a (x' = a - x, the
// rules per command in mirror_commands.h) and the header's frame set to mirrored about a: the
// engine then computes on the toe-left slope and reports and plots it back as it was drawn.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "run/engine_run.h"

namespace scarpex_host {

struct MirroredInput {
  std::string text;  // the input file to run
  std::string axis;  // the axis, as written: "70."
};

// `input` mirrored about `axis` (a decimal number; empty: the largest x of the input, which
// keeps every mirrored x at 0 or above). Nothing, with `problem` saying why (and on which
// line), when the engine would not read the input through or it cannot be mirrored.
std::optional<MirroredInput> mirror_input(const std::string& input, const std::string& axis,
                                          std::string& problem);

// The name of the mirrored input file written beside the run's outputs: "slope.dat" gives
// "slope.mirrored.dat".
std::string mirrored_input_name(const std::string& input_path);

// The user's input file `input` mirrored for a run in `folder`, as the file to write there;
// nothing, with `problem` set, when it cannot be read or mirrored.
std::optional<RunInput> mirrored_run_input(const std::filesystem::path& input,
                                           const std::filesystem::path& folder,
                                           const std::string& axis, std::string& problem);

}  // namespace scarpex_host
