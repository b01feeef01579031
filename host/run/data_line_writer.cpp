#include "run/data_line_writer.h"

#include "run/input_reader.h"

namespace scarpex_host {

namespace {

// A field may end in column 80: the engine reads the place after it as a blank.
constexpr std::size_t kDataLineWidth = 80;

}  // namespace

void DataLineWriter::record(const std::vector<DataField>& fields) {
  std::string current;
  for (const DataField& field : fields) {
    const std::string& text = field.text();
    if (text.size() > kDataLineWidth) {
      throw InputReadError(kNoLine, "the value " + text + " does not fit the " +
                                        std::to_string(kDataLineWidth) + " columns of a line");
    }
    if (current.empty()) {
      current = text;
    } else if (current.size() + 1 + text.size() <= kDataLineWidth) {
      current += " " + text;
    } else {
      lines_.push_back(current);
      current = text;
    }
  }
  if (!current.empty()) lines_.push_back(current);
}

std::string DataLineWriter::text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\n";
  return text;
}

}  // namespace scarpex_host
