// Reads the plot file: the frame of its header, the drawings, the surface records and the
// slice records, grouped into the analyses of the run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

struct PlotData {
  PlotFrame frame;
  std::vector<Analysis> analyses;
  bool ended = false;
};

// `file` names the file in error messages. Throws ResultsError on a malformed or cut file.
PlotData read_plot_file(const std::string& file, std::string_view text);

}  // namespace scarpex_host
