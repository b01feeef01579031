// Fuzzes names.dat: its banner texts and file names reach the report banner and the split of
// the file paths. The input data file is a fixed small problem with one specified surface.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_engine.h"

namespace {

const char* const kFixedInput =
    "HEADER\n"
    "50 50 50 0 0 1\n"
    "0.0001 0.001 0.001 0.001\n"
    "FRAME\n"
    "0 0 0\n"
    "0. 0. 0. 0. 0. 0.\n"
    "PROFIL\n"
    "TWO-LAYER SLOPE\n"
    "4 3 2\n"
    "0. 20. 20. 20. 1\n"
    "20. 20. 40. 30. 1\n"
    "40. 30. 70. 30. 1\n"
    "0. 15. 70. 22. 2\n"
    "SOIL\n"
    "0 2\n"
    "18.5 20. 5. 30. 0. 0. 0 0\n"
    "19.5 20.5 10. 25. 0. 0. 0 0\n"
    "SURFAC\n"
    "4\n"
    "12. 20. 20. 15. 45. 16. 56.907 30.\n"
    "EXECUT\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string names(reinterpret_cast<const char*>(data), size);
  scarpex::fuzzing::run_in_memory(names, kFixedInput);
  return 0;
}
