// The run sequence of one call of DAROZI.
#pragma once

#include <cstdint>

#include "core/engine.h"

namespace scarpex {

// Return codes of a call: 0 the run sequence completed, however the run ended.
inline constexpr int32_t kRunCompleted = 0;
inline constexpr int32_t kInternalFailure = 3;  // an unexpected failure inside the engine

// Start-up settings, names.dat and the run files, banner, header and command loop, then the
// files are closed. Returns kRunCompleted or a failure code of run_files.h; never throws.
int32_t run_engine(Engine& e);

// The one engine instance of the library.
Engine& library_engine();

}  // namespace scarpex
