// A self-contained HTML page of the results: summary, picture, tables and error lines.
#pragma once

#include <string>

#include "results/results.h"

namespace scarpex_host {

std::string results_html(const Results& results);

}  // namespace scarpex_host
