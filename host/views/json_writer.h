// The results as one JSON document (schema "scarpex-results", version 1, in the README).
#pragma once

#include <string>

#include "results/results.h"

namespace scarpex_host {

// 2: `warnings` holds objects {code, message}; searches carry `search` and `convergence`.
constexpr int kJsonSchemaVersion = 2;

// `indent` < 0 writes one line (also the form of each line of a batch's JSON Lines file).
std::string results_json(const Results& results, int indent = -1);

}  // namespace scarpex_host
