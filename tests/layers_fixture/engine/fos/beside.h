// Planted fault: input and fos share a rank, so neither may use the other.
#pragma once

#include "input/reader.h"
