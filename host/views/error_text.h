// An error in words: what its code means, with the item it names and the input line it
// concerns, as the summary, the JSON document and the HTML page show it.
#pragma once

#include <string>
#include <string_view>

#include "results/results.h"

namespace scarpex_host {

// The meaning of `code` from the table of error codes.
std::string_view error_meaning(std::string_view code);

// The meaning, then in parentheses the detail and the input line:
// `a real number is written without a decimal point (input line 8: "20")`.
std::string error_message(const ErrorLine& error);

}  // namespace scarpex_host
