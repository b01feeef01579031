// scarpex: a command-line host for the slope stability engine. It prepares a run the way any
// host program does (names.dat and the input file), loads the engine library at run time,
// calls DAROZI and reads the output files back: a summary, a picture, an HTML page, JSON.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/host_options.h"
#include "cli/run_command.h"

int main(int argc, char** argv) {
  using namespace scarpex_host;
  // Nothing may escape as a crash: a failing file-system call or an exhausted memory ends the
  // host with a message and the status of a run that could not be made.
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = parse_options(args, error);
    if (!options) {
      std::cerr << "scarpex: " << error << "\n(scarpex --help shows the options)\n";
      return kExitNoRun;
    }
    if (options->show_help) {
      std::cout << usage_text(options->mode == HostMode::kBatch);
      return kExitCompleted;
    }
    if (options->show_version) {
      std::cout << version_text();
      return kExitCompleted;
    }
    if (options->mode == HostMode::kBatch) return run_batch(*options);
    return run_command(*options);
  } catch (const std::exception& e) {
    std::cerr << "scarpex: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "scarpex: an unexpected failure\n";
  }
  return kExitNoRun;
}
