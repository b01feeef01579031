// The errors of the report and trace files: the coded error lines, the copy of the data line
// the engine writes after a data-line error, and the banner of an illegal command, which the
// engine writes without a code (it gets the host's own).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/results.h"
#include "results/text_fields.h"

namespace scarpex_host {

// "****  ERROR - PF02  ****     Boundary  4" -> code and detail; nothing for other lines.
std::optional<ErrorLine> error_line_of(std::string_view line);

class ErrorLineCollector {
 public:
  explicit ErrorLineCollector(std::string file) : file_(std::move(file)) {}

  // Takes `raw`, the line last read from `in`, when it belongs to an error, and then reads on
  // through the rest of a data-line copy; false for any other line.
  bool take(LineCursor& in, std::string_view raw);

  std::vector<ErrorLine>& errors() { return errors_; }

 private:
  void read_data_line_copy(LineCursor& in);
  void add(ErrorLine error, int line);

  std::string file_;
  std::vector<ErrorLine> errors_;
};

}  // namespace scarpex_host
