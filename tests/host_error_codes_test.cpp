// Errors in words: the host's table of error codes against the README and the engine's
// sources, the data-line copy and the illegal command read back, the input line found for
// them, and what the summary, the JSON document and the page make of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "host_test_support.h"
#include "results/error_codes.h"
#include "results/input_lines.h"
#include "results/report_reader.h"
#include "run/command_loop.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kSourceDir = SCARPEX_SOURCE_DIR;

struct CodeRow {
  std::string command, meaning, aborts;
  CodeOrigin origin = CodeOrigin::kCommandLanguage;
  bool operator==(const CodeRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const CodeRow& row) {
  return out << row.command << " | " << row.meaning << " | " << row.aborts << " | origin "
             << static_cast<int>(row.origin);
}

std::string without_backticks(std::string text) {
  std::erase(text, '`');
  return text;
}

std::vector<std::string> table_cells(const std::string& line) {
  std::vector<std::string> cells;
  std::istringstream in(line.substr(1));
  for (std::string cell; std::getline(in, cell, '|');) {
    std::size_t begin = cell.find_first_not_of(' '), end = cell.find_last_not_of(' ');
    cells.push_back(begin == std::string::npos ? "" : cell.substr(begin, end - begin + 1));
  }
  return cells;
}

// The rows of every README table of error codes (code, command, meaning, aborts), by code. A
// meaning that ends in *own* or *host* marks the code's origin.
std::map<std::string, CodeRow> readme_codes() {
  std::map<std::string, CodeRow> rows;
  std::istringstream readme(read_file(kSourceDir / "README.md"));
  bool in_table = false;
  for (std::string line; std::getline(readme, line);) {
    if (line.starts_with("| code |") && line.ends_with("| meaning | aborts |")) {
      in_table = true;
    } else if (!line.starts_with("|")) {
      in_table = false;
    } else if (in_table && !line.starts_with("|---")) {
      std::vector<std::string> cells = table_cells(line);
      EXPECT_EQ(cells.size(), 4u) << line;
      if (cells.size() != 4) continue;
      CodeRow row{without_backticks(cells[1]), without_backticks(cells[2]), cells[3]};
      for (auto [mark, origin] :
           {std::pair{" *own*", CodeOrigin::kEngineOwn}, std::pair{" *host*", CodeOrigin::kHost}}) {
        if (row.meaning.ends_with(mark)) {
          row.meaning.resize(row.meaning.size() - std::string_view(mark).size());
          row.origin = origin;
        }
      }
      EXPECT_TRUE(rows.emplace(cells[0], row).second) << cells[0] << " twice in the README";
    }
  }
  return rows;
}

std::map<std::string, CodeRow> host_codes() {
  std::map<std::string, CodeRow> rows;
  for (const ErrorCode& e : error_codes()) {
    CodeRow row{std::string(e.command), std::string(e.meaning), std::string(e.aborts), e.origin};
    EXPECT_TRUE(rows.emplace(e.code, row).second) << e.code << " twice in the host's table";
  }
  return rows;
}

TEST(ErrorCodes, TheReadmeTablesSayWhatTheHostsTableSays) {
  std::map<std::string, CodeRow> readme = readme_codes(), host = host_codes();
  for (const auto& [code, row] : host) {
    auto it = readme.find(code);
    if (it == readme.end()) {
      ADD_FAILURE() << code << " is not in the README's tables";
    } else {
      EXPECT_EQ(it->second, row) << code;
    }
  }
  for (const auto& [code, row] : readme) EXPECT_TRUE(host.contains(code)) << code << " not in host";
}

// Every code-shaped word (two letters, two digits) in a string literal of the engine.
std::set<std::string> engine_code_literals() {
  static const std::regex kLiteral(R"("(?:[^"\\\n]|\\.)*")");
  static const std::regex kCode(R"(\b[A-Z][A-Za-z][0-9]{2}\b)");
  std::set<std::string> codes;
  for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / "engine")) {
    std::string extension = entry.path().extension().string();
    if (extension != ".cpp" && extension != ".h") continue;
    std::string text = read_file(entry.path());
    for (std::sregex_iterator l(text.begin(), text.end(), kLiteral), end; l != end; ++l) {
      std::string literal = l->str();
      for (std::sregex_iterator c(literal.begin(), literal.end(), kCode); c != end; ++c)
        codes.insert(c->str());
    }
  }
  return codes;
}

TEST(ErrorCodes, EveryCodeTheEngineCanWriteHasAMeaning) {
  std::set<std::string> written = engine_code_literals();
  EXPECT_GT(written.size(), 80u) << "the walk of the engine's sources found too few codes";
  for (const std::string& code : written) {
    const ErrorCode* entry = find_error_code(code);
    ASSERT_NE(entry, nullptr) << code << " has no meaning in the host";
    EXPECT_NE(entry->origin, CodeOrigin::kHost) << code << " is the engine's";
  }
  for (const ErrorCode& entry : error_codes()) {
    if (entry.origin == CodeOrigin::kHost) {
      EXPECT_NE(entry.code.size(), 4u) << entry.code;
    }
  }
}

TEST(ErrorCodes, TheHostsCommandWordsAreTheEngines) {
  std::string words;
  for (std::string_view word : kCommandWords) words += word;
  EXPECT_EQ(words, scarpex::kCommandTable);
}

TEST(ErrorLines, TheDataLineCopyAndTheIllegalCommandAreReadBack) {
  const std::string copy =
      " ****  Error in Following Line of Data  ****\n\n c\n 2x.5                    \n\n\n";
  ReportData report = read_report_file(
      "report.out",
      "          ****  ERROR - SQ01  ****\n\n          ****  ERROR - FR06  ****\n\n"
      "          ****  ERROR - FR07  ****\n\n" +
          copy + "1\n          ******  SOIL\t   - Illegal Command  ******\n");
  ASSERT_EQ(report.errors.size(), 4u);
  EXPECT_FALSE(report.errors[0].input_text);  // SQ01 concerns no data line
  EXPECT_EQ(report.errors[1].input_text, "2x.5");
  EXPECT_EQ(report.errors[2].input_text, "2x.5");
  EXPECT_EQ(report.errors[3].code, kIllegalCommandCode);
  EXPECT_EQ(report.errors[3].detail, "SOIL\t");

  TraceData trace = read_trace_file("trace.trc", "\n          ****  ERROR - FR02  ****\n\n" + copy);
  ASSERT_EQ(trace.errors.size(), 1u);
  EXPECT_EQ(trace.errors[0].input_text, "2x.5");
  EXPECT_TRUE(trace.messages.empty()) << trace.messages[0].text;  // the copy is no message
  // A copy cut short, even at its heading, is no malformed file.
  EXPECT_NO_THROW(read_trace_file("trace.trc", "****  ERROR - FR02  ****\n" + copy.substr(0, 50)));
}

const std::string kHeader =
    "HEADER\n50 50 50 0 0 1\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n";

ErrorLine data_line_error(const std::string& copy) {
  ErrorLine error;
  error.code = "FR06";
  error.input_text = copy;
  return error;
}

ErrorLine illegal_command(const std::string& word) {
  ErrorLine error;
  error.code = std::string(kIllegalCommandCode);
  error.detail = word;
  return error;
}

TEST(InputLines, FoundTheWayTheEngineReadsTheFile) {
  const std::string long_line = "1. 2." + std::string(300, ' ') + "x";
  struct Case {
    const char* name;
    std::string input;
    ErrorLine error;
    std::optional<int> line;
    std::optional<std::string> text;
  } cases[] = {
      {"carriage returns dropped", "HEADER\r\n1 2\r\nSPENCR\r\n20\r\n", data_line_error("20"), 4,
       "20"},
      {"the header's identical line passed over", kHeader + "PROFIL\nT\n0 0 0\n",
       data_line_error("0 0 0"), 9, "0 0 0"},
      {"a letter o copied as the digit 0", kHeader + "SPENCR\n2o\n", data_line_error("20"), 8,
       "2o"},
      {"columns past 80 not compared, the text cut", kHeader + "SOIL\n" + long_line + "\n",
       data_line_error("1. 2."), 8, long_line.substr(0, kInputTextCap)},
      {"not in the file: the engine's copy kept", kHeader + "SPENCR\n21\n", data_line_error("20"),
       std::nullopt, "20"},
      {"a tab in the command word", kHeader + "PROFIL\nSOIL\t\n", illegal_command("SOIL\t"), 8,
       "SOIL\t"},
      {"no legal command: the whole file searched", kHeader + "profil\n", illegal_command("profil"),
       7, "profil"},
      {"a stray data row after the header's twin", kHeader + "EXECUT\n0 0 0\n",
       illegal_command("0 0 0"), 8, "0 0 0"},
  };
  for (Case& c : cases) {
    std::vector<ErrorLine> errors = {c.error};
    locate_input_lines(errors, c.input);
    EXPECT_EQ(errors[0].input_line, c.line) << c.name;
    EXPECT_EQ(errors[0].input_text, c.text) << c.name;
  }
}

// What the user sees of the errors of golden runs, on standard output, in JSON and on the page.
TEST(ErrorsInWords, SummaryJsonAndPageOfGoldenRuns) {
  struct Case {
    const char* run;
    const char* code;
    int input_line;
    const char* summary_line;
  } cases[] = {
      {"run_fr06_real_without_point", "FR06", 8,
       "Error FR06: a real number is written without a decimal point (input line 8: \"20\")"},
      {"input_tabs_in_a_data_line", "FR07", 15,
       "Error FR07: a real number holds a character that is not a digit (input line 15: "
       "\"20.\\t\\t20. 3. 19.6 0. 0. 0 0\")"},
      {"run_illegal_command", "HOST01", 8,
       "Error HOST01: the command word (columns 1 to 6) is not one of the commands (\"profil\"; "
       "input line 8)"},
      {"input_tab_after_command_word", "HOST01", 13,
       "Error HOST01: the command word (columns 1 to 6) is not one of the commands (\"SOIL\\t\"; "
       "input line 13)"},
  };
  for (const Case& c : cases) {
    TempFolder folder("errors");
    copy_golden_outputs(c.run, folder.path());
    HostRun run = run_scarpex("--names " + quoted((folder / "names.dat").string()) +
                              " --no-run --json " + quoted((folder / "r.json").string()) +
                              " --html " + quoted((folder / "r.html").string()));
    EXPECT_NE(run.out.find(std::string(c.summary_line) + "\n"), std::string::npos) << c.run << ":\n"
                                                                                   << run.out;
    json errors = json::parse(read_file(folder / "r.json"))["errors"];
    auto entry = std::find_if(errors.begin(), errors.end(),
                              [&](const json& e) { return e["code"] == c.code; });
    ASSERT_NE(entry, errors.end()) << c.run;
    EXPECT_EQ((*entry)["input_line"], c.input_line) << c.run;
    std::string message = (*entry)["message"];
    EXPECT_EQ("Error " + std::string(c.code) + ": " + message, c.summary_line) << c.run;
    std::string page = read_file(folder / "r.html");
    EXPECT_NE(page.find(std::string(find_error_code(c.code)->meaning)), std::string::npos) << c.run;
  }
}

}  // namespace
}  // namespace scarpex_host::testing
