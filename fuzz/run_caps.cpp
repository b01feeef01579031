#include "run_caps.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace scarpex::fuzzing {

namespace {

constexpr std::size_t kDataLineWidth = 80;
constexpr std::size_t kCommandWidth = 6;
constexpr std::size_t kHeaderLimitCount = 3;

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(pos, end - pos));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::replace(line.begin(), line.end(), '\t', ' ');
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

// Where a value stands in the text.
struct Field {
  std::size_t line;
  std::size_t start;
  std::size_t length;
};

// Writes `cap` over the field when the field holds a larger number; the cap is never longer
// than such a number, so the fields after it keep their separators.
void lower_to(std::vector<std::string>& lines, const Field& field, int64_t value, int64_t cap) {
  if (value <= cap) return;
  lines[field.line].replace(field.start, field.length, std::to_string(cap));
}

// An unsigned number as the engine reads it, saturated far above every cap; `o` reads as 0
// in data lines. Empty when the text is not such a number (the engine will refuse it).
std::optional<int64_t> number_of(std::string_view text, bool letter_o_is_zero) {
  constexpr int64_t kSaturated = int64_t{1} << 40;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (letter_o_is_zero && c == 'o') c = '0';
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(value * 10 + (c - '0'), kSaturated);
  }
  return value;
}

// The header's first group: blank- or comma-separated values from the line after the keyword.
void cap_header(std::vector<std::string>& lines) {
  std::size_t found = 0;
  for (std::size_t l = 1; l < lines.size() && found < kHeaderLimitCount; ++l) {
    std::vector<Field> fields;
    const std::string& line = lines[l];
    std::size_t pos = 0;
    while (pos < line.size()) {
      std::size_t start = line.find_first_not_of(" ,", pos);
      if (start == std::string::npos) break;
      std::size_t end = line.find_first_of(" ,", start);
      if (end == std::string::npos) end = line.size();
      fields.push_back({l, start, end - start});
      pos = end;
    }
    // Right to left, so that a shortened field does not move the ones still to be read.
    std::size_t take = std::min(fields.size(), kHeaderLimitCount - found);
    for (std::size_t i = take; i-- > 0;) {
      const Field& field = fields[i];
      auto value = number_of(std::string_view(line).substr(field.start, field.length), false);
      int64_t cap = found + i == 0 ? kMaxIterationLimit : kMaxSpencerLimit;
      if (value) lower_to(lines, field, *value, cap);
    }
    found += take;
  }
}

// The first `count` fields of the data lines after line `command`, split as the data-line
// reader splits them: a field ends at a blank, one blank separates fields, anything more ends
// the line's data, and only 80 columns are read.
std::vector<Field> data_fields(const std::vector<std::string>& lines, std::size_t command,
                               std::size_t count) {
  std::vector<Field> fields;
  for (std::size_t l = command + 1; l < lines.size() && fields.size() < count; ++l) {
    std::string_view line = std::string_view(lines[l]).substr(0, kDataLineWidth);
    std::size_t start = 0;
    while (fields.size() < count && start < line.size() && line[start] != ' ') {
      std::size_t end = line.find(' ', start);
      if (end == std::string_view::npos) end = line.size();
      fields.push_back({l, start, end - start});
      start = end + 1;
    }
    if (line.empty() || line[0] == ' ') break;  // the reader stops the run here
  }
  return fields;
}

std::optional<int64_t> data_number(const std::vector<std::string>& lines, const Field& field) {
  return number_of(std::string_view(lines[field.line]).substr(field.start, field.length), true);
}

enum class Search { kNone, kPointsAndTrials, kTrials };

Search search_of(const std::string& line) {
  std::string word = line.substr(0, kCommandWidth);
  word.resize(kCommandWidth, ' ');
  for (const char* points : {"CIRCLE", "CIRCL2", "RANDOM"}) {
    if (word == points) return Search::kPointsAndTrials;
  }
  if (word == "BLOCK " || word == "BLOCK2") return Search::kTrials;
  return Search::kNone;
}

void cap_searches(std::vector<std::string>& lines) {
  int64_t budget = kTrialBudget;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    Search search = search_of(lines[l]);
    if (search == Search::kPointsAndTrials) {
      std::vector<Field> fields = data_fields(lines, l, 2);
      if (fields.size() < 2) continue;
      auto points = data_number(lines, fields[0]);
      auto trials = data_number(lines, fields[1]);
      if (!points || !trials) continue;
      // Trials first: lowering the point count may move the trial field to the left.
      int64_t capped_points = std::min(*points, kMaxInitiationPoints);
      int64_t allowed = budget / std::max<int64_t>(capped_points, 1);
      lower_to(lines, fields[1], *trials, allowed);
      lower_to(lines, fields[0], *points, kMaxInitiationPoints);
      budget -= std::max<int64_t>(capped_points, 1) * std::min(*trials, allowed);
    } else if (search == Search::kTrials) {
      std::vector<Field> fields = data_fields(lines, l, 1);
      if (fields.empty()) continue;
      auto trials = data_number(lines, fields[0]);
      if (!trials) continue;
      lower_to(lines, fields[0], *trials, budget);
      budget -= std::min(*trials, budget);
    }
  }
}

}  // namespace

std::string cap_run_length(std::string_view text) {
  std::vector<std::string> lines = split_lines(text);
  cap_header(lines);
  cap_searches(lines);
  std::string capped;
  capped.reserve(text.size());
  for (const std::string& line : lines) {
    capped += line;
    capped += '\n';
  }
  return capped;
}

}  // namespace scarpex::fuzzing
