#include "run/run_sequence.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "core/run_control.h"
#include "run/command_loop.h"
#include "run/run_files.h"
#include "run/thread_setting.h"

namespace scarpex {

RunEnvironment default_environment() {
  RunEnvironment env;
  env.local_time = [] {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
  };
  env.working_directory = [] {
    std::error_code error;
    std::string path = std::filesystem::current_path(error).string();
    return path.empty() || path.back() == '/' ? path : path + "/";
  };
  env.thread_count = threads_from_environment;
  return env;
}

// Made on the first call, inside the exception boundary of that call, rather than at load
// time where a failure could not be caught; a failed making is tried again on the next call.
Engine& library_engine() {
  static Engine engine;
  engine.console.attach(stdout);
  return engine;
}

namespace {

std::string internal_failure_line(const char* what) {
  return std::string(" ****  INTERNAL ERROR - ") + what + "  ****";
}

void report_internal_failure(Engine& e, const char* what) {
  std::string message = internal_failure_line(what);
  std::fprintf(stderr, "scarpex:%s\n", message.c_str() + 1);
  if (e.trace.is_open()) e.trace.line(message);
}

// Closing after a failure must not throw again out of the handler.
void close_after_failure(Engine& e) {
  try {
    close_run_files(e);
  } catch (...) {
    std::fprintf(stderr, "scarpex: the run files could not be closed\n");
  }
}

}  // namespace

int32_t run_engine(Engine& e) {
  try {
    make_startup_settings(e.model);
    int32_t opened = read_run_description(e);
    if (opened != kRunFilesOpen) return opened;
    write_report_banner(e);
    run_command_loop(e);
    return close_run_files(e) ? kRunCompleted : kOutputWriteFailure;
  } catch (const std::exception& error) {
    report_internal_failure(e, error.what());
  } catch (...) {
    report_internal_failure(e, "unknown failure");
  }
  close_after_failure(e);
  return kInternalFailure;
}

int32_t run_guarded(Engine& (*engine_of_call)()) {
  try {
    return run_engine(engine_of_call());
  } catch (const std::exception& error) {
    // Only the making of the engine can get here; run_engine catches everything after it.
    std::fprintf(stderr, "scarpex:%s\n", internal_failure_line(error.what()).c_str() + 1);
    return kInternalFailure;
  } catch (...) {
    std::fprintf(stderr, "scarpex:%s\n", internal_failure_line("unknown failure").c_str() + 1);
    return kInternalFailure;
  }
}

}  // namespace scarpex
