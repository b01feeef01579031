// Fuzzes the input data file: any text is run through the whole run sequence, after the caps
// that keep a legal but very long run short.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_engine.h"
#include "run_caps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  scarpex::fuzzing::run_in_memory(scarpex::fuzzing::standard_names_text(),
                                  scarpex::fuzzing::cap_run_length(text));
  return 0;
}
