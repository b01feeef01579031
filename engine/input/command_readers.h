// The readers of the problem commands. Each takes its data lines through read_data_value,
// reports input errors, echoes its data to the report and stores them in the model. A reader
// returns at once when stop_code is above 0 after a read.
#pragma once

#include "core/engine.h"

namespace scarpex {

void read_profile(Engine& e);            // PROFIL
void read_soils(Engine& e);              // SOIL
void read_water(Engine& e);              // WATER
void read_loads(Engine& e);              // LOADS
void read_ties(Engine& e);               // TIES
void read_earthquake(Engine& e);         // EQUAKE
void read_reinforcement(Engine& e);      // REINF
void read_anisotropy(Engine& e);         // ANISO
void read_limits(Engine& e);             // LIMITS
void read_specified_surface(Engine& e);  // SURFAC and SURBIS

}  // namespace scarpex
