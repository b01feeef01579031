// The engine object: the problem model, the random-number state, the input data file and the
// output streams of one run. The library keeps one static instance (so that state survives
// between calls of DAROZI); tests build their own and keep the output in memory.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "core/line_source.h"
#include "core/text_sink.h"
#include "model/problem_model.h"
#include "model/random_state.h"

namespace scarpex {

// What a run needs from the platform, replaceable in tests.
struct RunEnvironment {
  // Local date and time for the report's date block.
  std::function<std::tm()> local_time;
  // The working directory against which file names are resolved, ending with a separator.
  std::function<std::string()> working_directory;
  // Folder that names.dat and the run files are taken from; empty means the working directory.
  std::string run_folder;
  // When true, the run files are not opened on disk: the input is taken from `input_text`
  // and the outputs stay in memory.
  bool in_memory = false;
  std::string names_text;  // contents of names.dat for an in-memory run
  std::string input_text;  // contents of the input data file for an in-memory run
  // The threads a search may use, the calling one included; asked at the start of each search.
  // Unset or 1: the search runs on the calling thread alone.
  std::function<int32_t()> thread_count;
};

RunEnvironment default_environment();

struct Engine {
  ProblemModel model;
  RandomState rng;
  LineSource input;
  TextSink report;
  TextSink plot;
  TextSink trace;
  TextSink status;
  TextSink console;  // standard output: a few messages of Spencer's method
  RunEnvironment env = default_environment();
};

// Index of a file name in ProblemModel::file_names (names.dat lines 7 to 13).
enum FileNameLine : int32_t {
  kFullInputName = 0,
  kInputName = 1,
  kReportName = 2,
  kPlotName = 3,
  kTraceName = 4,
  kUnusedName = 5,
  kStatusName = 6,
};

}  // namespace scarpex
