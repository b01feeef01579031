// The pseudo-random generator of the trial surface search: multiplicative congruential,
// multiplier 5^7, with a modulus that grows in powers of two with the number of draws.
// Its state lives as long as the library and is never reseeded.
#pragma once

#include "model/random_state.h"

namespace scarpex {

// Next value, strictly between 0 and 1.
float next_random(RandomState& rng);

}  // namespace scarpex
