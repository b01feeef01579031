#include "fuzz_engine.h"

#include <memory>

#include "core/engine.h"
#include "run/run_sequence.h"

namespace scarpex::fuzzing {

std::string standard_names_text() {
  return "FUZZ 1.0\nIdentification line two\nIdentification line three\nWORD4\n"
         "Identification line five\nFuzzer\ninput.dat\ninput.dat\nreport.out\nplot.plt\n"
         "trace.trc\nunused\nstatus.sts\n";
}

void run_in_memory(const std::string& names_text, const std::string& input_text) {
  auto engine = std::make_unique<Engine>();
  engine->env.in_memory = true;
  engine->env.names_text = names_text;
  engine->env.input_text = input_text;
  engine->env.local_time = [] {
    std::tm fixed{};
    fixed.tm_year = 2025 - 1900;
    fixed.tm_mday = 1;
    return fixed;
  };
  engine->env.working_directory = [] { return std::string("/scarpex/fuzz/"); };
  engine->console.use_memory();
  run_engine(*engine);
}

}  // namespace scarpex::fuzzing
