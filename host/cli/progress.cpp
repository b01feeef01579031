#include "cli/progress.h"

#include <cmath>

namespace scarpex_host {

namespace {

constexpr int kBarWidth = 30;

std::string clock_text(double seconds) {
  long s = std::lround(seconds);
  std::string text = std::to_string(s / 60) + ":";
  if (s % 60 < 10) text += "0";
  return text + std::to_string(s % 60);
}

}  // namespace

Progress::Progress(int total, bool terminal, std::FILE* out)
    : total_(total), terminal_(terminal), out_(out), start_(std::chrono::steady_clock::now()) {
  tick();
}

std::string Progress::bar_text(int done, int total, double elapsed) {
  int filled = total > 0 ? done * kBarWidth / total : kBarWidth;
  std::string text = "[";
  text += std::string(static_cast<std::size_t>(filled), '#') +
          std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " +
          std::to_string(done) + "/" + std::to_string(total) + "  elapsed " + clock_text(elapsed);
  if (done > 0 && done < total) {
    text += "  left ~" + clock_text(elapsed / done * (total - done));
  }
  return text;
}

void Progress::tick() {
  if (!terminal_) return;
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(out_, "\r%s\033[K", bar_text(done_, total_, elapsed).c_str());
  std::fflush(out_);
}

void Progress::finished(const std::string& line, bool completed) {
  ++done_;
  if (terminal_) {
    if (!completed) std::fprintf(out_, "\r\033[K%s\n", line.c_str());
    tick();
    return;
  }
  std::fprintf(out_, "[%d/%d] %s\n", done_, total_, line.c_str());
  std::fflush(out_);
}

void Progress::close() {
  if (!terminal_) return;
  std::fprintf(out_, "\r\033[K");
  std::fflush(out_);
}

}  // namespace scarpex_host
