// The data-line reader through which every command reader takes its numbers.
//
// A data line has 80 columns. A field is a run of non-blank characters ended by a blank;
// fields are separated by exactly one blank, and two blanks end the line's data. A real needs
// a decimal point, an integer must not have one, and neither takes a plus sign; an integer
// takes no sign at all. A format error writes its FR error line and the bad-line block to the
// report and trace files and ends the run through abort_run.
#pragma once

#include <cstdint>

#include "core/engine.h"

namespace scarpex {

inline constexpr int32_t kReadReal = 1;
inline constexpr int32_t kReadInteger = 0;

// kind 1 reads a real into real_out, any other kind an integer into int_out. The caller
// tests stop_code afterwards and returns at once when it is above 0.
void read_data_value(Engine& e, float& real_out, int32_t& int_out, int32_t kind);

// One value; false when the run is ending (stop_code above 0), so that a reader can write
// `if (!read_real(e, x)) return;`.
bool read_real(Engine& e, float& value);
bool read_int(Engine& e, int32_t& value);

}  // namespace scarpex
