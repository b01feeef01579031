#include "run/darozi_export.h"

#include <atomic>

#include "run/run_sequence.h"

namespace {

// A call made while another is running (from another thread, or recursively) would share and
// corrupt the one problem model; it is refused instead.
constexpr int32_t kCallWhileRunning = 4;
std::atomic<bool> run_in_progress{false};

}  // namespace

// The library's one export. The two arguments are not used; the run is described entirely by
// names.dat and the files it names. Returns 0 when the run sequence completed, however the run
// ended, and a non-zero code when names.dat or a run file could not be used (1, 2), the engine
// failed unexpectedly (3), a run was already in progress (4), or an output file could not be
// written completely (5). The engine is made inside the guarded call, so that nothing escapes.
SCARPEX_EXPORT int32_t SCARPEX_CALL DAROZI(int32_t first, int32_t second) {
  (void)first;
  (void)second;
  if (run_in_progress.exchange(true)) return kCallWhileRunning;
  int32_t result = scarpex::run_guarded(scarpex::library_engine);
  run_in_progress.store(false);
  return result;
}
