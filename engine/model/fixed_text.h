// A fixed-length, blank-padded text field.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace scarpex {

template <std::size_t N>
class FixedText {
 public:
  FixedText() { chars_.fill(' '); }
  explicit FixedText(std::string_view text) { assign(text); }

  // Takes the text up to the field's length; the rest of the field is blank.
  void assign(std::string_view text) {
    chars_.fill(' ');
    for (std::size_t i = 0; i < N && i < text.size(); ++i) chars_[i] = text[i];
  }
  std::string_view view() const { return std::string_view(chars_.data(), N); }
  std::string_view trimmed() const {
    std::string_view v = view();
    std::size_t end = v.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : v.substr(0, end + 1);
  }
  char& operator[](std::size_t i) { return chars_[i]; }
  char operator[](std::size_t i) const { return chars_[i]; }
  static constexpr std::size_t size() { return N; }

 private:
  std::array<char, N> chars_;
};

}  // namespace scarpex
