// Planted fault: run and views share a rank, so neither may use the other.
#pragma once

#include "results/results.h"
#include "views/products.h"
