#include "test_engine.h"

#include <fstream>
#include <sstream>

#include "core/run_control.h"
#include "run/run_sequence.h"

namespace scarpex::testing {

std::string test_names_text() {
  return "TEST 1.0\n"
         "Identification line two\n"
         "Identification line three\n"
         "WORD4\n"
         "Identification line five\n"
         "Test Engineer\n"
         "input.dat\n"
         "input.dat\n"
         "report.out\n"
         "plot.plt\n"
         "trace.trc\n"
         "unused\n"
         "status.sts\n";
}

std::unique_ptr<Engine> make_test_engine() {
  auto engine = std::make_unique<Engine>();
  engine->env.in_memory = true;
  engine->env.names_text = test_names_text();
  engine->env.local_time = [] {
    std::tm fixed{};
    fixed.tm_year = 2025 - 1900;
    fixed.tm_mon = 0;
    fixed.tm_mday = 2;
    fixed.tm_hour = 3;
    fixed.tm_min = 4;
    fixed.tm_sec = 5;
    return fixed;
  };
  engine->env.working_directory = [] { return std::string("/scarpex/work/"); };
  engine->console.use_memory();
  return engine;
}

RunOutputs run_input(Engine& e, const std::string& input_text) {
  e.env.input_text = input_text;
  e.console.use_memory();
  RunOutputs out;
  out.result = run_engine(e);
  out.report = e.report.text();
  out.plot = e.plot.text();
  out.trace = e.trace.text();
  out.status = e.status.text();
  out.console = e.console.text();
  return out;
}

RunOutputs run_input(const std::string& input_text) {
  auto engine = make_test_engine();
  return run_input(*engine, input_text);
}

std::unique_ptr<Engine> make_reader_engine(const std::string& data_lines) {
  auto engine = make_test_engine();
  make_startup_settings(engine->model);
  engine->input.open_text(data_lines);
  engine->report.use_memory();
  engine->plot.use_memory();
  engine->trace.use_memory();
  engine->status.use_memory();
  return engine;
}

std::string standard_header() {
  return "HEADER\n"
         "50 50 50 0 0 1\n"
         "0.0001 0.001 0.001 0.001\n"
         "FRAME\n"
         "0 0 0\n"
         "0. 0. 0. 0. 0. 0.\n";
}

std::string read_text_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

int count_of(const std::string& text, const std::string& what) {
  int count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

std::vector<std::string> error_lines(const std::string& report) {
  static const std::string kMark = "****  ERROR - ";
  std::vector<std::string> lines;
  for (auto at = report.find(kMark); at != std::string::npos; at = report.find(kMark, at + 1)) {
    auto start = at + kMark.size();
    lines.push_back(report.substr(start, report.find('\n', start) - start));
  }
  return lines;
}

}  // namespace scarpex::testing
