#include "run/run_sequence.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "core/run_control.h"
#include "run/command_loop.h"
#include "run/run_files.h"

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
  return env;
}

Engine& library_engine() {
  static Engine engine;
  engine.console.attach(stdout);
  return engine;
}

namespace {

void report_internal_failure(Engine& e, const char* what) {
  std::string message = std::string(" ****  INTERNAL ERROR - ") + what + "  ****";
  std::fprintf(stderr, "scarpex:%s\n", message.c_str() + 1);
  if (e.trace.is_open()) e.trace.line(message);
}

}  // namespace

int32_t run_engine(Engine& e) {
  try {
    make_startup_settings(e.model);
    int32_t opened = read_run_description(e);
    if (opened != kRunFilesOpen) return opened;
    write_report_banner(e);
    run_command_loop(e);
    close_run_files(e);
    return kRunCompleted;
  } catch (const std::exception& error) {
    report_internal_failure(e, error.what());
  } catch (...) {
    report_internal_failure(e, "unknown failure");
  }
  close_run_files(e);
  return kInternalFailure;
}

}  // namespace scarpex
