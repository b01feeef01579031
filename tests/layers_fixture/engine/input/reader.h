#pragma once
#include "core/downward.h"
