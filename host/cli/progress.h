// Progress of a batch on standard error: a bar redrawn in place on a terminal (files done of
// total, elapsed and estimated time left), a plain line per finished file otherwise.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace scarpex_host {

class Progress {
 public:
  Progress(int total, bool terminal, std::FILE* out = stderr);
  // Redraws the bar (terminal only): call now and then while runs go on.
  void tick();
  // One file has finished; `line` describes it. On a terminal only the files that did not
  // complete get their line, above the bar.
  void finished(const std::string& line, bool completed);
  // Clears the bar before the summary.
  void close();

  static std::string bar_text(int done, int total, double elapsed_seconds);

 private:
  int total_, done_ = 0;
  bool terminal_;
  std::FILE* out_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace scarpex_host
