#include "views/number_text.h"

#include <charconv>
#include <cmath>

namespace scarpex_host {

std::string fixed_text(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  if (value == 0) value = 0;  // no "-0.000"
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "-";
  std::string text(buffer, result.ptr);
  if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);
  return text;
}

std::string short_text(double value) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return result.ec == std::errc() ? std::string(buffer, result.ptr) : "-";
}

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0 when the byte there starts none.
std::size_t utf8_length(const std::string& text, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t length = c < 0x80           ? 1
                       : (c >> 5) == 0x6  ? 2
                       : (c >> 4) == 0xE  ? 3
                       : (c >> 3) == 0x1E ? 4
                                          : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return 0;
  }
  return length;
}

}  // namespace

std::string xml_escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      // Texts of the report may come from files in another encoding: a byte that starts no
      // UTF-8 sequence would make the document ill-formed, so it becomes a question mark.
      std::size_t length = utf8_length(text, i);
      if (length == 0) {
        out += '?';
      } else {
        out.append(text, i, length);
        i += length - 1;
      }
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        // Control characters are not allowed in XML 1.0.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
          out += ' ';
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace scarpex_host
