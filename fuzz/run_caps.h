// Caps that keep one fuzzed run short. A legal input may ask for millions of iterations or
// trial surfaces and so run for hours; the fuzzer would report that as a hang although the
// engine does what was asked. The caps lower those few numbers in the input text before the
// run, and leave everything else as it is: the engine itself has no limit of this kind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scarpex::fuzzing {

inline constexpr int64_t kMaxIterationLimit = 50;  // Modified Bishop and Janbu iterations
inline constexpr int64_t kMaxSpencerLimit = 20;    // Spencer outer and inner iterations
inline constexpr int64_t kMaxInitiationPoints = 10;
inline constexpr int64_t kTrialBudget = 60;  // trial surfaces of all searches of one input

// The input as the engine reads it (line ends LF, no CR before them, tabs as blanks), with
// the header's three iteration limits and the searches' point and trial counts capped.
std::string cap_run_length(std::string_view text);

}  // namespace scarpex::fuzzing
