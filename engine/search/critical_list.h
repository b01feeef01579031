// The list of the most critical surfaces of a search: slots 1 to 10 of the model's list hold
// the ten lowest factors of safety, slot 11 the newest candidate once the list is full and
// slot 12 is the exchange area of the sort. Beside it the slice data of the single most
// critical surface are kept for the detailed output.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Empties the list at the start of a search.
void start_critical_list(ProblemModel& m);

// Offers the surface just analysed (current surface, factor of safety and theta in slot 0,
// slice table and line of thrust) to the list.
void record_current_surface(ProblemModel& m);

// Bubble sort of slots 1 to the shown count on the factor of safety, ascending; equal factors
// keep their order.
void sort_critical_list(ProblemModel& m);

}  // namespace scarpex
