#include "output/slice_table_heading.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>

namespace scarpex {

namespace {

struct Word {
  int32_t column;  // counted from 1
  std::string_view text;
};

// A heading line of fixed length with each word starting at its column.
std::string place_words(std::size_t length, std::initializer_list<Word> words) {
  std::string line(length, ' ');
  for (const Word& word : words) {
    line.replace(static_cast<std::size_t>(word.column) - 1, word.text.size(), word.text);
  }
  return line;
}

// The unit line: "No.", the length unit, and the force unit over the eight force columns.
std::string unit_line(std::string_view length, std::string_view force,
                      const std::array<int32_t, 8>& force_columns) {
  std::string line = place_words(93, {{3, "No."}, {11, length}});
  for (int32_t column : force_columns) {
    line.replace(static_cast<std::size_t>(column) - 1, force.size(), force);
  }
  return line;
}

}  // namespace

std::string slice_table_heading_line(int32_t unit_system, int32_t line) {
  if (unit_system <= 0) return {};
  switch (line) {
    case 1:
      return place_words(
          78, {{26, "Water"}, {36, "Water"}, {47, "Tie"}, {57, "Tie"}, {69, "Earthquake"}});
    case 2:
      return place_words(92, {{26, "Force"},
                              {36, "Force"},
                              {46, "Force"},
                              {56, "Force"},
                              {72, "Force"},
                              {84, "Surcharge"}});
    case 3:
      return place_words(89, {{2, "Slice"},
                              {9, "Width"},
                              {16, "Weight"},
                              {27, "Top"},
                              {37, "Bot"},
                              {46, "Norm"},
                              {57, "Tan"},
                              {67, "Hor"},
                              {77, "Ver"},
                              {86, "Load"}});
    case 4: {
      static constexpr std::array<int32_t, 8> kNamedForce{18, 27, 37, 47, 57, 67, 77, 87};
      // The one-letter generic unit stands one column further right than "Lbs" and "KN".
      static constexpr std::array<int32_t, 8> kGenericForce{19, 28, 38, 48, 58, 68, 78, 88};
      if (unit_system == 1) return unit_line("Ft", "Lbs", kNamedForce);
      if (unit_system == 2) return unit_line("M", "KN", kNamedForce);
      return unit_line("L", "F", kGenericForce);
    }
    default:
      return {};
  }
}

void write_slice_table_heading(Engine& e) {
  int32_t unit_system = e.model.unit_system;
  if (unit_system <= 0) return;
  // The lines depend on the unit system alone (English, metric, or generic for 3 and above),
  // so they are built once rather than for every surface.
  constexpr int32_t kGeneric = 3;
  constexpr int32_t kLines = 4;
  static const auto kHeadings = [] {
    std::array<std::array<std::string, kLines>, kGeneric> headings;
    for (int32_t unit = 1; unit <= kGeneric; ++unit) {
      for (int32_t line = 1; line <= kLines; ++line) {
        headings[unit - 1][line - 1] = slice_table_heading_line(unit, line);
      }
    }
    return headings;
  }();
  e.report.end_line();
  e.report.end_line();
  for (const std::string& line : kHeadings[std::min(unit_system, kGeneric) - 1])
    e.report.line(line);
}

}  // namespace scarpex
