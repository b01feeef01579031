// The state of the trial-surface search's random numbers. It lives as long as the library and
// is never reseeded, so a second run in the same process goes on with the sequence.
#pragma once

#include <cstdint>

namespace scarpex {

struct RandomState {
  int64_t state = 27487;
  int32_t draws = 0;
};

}  // namespace scarpex
