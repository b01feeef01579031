#include "number_text.h"

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

std::string xml_escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
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
