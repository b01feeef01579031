// Planted fault: the model reaches up into the core.
#pragma once
#include "core/engine.h"
