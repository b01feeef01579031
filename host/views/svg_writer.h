// A picture of the problem and its results as an SVG document.
#pragma once

#include <string>

#include "results/results.h"

namespace scarpex_host {

std::string results_svg(const Results& results);

}  // namespace scarpex_host
