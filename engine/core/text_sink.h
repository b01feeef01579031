// Buffered text output: a run file, standard output, or (in tests) memory.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace scarpex {

class TextSink {
 public:
  TextSink() = default;
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;
  ~TextSink();

  // Creates or truncates the file; false when it cannot be opened.
  bool open_file(const std::string& path);
  // Writes through to a stream the sink does not own (standard output).
  void attach(std::FILE* stream);
  // Keeps everything in memory; text() returns it.
  void use_memory();
  void close();
  bool is_open() const { return file_ != nullptr || memory_; }

  void write(std::string_view text);
  void write(char c) { buffer_.push_back(c); }
  void write_repeated(char c, std::size_t count) { buffer_.append(count, c); }
  void end_line() {
    buffer_.push_back('\n');
    if (buffer_.size() >= kFlushThreshold && !memory_) flush();
  }
  void line(std::string_view text) {
    write(text);
    end_line();
  }
  void flush();

  // Everything written so far, for a memory sink.
  const std::string& text() const { return buffer_; }

 private:
  static constexpr std::size_t kFlushThreshold = 1 << 16;
  std::FILE* file_ = nullptr;
  bool owns_file_ = false;
  bool memory_ = false;
  std::string buffer_;
};

}  // namespace scarpex
