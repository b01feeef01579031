#include "core/text_sink.h"

#include <cerrno>

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

void TextSink::use_memory() {
  close();
  write_error_ = 0;
  memory_ = true;
  buffer_.clear();
}

void TextSink::write(std::string_view text) {
  buffer_.append(text);
}

void TextSink::record_failure() {
  // Some streams fail without setting errno; EIO still tells that the data did not arrive.
  if (write_error_ == 0) write_error_ = errno != 0 ? errno : EIO;
}

void TextSink::flush() {
  if (file_ == nullptr) return;
  if (write_failed()) {
    buffer_.clear();
    return;
  }
  errno = 0;
  if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
    record_failure();
  }
  buffer_.clear();
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
  if (!memory_) buffer_.clear();
  memory_ = false;
  return !write_failed();
}

}  // namespace scarpex
