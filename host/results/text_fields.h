// Line-by-line reading of the output files with clear failures: every error names the file
// and the line. Numbers are read without the locale (a comma-decimal locale set by a program
// embedding the host must not change how "1.938" reads).
#pragma once

#include <istream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scarpex_host {

// A malformed or truncated results file.
class ResultsError : public std::runtime_error {
 public:
  ResultsError(const std::string& file, int line, const std::string& message);
};

std::optional<double> parse_real(std::string_view text);
std::optional<int> parse_int(std::string_view text);
std::string_view trim(std::string_view text);
std::vector<std::string_view> split_blanks(std::string_view text);

// Reads a file line by line as a stream, holding only the line last read and the one after it,
// so that files of any size are read in bounded memory. Lines end at a line feed; a carriage
// return before it is dropped.
class LineCursor {
 public:
  LineCursor(std::string file, std::istream& in);
  LineCursor(std::string file, std::string_view text);  // a text held elsewhere, as a stream

  bool at_end() const { return !has_ahead_; }
  // The next line, valid until the next call; a file that ends here is truncated and `what`
  // says what was expected.
  std::string_view next(const char* what);
  std::string_view peek() const {
    return has_ahead_ ? std::string_view(ahead_) : std::string_view();
  }
  int line_number() const { return line_; }  // of the line last read
  const std::string& file() const { return file_; }
  [[noreturn]] void fail(const std::string& message) const;

  // The values of the line last read: `count` numbers, either separated by blanks or, when
  // wide values run together, in the fixed columns given by `widths`. A field of asterisks
  // (a value too wide for its field) reads as NaN.
  std::vector<double> reals(std::string_view line, const std::vector<int>& widths,
                            const char* what) const;
  std::vector<double> free_reals(std::string_view line, std::size_t count, const char* what) const;
  int count_field(std::string_view line, const char* what) const;  // one non-negative integer

 private:
  void read_ahead();

  std::string file_;
  std::unique_ptr<std::streambuf> view_buffer_;  // for a text given as a view
  std::unique_ptr<std::istream> view_stream_;
  std::istream* in_ = nullptr;
  std::string current_, ahead_;
  bool has_ahead_ = false;
  int line_ = 0;
};

}  // namespace scarpex_host
