#include "run/mirror_input.h"

#include <filesystem>
#include <vector>

#include "results/file_reading.h"
#include "run/data_line_writer.h"
#include "run/decimal_number.h"
#include "run/input_reader.h"
#include "run/mirror_commands.h"
#include "run/run_names.h"

namespace scarpex_host {

namespace {

namespace fs = std::filesystem;

// Input files are small; a larger file is no input file.
constexpr std::uintmax_t kInputFileCap = std::uintmax_t{64} << 20;
constexpr std::size_t kMirrorFlagItem = 0;
constexpr std::size_t kMirrorAxisItem = 1;
constexpr std::size_t kShiftXItem = 4;
constexpr long kMirroredFlag = 1;

// A null item leaves the engine's value as it was: 0 in the fresh process of a run.
DecimalNumber frame_real(const InputHeader& header, std::size_t item) {
  const std::optional<std::string>& text = header.frame_reals[item];
  if (!text) return DecimalNumber();
  std::optional<DecimalNumber> value = DecimalNumber::parse_list_directed(*text);
  if (!value) {
    throw InputReadError(header.frame_line, "the frame real '" + *text + "' cannot be read");
  }
  return *value;
}

long frame_integer(const InputHeader& header, std::size_t item) {
  const std::optional<std::string>& text = header.frame_integers[item];
  if (!text) return 0;
  std::optional<long> value = parse_header_integer(*text);
  if (!value) {
    throw InputReadError(header.frame_line, "the frame integer '" + *text + "' cannot be read");
  }
  return *value;
}

std::string joined(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : " ") + field;
  return line;
}

// The frame of the mirrored input. An input that is stored mirrored already is refused: its
// slope reaches the engine as it is drawn for it, and mirroring it once more would only hand
// the engine the crest-left slope it cannot compute. A shift in x is kept in the picture:
// where the input showed x as shift_x + x, the mirrored input shows its x' = a - x as
// (a + shift_x) - x', the same number.
std::vector<std::string> mirrored_frame(const InputHeader& header, const DecimalNumber& axis) {
  if (frame_integer(header, kMirrorFlagItem) == kMirroredFlag) {
    throw InputReadError(header.frame_line,
                         "the input is stored mirrored already (mirror flag 1 in its header): "
                         "run it without --mirror");
  }
  std::vector<std::string> integers = {std::to_string(kMirroredFlag)};
  for (std::size_t i = kMirrorFlagItem + 1; i < kFrameIntegers; ++i) {
    integers.push_back(std::to_string(frame_integer(header, i)));
  }
  std::vector<std::string> reals;
  for (std::size_t i = 0; i < kFrameReals; ++i) {
    reals.push_back(frame_real(header, i).text());
  }
  reals[kMirrorAxisItem] = (axis + frame_real(header, kShiftXItem)).text();
  return {joined(integers), joined(reals)};
}

// The whole input written for one pass.
std::string mirrored_text(const std::string& input, MirrorPass& pass) {
  InputLines lines(input);
  InputHeader header = read_input_header(lines);
  DataLineWriter out;
  for (const std::string& line : header.lines) out.line(line);
  for (const std::string& line : mirrored_frame(header, pass.axis())) out.line(line);
  while (!lines.at_end()) {
    const std::string& line = lines.take("a command");
    std::string word = command_word(line);
    out.line(line);
    if (word == kBlankCommandWord) continue;
    DataLineReader reader(lines, trimmed_word(word));
    if (!mirror_command(word, reader, out, pass)) {
      throw InputReadError(lines.line_number(),
                           "illegal command '" + trimmed_word(word) + "', where the engine stops");
    }
    if (run_ends(word, pass)) {
      // What follows is never read.
      for (const std::string& rest : lines.rest()) out.line(rest);
      break;
    }
  }
  return out.text();
}

std::optional<DecimalNumber> requested_axis(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::optional<DecimalNumber> axis = DecimalNumber::parse_list_directed(text);
  if (!axis) throw InputReadError(kNoLine, "the mirror axis '" + text + "' is not a number");
  return axis;
}

// The axis asked for, or the largest x of the input; an axis left of that x would make it
// negative beyond the engine's tolerance.
DecimalNumber chosen_axis(const std::optional<DecimalNumber>& requested, const MirrorPass& found) {
  if (!found.largest_x()) return requested.value_or(DecimalNumber());
  const DecimalNumber& largest = *found.largest_x();
  if (requested && !MirrorPass::engine_takes(*requested - largest)) {
    throw InputReadError(found.largest_x_line(),
                         "x = " + largest.text() + " lies right of the mirror axis " +
                             requested->text() + " and would be negative mirrored");
  }
  return requested.value_or(largest);
}

}  // namespace

std::optional<MirroredInput> mirror_input(const std::string& input, const std::string& axis,
                                          std::string& problem) {
  try {
    std::optional<DecimalNumber> requested = requested_axis(axis);
    MirrorPass finding;
    mirrored_text(input, finding);
    DecimalNumber chosen = chosen_axis(requested, finding);
    MirrorPass mirroring(chosen);
    return MirroredInput{mirrored_text(input, mirroring), chosen.text()};
  } catch (const InputReadError& e) {
    problem = e.located();
    return std::nullopt;
  }
}

std::string mirrored_input_name(const std::string& input_path) {
  return fs::path(input_path).stem().string() + ".mirrored.dat";
}

std::optional<RunInput> mirrored_run_input(const fs::path& input, const fs::path& folder,
                                           const std::string& axis, std::string& problem) {
  RunInput run_input{folder / mirrored_input_name(input.string()), "", ""};
  std::error_code error;
  if (run_input.path == input || fs::equivalent(run_input.path, input, error)) {
    problem = "the mirrored input would replace " + input.string();
    return std::nullopt;
  }
  if (!engine_keeps_name(run_input.path.string())) {
    problem = "the engine cannot open " + run_input.path.string() + ": the name is too long";
    return std::nullopt;
  }
  FileText text = read_regular_file(input, kInputFileCap);
  if (!text.text) {
    problem = text.problem;
    return std::nullopt;
  }
  std::string why;
  std::optional<MirroredInput> mirrored = mirror_input(*text.text, axis, why);
  if (!mirrored) {
    problem = "cannot mirror " + input.string() + ": " + why;
    return std::nullopt;
  }
  run_input.text = mirrored->text;
  run_input.note = "Mirrored about x = " + mirrored->axis + ": " + run_input.path.string();
  return run_input;
}

}  // namespace scarpex_host
