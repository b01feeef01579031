// Data lines written for the engine's data-line reader: fields one blank apart, a record per
// line, a record too long for 80 columns carried on over the next lines.
#pragma once

#include <string>
#include <vector>

#include "run/decimal_number.h"

namespace scarpex_host {

// One value of a record: an integer or a real, as its text. Made implicitly, so that a record
// is written as {count, x, y}.
class DataField {
 public:
  DataField(int integer) : text_(std::to_string(integer)) {}
  DataField(const DecimalNumber& real) : text_(real.text()) {}
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

class DataLineWriter {
 public:
  // A line as it stands: a command word, a title, a line the engine never reads.
  void line(const std::string& text) { lines_.push_back(text); }
  // The fields of one record, starting on a new line. A field wider than a data line is an
  // InputReadError.
  void record(const std::vector<DataField>& fields);

  std::string text() const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace scarpex_host
