#include "run/darozi_export.h"

#include "run/run_sequence.h"

// The library's one export. The two arguments are not used; the run is described entirely by
// names.dat and the files it names. Returns 0 when the run sequence completed, however the run
// ended, and a non-zero code when names.dat or a run file could not be used (1, 2) or the
// engine failed unexpectedly (3). DAROZI must not be entered again while a call runs.
SCARPEX_EXPORT int32_t SCARPEX_CALL DAROZI(int32_t first, int32_t second) {
  (void)first;
  (void)second;
  return scarpex::run_engine(scarpex::library_engine());
}
