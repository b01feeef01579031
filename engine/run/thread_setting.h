// How many threads a search may use, from the process's environment.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace scarpex {

// At most this many threads, whatever is asked for.
inline constexpr int32_t kMaxSearchThreads = 256;

// SCARPEX_THREADS when it holds a whole number from 1 up (held to kMaxSearchThreads); otherwise
// the number of processors the process may run on (its CPU affinity), at least 1.
int32_t threads_from_environment();

// The count SCARPEX_THREADS gives: a whole number from 1 up, blanks around it allowed.
std::optional<int32_t> parse_thread_setting(std::string_view text);

}  // namespace scarpex
