#include "core/text_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace scarpex {

TextSink::~TextSink() {
  close();
}

bool TextSink::open_file(const std::string& path) {
  close();
  write_error_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  owns_file_ = file_ != nullptr;
  return file_ != nullptr;
}

void TextSink::attach(std::FILE* stream) {
  close();
  write_error_ = 0;
  file_ = stream;
  owns_file_ = false;
}

void swap(TextSink& a, TextSink& b) noexcept {
  std::swap(a.file_, b.file_);
  std::swap(a.owns_file_, b.owns_file_);
  std::swap(a.memory_, b.memory_);
  std::swap(a.write_error_, b.write_error_);
  a.buffer_.swap(b.buffer_);
  std::swap(a.size_, b.size_);
}

void TextSink::use_memory() {
  close();
  write_error_ = 0;
  memory_ = true;
  size_ = 0;
}

void TextSink::write(std::string_view text) {
  if (text.empty()) return;
  std::memcpy(reserve_tail(text.size()), text.data(), text.size());
  size_ += text.size();
}

void TextSink::write_repeated(char c, std::size_t count) {
  std::memset(reserve_tail(count), c, count);
  size_ += count;
}

// Room for `count` more characters, and at least as much again: the string doubles, so that
// growing costs little over a run.
void TextSink::grow(std::size_t count) {
  buffer_.resize(std::max(size_ + count, 2 * buffer_.size()));
}

void TextSink::record_failure() {
  // Some streams fail without setting errno; EIO still tells that the data did not arrive.
  if (write_error_ == 0) write_error_ = errno != 0 ? errno : EIO;
}

void TextSink::flush() {
  if (file_ == nullptr) return;
  if (write_failed()) {
    size_ = 0;
    return;
  }
  errno = 0;
  if (size_ > 0 && std::fwrite(buffer_.data(), 1, size_, file_) != size_) record_failure();
  size_ = 0;
  if (!write_failed() && std::fflush(file_) != 0) record_failure();
}

bool TextSink::close() {
  flush();
  if (owns_file_ && file_ != nullptr) {
    errno = 0;
    if (std::fclose(file_) != 0) record_failure();
  }
  file_ = nullptr;
  owns_file_ = false;
  if (!memory_) size_ = 0;
  memory_ = false;
  return !write_failed();
}

}  // namespace scarpex
