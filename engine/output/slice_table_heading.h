// The four-line heading of the slice table, by unit system.
#pragma once

#include <string>

#include "core/engine.h"

namespace scarpex {

// Two empty lines and the four heading lines: English for unit_system 1, metric for 2, generic
// for 3 or more; nothing for 0 or less.
void write_slice_table_heading(Engine& e);

// The heading line `line` (1 to 4) for the given unit system, exactly as written (trailing
// blanks included); empty when that unit system has no heading.
std::string slice_table_heading_line(int32_t unit_system, int32_t line);

}  // namespace scarpex
