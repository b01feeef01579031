// The engine as the fuzz targets run it: a fresh instance per input (so that every finding
// reproduces from its one input), run files in memory, a fixed clock and working directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scarpex::fuzzing {

// names.dat of an ordinary run.
std::string standard_names_text();

// Runs one input with the given names.dat through the whole run sequence.
void run_in_memory(const std::string& names_text, const std::string& input_text);

}  // namespace scarpex::fuzzing
