// An input data file read as the engine reads it, for the host's own rewriting of it (a
// mirrored run): the header's free-format groups and the commands' 80-column data lines.
// Whatever the engine would not read, or would stop on, is an InputReadError naming the line.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "run/decimal_number.h"

namespace scarpex_host {

// Line numbers of an InputReadError that name no line of the file.
constexpr int kAtEndOfFile = 0;
constexpr int kNoLine = -1;

class InputReadError : public std::runtime_error {
 public:
  InputReadError(int line, const std::string& message);
  int line() const { return line_; }  // from 1, or kAtEndOfFile, or kNoLine
  // The message with the line it concerns: "line 12: ...".
  std::string located() const;

 private:
  int line_;
};

// The lines of the file, taken one after another by the header and the command readers.
class InputLines {
 public:
  // Lines end at line feeds; a carriage return before one is dropped, as the engine does.
  explicit InputLines(std::string_view text);

  bool at_end() const { return next_ >= lines_.size(); }
  // The next line; at the end of the file an InputReadError saying what was due.
  const std::string& take(const std::string& what);
  int line_number() const { return static_cast<int>(next_); }  // of the line last taken
  // The lines not taken yet, as they stand.
  std::vector<std::string> rest() const;

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
};

// One group of the header in list-directed form: values separated by blanks (a tab counts
// as one) or commas, over as many lines as needed; two commas in a row give a null value,
// "r*value" repeats a value and "r*" gives r nulls, and a slash ends the group. The group
// starts on a new line and what is left of its last line is not read.
struct HeaderGroup {
  std::vector<std::optional<std::string>> items;  // the texts of the values; none: null
  std::vector<std::string> lines;                 // the lines it was read from, as they stand
};
HeaderGroup read_header_group(InputLines& input, std::size_t count, const std::string& what);

// The header as the engine reads it: its keyword line and two groups, the frame's keyword line
// and two groups. The lines up to the frame's values as they stand, and those values.
struct InputHeader {
  std::vector<std::string> lines;  // up to the frame's keyword line
  std::vector<std::optional<std::string>> frame_integers, frame_reals;
  int frame_line = 0;  // the line the frame's values end on
};
InputHeader read_input_header(InputLines& input);
inline constexpr std::size_t kFrameIntegers = 3;
inline constexpr std::size_t kFrameReals = 6;

// The command word of a line: its first six columns, padded with blanks ("BLOCK ").
std::string command_word(const std::string& line);
inline constexpr const char* kBlankCommandWord = "      ";
// The word without its padding, as messages name it.
std::string trimmed_word(const std::string& word);

// A header integer as the engine reads it: an optional sign and digits.
std::optional<long> parse_header_integer(std::string_view text);

// The data lines of one command, read value by value as the engine's data-line reader does:
// 80 columns, fields separated by one blank, two blanks ending a line's data, a new data line
// never beginning with a blank, a lower-case "o" in a field read as the digit zero.
class DataLineReader {
 public:
  DataLineReader(InputLines& input, std::string command);

  // An unsigned integer (no point, no sign).
  int integer(const std::string& item);
  // A real: a decimal point is needed, a leading "-" is the sign; after the point any
  // character that is not a digit counts as 0, as the engine reads it.
  DecimalNumber real(const std::string& item);
  // The next line as a whole (the title of PROFIL).
  std::string whole_line(const std::string& item);
  int line_number() const { return line_number_; }  // of the last value or line read

  [[noreturn]] void fail(const std::string& message) const;

 private:
  // The next field's text and its line number.
  std::string field(const std::string& item);

  InputLines& input_;
  std::string command_;
  std::string line_;  // the current data line, 80 columns
  int line_number_ = 0;
  std::size_t column_ = 0;  // index of the blank that ended the last field
  bool loaded_ = false;
};

}  // namespace scarpex_host
