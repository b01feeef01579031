// Numbers as text without the locale: the picture, the page and the summary always use a
// decimal point, whatever locale a program embedding the host has set.
#pragma once

#include <string>

namespace scarpex_host {

// `value` with `decimals` digits after the point ("1.938"); "-" for NaN or infinity.
std::string fixed_text(double value, int decimals);

// The shortest text that reads back as `value` ("12.5", "0.001").
std::string short_text(double value);

// `text` safe to print on a terminal: control characters, and bytes that are not UTF-8, as
// \xNN, so that a file name cannot move the cursor or change the terminal's state.
std::string terminal_text(const std::string& text);

// Escapes &, <, >, " and ' for XML and HTML text and attributes; control characters become
// blanks and bytes that are not UTF-8 question marks.
std::string xml_escape(const std::string& text);

}  // namespace scarpex_host
