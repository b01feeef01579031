// The input data file, read line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scarpex {

class LineSource {
 public:
  // Loads the whole file; false when it cannot be opened.
  bool open_file(const std::string& path);
  void open_text(std::string text);
  void close();
  bool is_open() const { return open_; }

  // The next line without its line end; false at the end of the file. A CR before the LF
  // is dropped (files written on Windows). Every other character, a tab included, stays as it
  // is: the readers decide what it means (a tab is no blank to the data-line reader).
  bool next_line(std::string& line);

 private:
  std::string text_;
  std::size_t pos_ = 0;
  bool open_ = false;
};

}  // namespace scarpex
