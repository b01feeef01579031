#include "views/products.h"

#include <fstream>
#include <iostream>

#include "results/file_reading.h"
#include "views/convergence_svg.h"
#include "views/html_writer.h"
#include "views/json_writer.h"
#include "views/svg_writer.h"

namespace scarpex_host {

namespace {

bool write_text_file(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) std::cerr << "scarpex: cannot write " << path << "\n";
  return static_cast<bool>(file);
}

}  // namespace

bool write_products(const ProductPaths& paths, const Results& results, std::ostream& say) {
  if (results.analyses.empty() && !paths.svg.empty()) {
    std::cerr << "scarpex: no drawing in the plot file; the picture shows nothing of the problem\n";
  }
  bool ok = true;
  if (!paths.svg.empty()) ok = write_text_file(paths.svg, results_svg(results)) && ok;
  if (!paths.html.empty()) ok = write_text_file(paths.html, results_html(results)) && ok;
  if (!paths.convergence_svg.empty())
    ok = write_text_file(paths.convergence_svg, convergence_svg(results)) && ok;
  if (!paths.json.empty()) {
    std::string json = results_json(results);
    if (paths.json_to_stdout()) {
      std::cout << json << std::flush;
    } else {
      ok = write_text_file(paths.json, json) && ok;
    }
  }
  for (const auto* file : {&paths.svg, &paths.html, &paths.json, &paths.convergence_svg}) {
    if (!file->empty() && *file != kStandardOutput)
      say << "Wrote " << absolute_path(*file).string() << "\n";
  }
  return ok;
}

}  // namespace scarpex_host
