// The error line of the command language: an empty line, "****  ERROR - " with the
// four-character code and "  ****" indented ten columns, and (usually) an empty line.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/engine.h"
#include "core/text_sink.h"

namespace scarpex {

// The plain error line.
void write_error_line(TextSink& out, std::string_view code);

// The error line followed by `5X`, a label and an item number as I3, e.g. "Boundary  7".
// `empty_line_after` is false for the readers whose item lines have no empty line after them.
void write_error_line_item(TextSink& out, std::string_view code, std::string_view label,
                           int32_t number, bool empty_line_after = true);

// The plain error line to the report, with `input_error_flag` set to 1 (a non-fatal error).
void report_input_error(Engine& e, std::string_view code);

// The same with a label and an item number.
void report_input_error_item(Engine& e, std::string_view code, std::string_view label,
                             int32_t number, bool empty_line_after = true);

// Writes "text" on a line of its own, three empty lines before it, indented ten columns:
// the layout of the suppression and reactivation messages.
void write_toggle_message(TextSink& out, std::string_view text);

// The suppression rule shared by LOADS, TIES, WATER, ANISO and LIMITS for a count of 0.
void apply_suppression_rule(Engine& e, int32_t& active_flag, int32_t stored_count,
                            std::string_view error_code, std::string_view suppressed_text,
                            std::string_view reactivated_text);

}  // namespace scarpex
