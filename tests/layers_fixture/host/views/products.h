// Allowed: a view uses the results model and its own folder.
#pragma once
#include "results/results.h"
#include "views/svg_writer.h"
