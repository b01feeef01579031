#include "run/refine_input.h"

#include <charconv>
#include <cmath>
#include <set>
#include <vector>

#include "run/data_line_writer.h"
#include "run/decimal_number.h"
#include "run/input_reader.h"
#include "run/mirror_commands.h"

namespace scarpex_host {

namespace {

// The commands that analyse rather than define the problem.
const std::set<std::string>& analysis_words() {
  static const std::set<std::string> words = {"SURFAC", "SURBIS", "EXECUT", "CIRCLE",
                                              "CIRCL2", "RANDOM", "BLOCK ", "BLOCK2"};
  return words;
}

SearchKind search_kind(const std::string& word) {
  if (word == "CIRCLE") return SearchKind::kCircle;
  if (word == "CIRCL2") return SearchKind::kCircle2;
  if (word == "RANDOM") return SearchKind::kRandom;
  return word == "BLOCK " ? SearchKind::kBlock : SearchKind::kBlock2;
}

bool is_search(const std::string& word) {
  return word == "CIRCLE" || word == "CIRCL2" || word == "RANDOM" || word == "BLOCK " ||
         word == "BLOCK2";
}

double value_of(const DecimalNumber& number) {
  const std::string text = number.text();
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

SearchItems read_search_items(const std::string& word, DataLineReader& in) {
  SearchItems items;
  items.kind = search_kind(word);
  if (items.blocks()) {
    in.integer("surface count");
    in.integer("box count");
    items.segment_length = value_of(in.real("segment length"));
    return items;
  }
  in.integer("initiation point count");
  in.integer("surfaces per point");
  items.init_x_left = value_of(in.real("initiation x-left"));
  items.init_x_right = value_of(in.real("initiation x-right"));
  items.term_x_left = value_of(in.real("termination x-left"));
  items.term_x_right = value_of(in.real("termination x-right"));
  items.min_elevation = value_of(in.real("minimum elevation"));
  items.segment_length = value_of(in.real("segment length"));
  items.angle_upper = value_of(in.real("upper initiation angle"));
  items.angle_lower = value_of(in.real("lower initiation angle"));
  return items;
}

std::string joined_lines(const std::vector<std::string>& lines, int first, int end) {
  std::string text;
  for (int i = first; i < end; ++i) text += lines[i] + "\n";
  return text;
}

DecimalNumber written(double value) {
  return DecimalNumber::parse_plain(written_text(value)).value_or(DecimalNumber());
}

}  // namespace

std::string written_text(double value) {
  char text[64];
  auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, kCandidateDecimals);
  return std::string(text, result.ptr);
}

std::optional<RefineInput> refine_input_of(const std::string& input_text, int search_number,
                                           std::string& problem) {
  try {
    const std::vector<std::string> all = InputLines(input_text).rest();
    InputLines lines(input_text);
    read_input_header(lines);
    RefineInput input;
    input.problem = joined_lines(all, 0, lines.line_number());
    // The commands are read with the reader of the mirrored runs, which knows every command's
    // data lines; mirroring about no axis changes nothing, and its output is not used.
    MirrorPass pass;
    DataLineWriter unused;
    int searches = 0;
    while (!lines.at_end()) {
      const int first = lines.line_number();
      const std::string word = command_word(lines.take("a command"));
      if (word == kBlankCommandWord) continue;
      DataLineReader reader(lines, trimmed_word(word));
      if (is_search(word) && ++searches == search_number) {
        input.search = read_search_items(word, reader);
        return input;
      }
      if (!mirror_command(word, reader, unused, pass)) {
        throw InputReadError(lines.line_number(), "illegal command '" + trimmed_word(word) + "'");
      }
      if (run_ends(word, pass)) break;
      if (!analysis_words().contains(word)) {
        input.problem += joined_lines(all, first, lines.line_number());
      }
    }
    problem = "the input file holds no search number " + std::to_string(search_number);
  } catch (const InputReadError& e) {
    problem = e.located();
  }
  return std::nullopt;
}

Polyline as_written(const Polyline& points) {
  const double scale = std::pow(10.0, kCandidateDecimals);
  Polyline out;
  for (const Point& p : points) {
    out.push_back({std::round(p.x * scale) / scale, std::round(p.y * scale) / scale});
  }
  return out;
}

std::string candidate_input(const RefineInput& input, SurfaceCommand command,
                            const Polyline& points) {
  DataLineWriter out;
  out.line(command == SurfaceCommand::kSurbis ? "SURBIS" : "SURFAC");
  out.record({static_cast<int>(points.size())});
  for (const Point& p : points) out.record({written(p.x), written(p.y)});
  out.line("EXECUT");
  return input.problem + out.text();
}

}  // namespace scarpex_host
