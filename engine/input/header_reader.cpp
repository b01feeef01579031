#include "input/header_reader.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/fortran_format.h"
#include "core/run_control.h"

namespace scarpex {

namespace {

// Values of a group are separated by blanks or commas and may run over several lines; each
// group begins on a new line, so what is left of the line after a group is not read.
class FreeFormatGroup {
 public:
  explicit FreeFormatGroup(LineSource& input) : input_(input) {}

  // The next value's text; false at the end of the file.
  bool next(std::string& token) {
    while (next_ >= tokens_.size()) {
      std::string line;
      if (!input_.next_line(line)) return false;
      split(line);
    }
    token = tokens_[next_++];
    return true;
  }

 private:
  void split(const std::string& line) {
    tokens_.clear();
    next_ = 0;
    std::size_t pos = 0;
    while (pos < line.size()) {
      std::size_t start = line.find_first_not_of(" ,", pos);
      if (start == std::string::npos) break;
      std::size_t end = line.find_first_of(" ,", start);
      if (end == std::string::npos) end = line.size();
      tokens_.push_back(line.substr(start, end - start));
      pos = end;
    }
  }

  LineSource& input_;
  std::vector<std::string> tokens_;
  std::size_t next_ = 0;
};

bool parse_integer(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  if (text.find_first_not_of("+-0123456789") != std::string::npos) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

// A real in list-directed form: an optional sign, digits with or without a decimal point,
// and an optional exponent written with E or D.
bool parse_real(std::string text, float& value) {
  if (text.empty() || text.find_first_not_of("+-.0123456789EeDd") != std::string::npos) {
    return false;
  }
  for (char& c : text) {
    if (c == 'D' || c == 'd') c = 'E';
  }
  char* end = nullptr;
  errno = 0;
  float parsed = std::strtof(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE) return false;
  value = parsed;
  return true;
}

void report_header_error(Engine& e, std::string_view code, std::string_view item) {
  static const FortranFormat kLine("(/,10X,'****  ERROR - ',A4,'  ****',5X,'Header Item: ',A,/)");
  kLine.write(e.report, {code, item});
  kLine.write(e.trace, {code, item});
  abort_run(e);
}

// HD01: the header ends before this value; HD02: the value cannot be read.
template <typename T, typename Parse>
bool read_group(Engine& e, T* values, const std::vector<std::string_view>& names, Parse parse) {
  FreeFormatGroup group(e.input);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string token;
    if (!group.next(token)) {
      report_header_error(e, "HD01", names[i]);
      return false;
    }
    if (!parse(token, values[i + 1])) {
      report_header_error(e, "HD02", names[i]);
      return false;
    }
  }
  return true;
}

// Columns 1 to 6 of a keyword line are read and not checked.
bool read_keyword_line(Engine& e) {
  std::string line;
  return e.input.next_line(line);
}

}  // namespace

bool read_input_header(Engine& e) {
  ProblemModel& m = e.model;
  if (!read_keyword_line(e)) return false;
  if (!read_group(
          e, m.solver_int_controls.data(),
          {"Iteration Limit", "Spencer Outer Iteration Limit", "Spencer Inner Iteration Limit",
           "Reinforcement Placement", "Reinforcement Scaling", "Report Switch"},
          parse_integer)) {
    return false;
  }
  if (!read_group(e, m.solver_real_controls.data(),
                  {"Convergence Tolerance", "Spencer Moment Tolerance", "Spencer Force Tolerance",
                   "Spencer Agreement Tolerance"},
                  parse_real)) {
    return false;
  }
  if (!read_keyword_line(e)) return false;
  if (!read_group(e, m.frame_ints.data(), {"Mirror Flag", "Frame Integer 2", "Frame Integer 3"},
                  parse_integer)) {
    return false;
  }
  static const FortranFormat kFrameInts("(3I5)");
  kFrameInts.write(e.plot, {m.frame_ints[1], m.frame_ints[2], m.frame_ints[3]});
  if (!read_group(
          e, m.frame_reals.data(),
          {"Frame Real 1", "Mirror Axis X", "Frame Real 3", "Frame Real 4", "Shift X", "Shift Y"},
          parse_real)) {
    return false;
  }
  static const FortranFormat kFrameReals("(6F12.3)");
  kFrameReals.write(e.plot, {m.frame_reals[1], m.frame_reals[2], m.frame_reals[3], m.frame_reals[4],
                             m.frame_reals[5], m.frame_reals[6]});
  return true;
}

}  // namespace scarpex
