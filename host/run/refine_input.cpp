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

constexpr std::size_t kCommandWordWidth = 6;
const std::string kBlankWord(kCommandWordWidth, ' ');
constexpr std::size_t kControlIntegers = 6;
constexpr std::size_t kControlReals = 4;
constexpr std::size_t kFrameIntegers = 3;
constexpr std::size_t kFrameReals = 6;

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

std::string command_word(const std::string& line) {
  std::string word = line.substr(0, kCommandWordWidth);
  word.resize(kCommandWordWidth, ' ');
  return word;
}

std::string trimmed(const std::string& word) {
  return word.substr(0, word.find_last_not_of(' ') + 1);
}

double value_of(const DecimalNumber& number) {
  const std::string text = number.text();
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The header as the engine reads it: two keyword lines, each followed by its groups.
void read_header(InputLines& input) {
  input.take("the header");
  read_header_group(input, kControlIntegers, "the solver controls");
  read_header_group(input, kControlReals, "the solver tolerances");
  input.take("the frame's keyword line");
  read_header_group(input, kFrameIntegers, "the frame integers");
  read_header_group(input, kFrameReals, "the frame reals");
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

// EXECUT with no surface to analyse ends the engine's run (so does EXECUT before any SOIL).
bool run_ends(const std::string& word, const MirrorPass& pass) {
  return word == "EXECUT" && (!pass.soil_given || !pass.surface_waiting);
}

std::string joined_lines(const std::vector<std::string>& lines, int first, int end) {
  std::string text;
  for (int i = first; i < end; ++i) text += lines[i] + "\n";
  return text;
}

std::string located(const InputReadError& e) {
  if (e.line() == kAtEndOfFile) return std::string("at the end of the file: ") + e.what();
  if (e.line() == kNoLine) return e.what();
  return "line " + std::to_string(e.line()) + ": " + e.what();
}

DecimalNumber written(double value) {
  char text[64];
  auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, kCandidateDecimals);
  return DecimalNumber::parse_plain(std::string_view(text, result.ptr - text))
      .value_or(DecimalNumber());
}

}  // namespace

std::optional<RefineInput> refine_input_of(const std::string& input_text, int search_number,
                                           std::string& problem) {
  try {
    const std::vector<std::string> all = InputLines(input_text).rest();
    InputLines lines(input_text);
    read_header(lines);
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
      if (word == kBlankWord) continue;
      DataLineReader reader(lines, trimmed(word));
      if (is_search(word) && ++searches == search_number) {
        input.search = read_search_items(word, reader);
        return input;
      }
      if (!mirror_command(word, reader, unused, pass)) {
        throw InputReadError(lines.line_number(), "illegal command '" + trimmed(word) + "'");
      }
      if (run_ends(word, pass)) break;
      if (!analysis_words().contains(word)) {
        input.problem += joined_lines(all, first, lines.line_number());
      }
    }
    problem = "the input file holds no search number " + std::to_string(search_number);
  } catch (const InputReadError& e) {
    problem = located(e);
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
