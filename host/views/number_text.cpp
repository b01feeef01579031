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

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kSurrogatesFirst = 0xD800, kSurrogatesLast = 0xDFFF;
constexpr char32_t kNotCharacterFirst = 0xFFFE, kNotCharacterLast = 0xFFFF;

// The length of the well-formed UTF-8 sequence at `i` that encodes an XML character, or 0 when
// there is none: a byte that starts no sequence, a sequence cut short, an overlong encoding, a
// surrogate, U+FFFE, U+FFFF or a code point beyond U+10FFFF would each make the document
// ill-formed.
std::size_t utf8_length(const std::string& text, std::size_t i) {
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t length = c < 0x80           ? 1
                       : (c >> 5) == 0x6  ? 2
                       : (c >> 4) == 0xE  ? 3
                       : (c >> 3) == 0x1E ? 4
                                          : 0;
  if (length == 0 || i + length > text.size()) return 0;
  char32_t code = length == 1 ? c : c & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next >> 6) != 0x2) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < kSmallest[length] || code > kLastCodePoint) return 0;
  if (code >= kSurrogatesFirst && code <= kSurrogatesLast) return 0;
  if (code == kNotCharacterFirst || code == kNotCharacterLast) return 0;
  return length;
}

}  // namespace

std::string terminal_text(const std::string& text) {
  constexpr unsigned char kDelete = 0x7F;
  constexpr unsigned char kC1First = 0x80, kC1Last = 0x9F;
  auto escaped = [](unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    return std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length = utf8_length(text, i);
    if (length == 0 || c < 0x20 || c == kDelete) {
      out += escaped(c);
      continue;
    }
    // A C1 control character, encoded in two bytes (U+0080 to U+009F).
    unsigned char second = length == 2 ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c == 0xC2 && second >= kC1First && second <= kC1Last) {
      out += escaped(c) + escaped(second);
    } else {
      out.append(text, i, length);
    }
    i += length - 1;
  }
  return out;
}

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
