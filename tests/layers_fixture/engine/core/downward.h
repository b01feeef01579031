// Allowed: the core uses the model and its own folder.
#pragma once
#include <string>
#include "core/downward.h"
#include "model/upward.h"
