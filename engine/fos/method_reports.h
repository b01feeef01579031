// Report blocks shared by the Modified Bishop/Janbu and Spencer methods.
#pragma once

#include "core/engine.h"
#include "core/text_sink.h"

namespace scarpex {

// Three empty lines, "The Trial Failure Surface In Question Is Defined", "By The Following
// nnn Coordinate Points", the point heading and the points as stored.
void write_surface_listing(const ProblemModel& m, TextSink& out);

// Two empty lines, the two "Misleading" lines, two empty lines, "Failure Surface Defined By
// nnn Coordinate Points", the point heading followed by two empty lines, and the points.
void write_misleading_listing(const ProblemModel& m, TextSink& out);

// Four empty lines and "Factor Of Safety For The Preceding Specified Surface =" F7.3.
void write_specified_fos_line(TextSink& out, float fos);

// The outcome lines of a negative factor of safety (the report's only under the report
// switch); sets the solution status to 3.
void report_negative_factor(Engine& e);

}  // namespace scarpex
