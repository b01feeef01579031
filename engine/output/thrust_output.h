// The line of thrust of Spencer's method in the report and the LOT plot record.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Two empty lines, "*** Line of Thrust ***", an empty line and the column heading for feet
// (unit_system 1) or metres (2), then an empty line; for other unit systems nothing.
void write_thrust_report_heading(Engine& e);

// The LOT record: the tag, a free-format line with N + 1 and `theta_degrees`, row 0 with the
// surface's left end, and one row per slice, untransformed.
void write_lot_record(Engine& e, const SliceTable& slices, const ThrustLine& thrust,
                      float theta_degrees);

}  // namespace scarpex
