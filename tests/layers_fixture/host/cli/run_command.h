// Allowed: the command line uses every stage below it.
#pragma once
#include "results/results.h"
#include "run/beside.h"
#include "views/products.h"
