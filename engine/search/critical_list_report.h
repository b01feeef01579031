// The final report of a search: the listed surfaces, most critical first, with their circles
// and factors of safety, and the detailed slice output of the most critical surface met.
#pragma once

#include "model/circle.h"
#include "core/engine.h"

namespace scarpex {

// Writes the report of the (sorted) list and stores the circle record of every listed position
// for the plot file's TNS record.
void write_critical_list_report(Engine& e);

// The circle through the first three points of a listed surface. Not found (all zeros) when
// the slot has fewer than three points or the points give no centre (collinear points).
Circle circle_through_first_points(const ListSlot& slot);

}  // namespace scarpex
