// Engines for tests: the run files live in memory and the clock and working directory are
// fixed, so that whole runs can be compared with expected files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/engine.h"

namespace scarpex::testing {

// The outputs of one run.
struct RunOutputs {
  int32_t result = 0;
  std::string report, plot, trace, status, console;
};

// names.dat of the test runs: fixed banner texts and run-file names.
std::string test_names_text();

// A fresh engine (as a freshly loaded library) with in-memory files and a fixed clock.
std::unique_ptr<Engine> make_test_engine();

// Runs a whole input file through the run sequence on the given engine.
RunOutputs run_input(Engine& e, const std::string& input_text);
RunOutputs run_input(const std::string& input_text);

// An engine ready for calling one reader directly: the given data lines are the input, the
// output streams are in memory, and the start-up settings are made.
std::unique_ptr<Engine> make_reader_engine(const std::string& data_lines);

// A header with sensible controls (iteration limit 50, report switch 1, no mirroring).
std::string standard_header();

std::string read_text_file(const std::string& path);

// How many times `what` occurs in `text`.
int count_of(const std::string& text, const std::string& what);

// Every error line of a report, from its code on ("LD04  ****     Load  1").
std::vector<std::string> error_lines(const std::string& report);

}  // namespace scarpex::testing
