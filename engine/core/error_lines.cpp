#include "core/error_lines.h"

#include "core/fortran_format.h"

namespace scarpex {

void write_error_line(TextSink& out, std::string_view code) {
  static const FortranFormat kLine("(/,10X,'****  ERROR - ',A4,'  ****',/)");
  kLine.write(out, {code});
}

void write_error_line_item(TextSink& out, std::string_view code, std::string_view label,
                           int32_t number, bool empty_line_after) {
  static const FortranFormat kWithEmpty("(/,10X,'****  ERROR - ',A4,'  ****',5X,A,I3,/)");
  static const FortranFormat kWithout("(/,10X,'****  ERROR - ',A4,'  ****',5X,A,I3)");
  (empty_line_after ? kWithEmpty : kWithout).write(out, {code, label, number});
}

void report_input_error(Engine& e, std::string_view code) {
  write_error_line(e.report, code);
  e.model.input_error_flag = 1;
}

void report_input_error_item(Engine& e, std::string_view code, std::string_view label,
                             int32_t number, bool empty_line_after) {
  write_error_line_item(e.report, code, label, number, empty_line_after);
  e.model.input_error_flag = 1;
}

void write_toggle_message(TextSink& out, std::string_view text) {
  static const FortranFormat kMessage("(/,/,/,10X,A)");
  kMessage.write(out, {text});
}

void apply_suppression_rule(Engine& e, int32_t& active_flag, int32_t stored_count,
                            std::string_view error_code, std::string_view suppressed_text,
                            std::string_view reactivated_text) {
  if (active_flag == 1) {
    write_toggle_message(e.report, suppressed_text);
    active_flag = 0;
    return;
  }
  if (stored_count <= 0) report_input_error(e, error_code);
  write_toggle_message(e.report, reactivated_text);
  active_flag = 1;
}

}  // namespace scarpex
