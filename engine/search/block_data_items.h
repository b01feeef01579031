// The data items of the sliding-block searches (BLOCK, BLOCK2): the trial count, the boxes
// through which the base of the central block passes, and the side segment length.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Error code of a box count of 0 or less: without a box there is no base to build, so the
// search is refused (no box that was not read is ever used).
inline constexpr const char* kNoBoxesCode = "BK09";

// Reads, echoes and checks the items (RC13, BK01 to BK09). BK01 (more than ten boxes) ends the
// run at once; every other fault sets input_error_flag. Returns at once when the data-line
// reader ends the run.
void read_block_search_items(Engine& e);

}  // namespace scarpex
