// The messages and tables that Spencer's method writes to the report, the trace file, the
// status file and standard output.
#pragma once

#include <cstdint>
#include <span>

#include "core/engine.h"

namespace scarpex {

// One outer iteration: its side-force angle (radians) and the two factors it gave.
struct SpencerOuterStep {
  float theta = 0.0f;
  float moment_fos = 0.0f;
  float force_fos = 0.0f;
};

// The trace line of one outer iteration.
void write_outer_trace_line(Engine& e, int32_t k, const SpencerOuterStep& step);

// The theta table, each heading and row to standard output first, then to the report.
void write_theta_table(Engine& e, std::span<const SpencerOuterStep> steps);

// Four empty lines, "Factor Of Safety For The Preceding Specified Surface =" and
// "Spencer`s Theta =" on the next line.
void write_fos_and_theta(TextSink& out, float fos, float theta_degrees);

// The misleading block with the surface points (report, then standard output), then the factor
// of safety and theta (standard output, then report).
void write_spencer_misleading_listing(Engine& e, float fos, float theta_degrees);

// The summary of a converged specified surface (report, then standard output).
void write_specified_summary(Engine& e, float fos, float theta_degrees, bool misleading);

// The line of thrust as report rows, one per slice, under the heading of the unit system.
void write_thrust_rows(Engine& e);

// The outcome lines of a local non-convergence after `iterations` inner iterations.
void write_local_nonconvergence(Engine& e, int32_t iterations);

// The outcome lines of an outer non-convergence after `iterations` outer iterations.
void write_outer_nonconvergence(Engine& e, int32_t iterations);

}  // namespace scarpex
