// Reads the plot file: the frame of its header, the drawings, the surface records and the
// slice records, grouped into the analyses of the run.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

struct PlotData {
  PlotFrame frame;
  std::vector<Analysis> analyses;
  bool ended = false;
  int lines = 0;  // lines read
};

// `file` names the file in error messages. Throws ResultsError on a malformed or cut file.
// A search's trials are kept whole while they are few, and as a sample beyond that
// (Analysis::trials_sampled); the file is read as a stream, in bounded memory.
PlotData read_plot_file(const std::string& file, std::string_view text);
PlotData read_plot_file(const std::string& file, std::istream& in);

}  // namespace scarpex_host
