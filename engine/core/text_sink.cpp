#include "core/text_sink.h"

namespace scarpex {

TextSink::~TextSink() {
  close();
}

bool TextSink::open_file(const std::string& path) {
  close();
  file_ = std::fopen(path.c_str(), "wb");
  owns_file_ = file_ != nullptr;
  return file_ != nullptr;
}

void TextSink::attach(std::FILE* stream) {
  close();
  file_ = stream;
  owns_file_ = false;
}

void TextSink::use_memory() {
  close();
  memory_ = true;
  buffer_.clear();
}

void TextSink::write(std::string_view text) {
  buffer_.append(text);
}

void TextSink::flush() {
  if (file_ == nullptr) return;
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
  buffer_.clear();
  std::fflush(file_);
}

void TextSink::close() {
  flush();
  if (owns_file_ && file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  owns_file_ = false;
  if (!memory_) buffer_.clear();
  memory_ = false;
}

}  // namespace scarpex
