// Slicing of the current surface: slice edges at every abscissa where a property of the
// sliding mass changes, and the properties of every slice on its centre line.
#pragma once

#include <cstdint>

#include "core/engine.h"

namespace scarpex {

// Gathers, sorts and merges the critical abscissae into the slice edges; sets slice_count.
void collect_slice_abscissae(Engine& e);

// Evaluates every slice; sets stop_code 21 (with its status line) and returns early when the
// ground at a slice centre is at or below the surface.
void build_slices(Engine& e);

// Weight of one layer of slice `slice` between y_top and y_bottom for the given soil and
// water level.
float layer_weight(const ProblemModel& m, float y_top, float y_bottom, int32_t soil,
                   float water_level, int32_t slice);

}  // namespace scarpex
