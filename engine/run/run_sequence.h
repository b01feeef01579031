// The run sequence of one call of DAROZI.
#pragma once

#include <cstdint>

#include "core/engine.h"

namespace scarpex {

// Return codes of a call: 0 the run sequence completed, however the run ended.
inline constexpr int32_t kRunCompleted = 0;
inline constexpr int32_t kInternalFailure = 3;  // an unexpected failure inside the engine
// The run went as far as it could, but an output file could not be written completely (a
// full disk, a lost connection): its contents must not be trusted.
inline constexpr int32_t kOutputWriteFailure = 5;

// Start-up settings, names.dat and the run files, banner, header and command loop, then the
// files are closed. Returns kRunCompleted, kOutputWriteFailure, kInternalFailure or a
// failure code of run_files.h; never throws.
int32_t run_engine(Engine& e);

// The one engine instance of the library, made on the first call.
Engine& library_engine();

// Gets the engine from `engine_of_call` and runs it; whatever fails, the making of the engine
// included, ends as a return code, never as an exception.
int32_t run_guarded(Engine& (*engine_of_call)());

}  // namespace scarpex
