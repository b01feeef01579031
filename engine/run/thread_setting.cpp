#include "run/thread_setting.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace scarpex {

namespace {

int32_t processors_available() {
#if defined(__linux__)
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
#endif
  return static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

std::optional<int32_t> parse_thread_setting(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return static_cast<int32_t>(std::min<int64_t>(value, kMaxSearchThreads));
}

int32_t threads_from_environment() {
  if (const char* setting = std::getenv("SCARPEX_THREADS")) {
    if (std::optional<int32_t> threads = parse_thread_setting(setting)) return *threads;
  }
  return std::min(processors_available(), kMaxSearchThreads);
}

}  // namespace scarpex
