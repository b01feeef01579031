// ANISO: direction-dependent strength of chosen soil types. Each entry names a soil type and
// gives a table of direction ranges (ascending counterclockwise limits, each closing a range
// with its own cohesion and friction angle), and optionally a second table for the lower
// reference elevation. A count of 0 suppresses or reactivates the stored data.
#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"

namespace scarpex {

namespace {

using RangeRow = Table<float, kMaxAnisoRanges>;

// One direction table of an entry: the top one or the bottom one.
struct RangeTable {
  int32_t& count;
  RangeRow& direction;
  RangeRow& cohesion;
  RangeRow& friction;
};

// The error lines of an entry name its position in the command, with no empty line after.
void report_entry_error(Engine& e, std::string_view code, int32_t entry) {
  report_input_error_item(e, code, "Soil Type", entry, false);
}

void write_range_heading(Engine& e) {
  static const FortranFormat kHeading(
      "(/,/,10X,'Direction',4X,'Counterclockwise',5X,'Cohesion',5X,'Friction',/,"
      "12X,'Range',7X,'Direction Limit',4X,'Intercept',7X,'Angle',/,"
      "13X,'No.',12X,'(deg)',12X,A5,9X,'(deg)',/)");
  kHeading.write(e.report, {e.model.stress_label});
}

// Reads the range count of a table with its caption; false (after AI05 and abort_run) when
// the count does not fit the table, or when the run is ending.
bool read_range_count(Engine& e, const FortranFormat& caption, int32_t entry, int32_t& count) {
  int32_t value = 0;
  if (!read_int(e, value)) return false;
  caption.write(e.report, {value});
  if (value < 2 || value > kMaxAnisoRanges) {
    write_error_line_item(e.report, "AI05", "Soil Type", entry, false);
    abort_run(e);
    return false;
  }
  // Stored only once it fits, so that no later step reads beyond the range table.
  count = value;
  return true;
}

// Reads, checks, echoes and converts the ranges of one table; false when the run is ending.
bool read_ranges(Engine& e, int32_t entry, const RangeTable& t) {
  static const FortranFormat kRow("(10X,I5,9X,F9.1,9X,F9.1,4X,F9.1)");
  write_range_heading(e);
  for (int32_t r = 1; r <= t.count; ++r) {
    if (!read_real(e, t.direction[r]) || !read_real(e, t.cohesion[r]) ||
        !read_real(e, t.friction[r])) {
      return false;
    }
  }
  for (int32_t r = 2; r <= t.count; ++r) {
    if (t.direction[r] < t.direction[r - 1]) {
      report_entry_error(e, "AI06", entry);
      break;  // one AI06 per table at most
    }
  }
  if (t.direction[t.count] < 90.0f) report_entry_error(e, "AI07", entry);
  for (int32_t r = 1; r <= t.count; ++r) {
    kRow.write(e.report, {r, t.direction[r], t.cohesion[r], t.friction[r]});
  }
  // The limits are echoed in degrees and used in radians; friction angles stay in degrees.
  for (int32_t r = 1; r <= t.count; ++r) t.direction[r] = t.direction[r] * e.model.deg_to_rad;
  return true;
}

// Reads entry i; false when the run is ending.
bool read_entry(Engine& e, int32_t i) {
  static const FortranFormat kSoil("(/,/,10X,'Soil Type',I3,' Is Anisotropic')");
  static const FortranFormat kTopCount("(/,10X,'Number Of Direction Ranges Specified =',I3)");
  static const FortranFormat kBottomCount(
      "(/,10X,'Number Of Direction Ranges Specified at Bottom=',I3)");
  ProblemModel& m = e.model;
  if (!read_int(e, m.aniso_soil[i])) return false;
  kSoil.write(e.report, {m.aniso_soil[i]});
  // A soil type of 0 names no soil type at all: rejected like one beyond the soil count.
  if (m.aniso_soil[i] > m.soil_count || m.aniso_soil[i] <= 0) report_entry_error(e, "AI04", i);

  if (!read_int(e, m.aniso_bottom_given[i])) return false;
  if (!read_range_count(e, kTopCount, i, m.aniso_range_count[i])) return false;
  if (!read_ranges(e, i,
                   {m.aniso_range_count[i], m.aniso_direction[i], m.aniso_cohesion[i],
                    m.aniso_friction[i]})) {
    return false;
  }
  if (m.aniso_bottom_given[i] <= 0) return true;
  if (!read_range_count(e, kBottomCount, i, m.aniso_bottom_range_count[i])) return false;
  return read_ranges(e, i,
                     {m.aniso_bottom_range_count[i], m.aniso_bottom_direction[i],
                      m.aniso_bottom_cohesion[i], m.aniso_bottom_friction[i]});
}

}  // namespace

void read_anisotropy(Engine& e) {
  static const FortranFormat kTitle(
      "(/,/,/,9X,'ANISOTROPIC STRENGTH PARAMETERS',/,13X,I2,' soil type(s)')");
  ProblemModel& m = e.model;
  int32_t count = 0;
  if (!read_int(e, count)) return;
  if (count == 0) {
    apply_suppression_rule(e, m.aniso_active, m.aniso_count, "AI01",
                           "ANISOTROPIC STRENGTH DATA HAS BEEN SUPPRESSED",
                           "SUPPRESSED ANISOTROPIC STRENGTH DATA HAS BEEN REACTIVATED");
    return;
  }
  kTitle.write(e.report, {count});
  if (count > m.soil_count) report_input_error(e, "AI02");
  // A count outside 1 to 10 (a negative one included) is rejected and never stored, so that
  // no later step reads beyond the entry table.
  if (count > kMaxAnisoEntries || count < 0) {
    write_error_line(e.report, "AI03");
    abort_run(e);
    return;
  }
  m.aniso_count = count;
  for (int32_t i = 1; i <= count; ++i) {
    if (!read_entry(e, i)) return;
  }
  m.aniso_active = 1;
}

}  // namespace scarpex
