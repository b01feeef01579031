#include "core/line_source.h"

#include <fstream>
#include <sstream>

namespace scarpex {

bool LineSource::open_file(const std::string& path) {
  close();
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream content;
  content << file.rdbuf();
  open_text(content.str());
  return true;
}

void LineSource::open_text(std::string text) {
  text_ = std::move(text);
  pos_ = 0;
  open_ = true;
}

void LineSource::close() {
  text_.clear();
  pos_ = 0;
  open_ = false;
}

bool LineSource::next_line(std::string& line) {
  if (!open_ || pos_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', pos_);
  if (end == std::string::npos) end = text_.size();
  line.assign(text_, pos_, end - pos_);
  pos_ = end + 1;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace scarpex
