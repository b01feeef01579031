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
  // Flushes and closes; false when anything written since the file was opened was lost.
  bool close();
  bool is_open() const { return file_ != nullptr || memory_; }
  // True once a write, flush or close of the file has failed; it stays so until the sink is
  // opened again, and write_error() holds the errno of the first failure.
  bool write_failed() const { return write_error_ != 0; }
  int write_error() const { return write_error_; }

  void write(std::string_view text);
  void write(char c) {
    *reserve_tail(1) = c;
    ++size_;
  }
  void write_repeated(char c, std::size_t count);
  void end_line() {
    write('\n');
    if (size_ >= kFlushThreshold && !memory_) flush();
  }
  void line(std::string_view text) {
    write(text);
    end_line();
  }
  // Hands the buffer to the file. After a failure the rest of the output is dropped, so that
  // the file holds an unbroken beginning of what was written rather than text with holes.
  void flush();

  // Direct writing, for the formatter: room for `count` more characters at the end of the
  // text, which the caller fills and then closes with commit_tail at the end of what it wrote.
  char* reserve_tail(std::size_t count) {
    if (buffer_.size() - size_ < count) grow(count);
    return buffer_.data() + size_;
  }
  void commit_tail(const char* end) {
    size_ = static_cast<std::size_t>(end - buffer_.data());
    if (size_ >= kFlushThreshold && !memory_) flush();
  }

  // Everything written so far, for a memory sink.
  const std::string& text() const {
    buffer_.resize(size_);
    return buffer_;
  }
  // The text held and not yet handed to a file, without changing the sink.
  std::string_view pending() const { return std::string_view(buffer_.data(), size_); }
  // Forgets the text held, keeping the room it had, so that refilling allocates nothing.
  void clear() { size_ = 0; }
  // Appends a block of whole lines, handing it on to the file as end_line would.
  void write_lines(std::string_view text) {
    write(text);
    if (size_ >= kFlushThreshold && !memory_) flush();
  }

  // Exchanges everything: file, mode, failure and text. Output meant for one destination is
  // collected in memory elsewhere (a search's trials on other threads) and later appended.
  friend void swap(TextSink& a, TextSink& b) noexcept;

 private:
  static constexpr std::size_t kFlushThreshold = 1 << 16;
  std::FILE* file_ = nullptr;
  bool owns_file_ = false;
  bool memory_ = false;
  int write_error_ = 0;
  // The text is the first size_ characters. The string is kept longer than that, so that
  // room at the end is handed out without being filled first; text() cuts it to the text.
  mutable std::string buffer_;
  std::size_t size_ = 0;

  void grow(std::size_t count);
  void record_failure();
};

}  // namespace scarpex
