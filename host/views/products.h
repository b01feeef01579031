// The products of a run asked for on the command line: the picture, the HTML page and the JSON
// document, each written whole from the results.
#pragma once

#include <ostream>
#include <string>

#include "results/results.h"

namespace scarpex_host {

// The JSON document's path that means standard output.
constexpr const char* kStandardOutput = "-";

// Paths as the user gave them; empty: not asked for.
struct ProductPaths {
  std::string svg, html, json, convergence_svg;
  bool json_to_stdout() const { return json == kStandardOutput; }
};

// Writes every product asked for and says "Wrote PATH" for each file on `say`; false when one
// of them could not be written (said on standard error).
bool write_products(const ProductPaths& paths, const Results& results, std::ostream& say);

}  // namespace scarpex_host
