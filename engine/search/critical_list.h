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

// The same for a surface analysed in another model, whose slice data `best` holds whenever
// becomes_most_critical says it may be needed.
void record_surface(ProblemModel& m, const BestSurfaceRecord& best);

// What the detailed output of the most critical surface takes from the model that analysed it.
void copy_best_surface(const ProblemModel& analysed, BestSurfaceRecord& best);

// Whether a surface of factor `fos` offered to the list becomes its most critical one, given
// whether the list is empty and its lowest factor. As the list fills, the answer only turns
// from true to false, so an earlier view of the list never says false where a later one says
// true.
bool becomes_most_critical(bool list_empty, float lowest_fos, float fos);

// Bubble sort of slots 1 to the shown count on the factor of safety, ascending; equal factors
// keep their order.
void sort_critical_list(ProblemModel& m);

}  // namespace scarpex
