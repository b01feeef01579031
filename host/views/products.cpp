#include "views/products.h"

#include <iostream>
#include <vector>

#include "results/file_reading.h"
#include "views/atomic_file.h"
#include "views/convergence_svg.h"
#include "views/html_writer.h"
#include "views/json_writer.h"
#include "views/number_text.h"
#include "views/svg_writer.h"

namespace scarpex_host {

namespace {

struct Product {
  const std::string* path;
  std::string text;
};

// Writes the JSON document on standard output and checks that it went: a full device or a
// closed pipe is a failure, not a success.
bool write_to_standard_output(const std::string& text) {
  std::cout << text << std::flush;
  if (std::cout) return true;
  std::cerr << "scarpex: cannot write the JSON document on standard output\n";
  return false;
}

}  // namespace

bool write_products(const ProductPaths& paths, const Results& results, std::ostream& say) {
  if (results.analyses.empty() && !paths.svg.empty()) {
    std::cerr << "scarpex: no drawing in the plot file; the picture shows nothing of the problem\n";
  }
  std::vector<Product> products;
  if (!paths.svg.empty()) products.push_back({&paths.svg, results_svg(results)});
  if (!paths.html.empty()) products.push_back({&paths.html, results_html(results)});
  if (!paths.convergence_svg.empty())
    products.push_back({&paths.convergence_svg, convergence_svg(results)});
  bool ok = true;
  if (!paths.json.empty()) {
    std::string json = results_json(results);
    if (paths.json_to_stdout()) {
      ok = write_to_standard_output(json);
    } else {
      products.push_back({&paths.json, std::move(json)});
    }
  }
  // Each product whole or not at all; "Wrote" only for those that were.
  for (const Product& product : products) {
    std::string problem;
    if (write_file_atomically(absolute_path(*product.path), product.text, problem)) {
      say << "Wrote " << terminal_text(absolute_path(*product.path).string()) << "\n";
    } else {
      std::cerr << "scarpex: " << terminal_text(problem) << "\n";
      ok = false;
    }
  }
  return ok;
}

}  // namespace scarpex_host
