#include "views/error_text.h"

#include "results/error_codes.h"

namespace scarpex_host {

namespace {

constexpr std::string_view kUnknownMeaning = "an error code this program has no meaning for";

// "Boundaries  1 and  2" -> "Boundaries 1 and 2": the engine's item numbers are fixed-width.
std::string single_blanks(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  }
  return out;
}

// A tab shows as \t: it is no blank to the engine, and often the very fault.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) out += c == '\t' ? std::string("\\t") : std::string(1, c);
  return out + "\"";
}

// An illegal command word is shown as the engine read it, blanks and tabs in it included.
std::string detail_text(const ErrorLine& error) {
  if (error.detail.empty()) return {};
  if (error.code == kIllegalCommandCode) return quoted(error.detail);
  return single_blanks(error.detail);
}

// `input line 8: "20"`, or `data line "20"` when the input file was not found to hold the line
// the engine copied; empty when the error concerns no input line.
std::string input_line_text(const ErrorLine& error) {
  std::string text;
  if (error.input_line) text = "input line " + std::to_string(*error.input_line);
  // A line that holds no more than the detail (a command word alone) is not shown again.
  if (error.input_text && *error.input_text != error.detail) {
    text += (text.empty() ? "data line " : ": ") + quoted(*error.input_text);
  }
  return text;
}

}  // namespace

std::string_view error_meaning(std::string_view code) {
  const ErrorCode* entry = find_error_code(code);
  return entry ? entry->meaning : kUnknownMeaning;
}

std::string error_message(const ErrorLine& error) {
  std::string context = detail_text(error);
  std::string line = input_line_text(error);
  if (!line.empty()) context += (context.empty() ? "" : "; ") + line;
  std::string message(error_meaning(error.code));
  if (!context.empty()) message += " (" + context + ")";
  return message;
}

}  // namespace scarpex_host
