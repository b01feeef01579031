// EQUAKE: the pseudo-static earthquake coefficients applied to every slice weight, and the
// cavitation pressure, which is echoed only. No value is checked.
#include "core/data_reader.h"
#include "core/fortran_format.h"
#include "input/command_readers.h"

namespace scarpex {

void read_earthquake(Engine& e) {
  static const FortranFormat kCoefficients(
      "(/,/,/,10X,'A Horizontal Earthquake Loading Coefficient',/,"
      "10X,'Of ',F5.3,' Has Been Assigned',/,/,"
      "10X,'A Vertical Earthquake Loading Coefficient',/,"
      "10X,'Of ',F5.3,' Has Been Assigned')");
  static const FortranFormat kCavitation("(/,10X,'Cavitation Pressure =',F7.1,A5)");
  ProblemModel& m = e.model;
  // Each value is stored once it has been read whole; a value that fails to read leaves the
  // stored one as it was.
  float value = 0.0f;
  if (!read_real(e, value)) return;
  m.earthquake_kh = value;
  if (!read_real(e, value)) return;
  m.earthquake_kv = value;
  kCoefficients.write(e.report, {m.earthquake_kh, m.earthquake_kv});
  if (!read_real(e, value)) return;
  m.cavitation_pressure = value;
  kCavitation.write(e.report, {m.cavitation_pressure, m.stress_label});
}

}  // namespace scarpex
