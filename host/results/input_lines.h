// The line of the input file an error concerns: the data line the engine copied after a
// data-line error, or the line whose command word was illegal.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

// The command words as the engine compares them: six columns, blank-padded, capitals.
inline constexpr std::array<std::string_view, 18> kCommandWords = {
    "PROFIL", "LOADS ", "TIES  ", "WATER ", "SURFAC", "EXECUT", "EQUAKE", "SOIL  ", "RANDOM",
    "CIRCLE", "CIRCL2", "BLOCK ", "BLOCK2", "LIMITS", "ANISO ", "SURBIS", "SPENCR", "REINF "};

// A line of the input file longer than this is cut in `input_text`: the engine reads 80 columns.
inline constexpr std::size_t kInputTextCap = 200;

// Whether an error concerns a line of the input file.
bool concerns_input_line(const ErrorLine& error);

// Sets `input_line` and `input_text` (the input file's own line) on each error that concerns
// a line of `input`, the input file's text, when the line is found there. Where several lines
// would do, the first one from the first command line on is taken.
void locate_input_lines(std::vector<ErrorLine>& errors, std::string_view input);

}  // namespace scarpex_host
