#include "run/decimal_number.h"

#include <algorithm>
#include <charconv>

namespace scarpex_host {

namespace {

// An exponent beyond any single-precision real: such a header value is not read at all.
constexpr int kLargestExponent = 60;

bool all_digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string without_leading_zeros(const std::string& digits) {
  std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

// Magnitudes as digit strings of equal scale.
int compare_magnitudes(const std::string& a, const std::string& b) {
  std::string x = without_leading_zeros(a), y = without_leading_zeros(b);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
}

std::string add_magnitudes(const std::string& a, const std::string& b) {
  std::string sum;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
    int digit = carry;
    if (i < a.size()) digit += a[a.size() - 1 - i] - '0';
    if (i < b.size()) digit += b[b.size() - 1 - i] - '0';
    sum.push_back(static_cast<char>('0' + digit % 10));
    carry = digit / 10;
  }
  std::reverse(sum.begin(), sum.end());
  return without_leading_zeros(sum);
}

// a - b for a >= b.
std::string subtract_magnitudes(const std::string& a, const std::string& b) {
  std::string difference;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int digit = (a[a.size() - 1 - i] - '0') - borrow;
    if (i < b.size()) digit -= b[b.size() - 1 - i] - '0';
    borrow = digit < 0 ? 1 : 0;
    difference.push_back(static_cast<char>('0' + digit + 10 * borrow));
  }
  std::reverse(difference.begin(), difference.end());
  return without_leading_zeros(difference);
}

}  // namespace

DecimalNumber::DecimalNumber(bool negative, std::string digits, int decimals)
    : negative_(negative), digits_(without_leading_zeros(digits)), decimals_(decimals) {}

std::optional<DecimalNumber> DecimalNumber::parse_plain(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::size_t point = text.find('.');
  if (point == std::string_view::npos) return std::nullopt;
  std::string_view whole = text.substr(0, point), fraction = text.substr(point + 1);
  if (!all_digits(whole) || !all_digits(fraction)) return std::nullopt;
  return DecimalNumber(negative, std::string(whole) + std::string(fraction),
                       static_cast<int>(fraction.size()));
}

std::optional<DecimalNumber> DecimalNumber::parse_list_directed(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::size_t mantissa_end = text.find_first_not_of("0123456789.");
  std::string_view mantissa = text.substr(0, mantissa_end);
  std::string_view exponent_text =
      mantissa_end == std::string_view::npos ? std::string_view() : text.substr(mantissa_end);
  std::size_t point = mantissa.find('.');
  std::string_view whole = mantissa.substr(0, point);
  std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if (!all_digits(whole) || !all_digits(fraction)) return std::nullopt;
  int exponent = 0;
  if (!exponent_text.empty()) {
    char marker = exponent_text.front();
    if (marker == 'E' || marker == 'e' || marker == 'D' || marker == 'd') {
      exponent_text.remove_prefix(1);
    } else if (marker != '+' && marker != '-') {
      return std::nullopt;
    }
    if (!exponent_text.empty() && exponent_text.front() == '+') exponent_text.remove_prefix(1);
    bool negative_exponent = !exponent_text.empty() && exponent_text.front() == '-';
    if (negative_exponent) exponent_text.remove_prefix(1);
    if (exponent_text.empty() || !all_digits(exponent_text)) return std::nullopt;
    auto [end, error] = std::from_chars(exponent_text.data(),
                                        exponent_text.data() + exponent_text.size(), exponent);
    if (error != std::errc() || exponent > kLargestExponent) return std::nullopt;
    if (negative_exponent) exponent = -exponent;
  }
  std::string digits = std::string(whole) + std::string(fraction);
  int decimals = static_cast<int>(fraction.size()) - exponent;
  if (decimals < 0) {
    digits.append(static_cast<std::size_t>(-decimals), '0');
    decimals = 0;
  }
  return DecimalNumber(negative, digits, decimals);
}

DecimalNumber DecimalNumber::of_integer(long value) {
  bool negative = value < 0;
  std::string digits = std::to_string(value);
  if (negative) digits.erase(0, 1);
  return DecimalNumber(negative, digits, 0);
}

DecimalNumber DecimalNumber::with_decimals(int decimals) const {
  DecimalNumber wider = *this;
  if (decimals > decimals_) {
    wider.digits_.append(static_cast<std::size_t>(decimals - decimals_), '0');
    wider.decimals_ = decimals;
  }
  return wider;
}

DecimalNumber DecimalNumber::operator-() const {
  DecimalNumber negated = *this;
  negated.negative_ = !negative_;
  return negated;
}

DecimalNumber operator+(const DecimalNumber& a, const DecimalNumber& b) {
  int decimals = std::max(a.decimals_, b.decimals_);
  DecimalNumber x = a.with_decimals(decimals), y = b.with_decimals(decimals);
  if (x.negative_ == y.negative_) {
    return DecimalNumber(x.negative_, add_magnitudes(x.digits_, y.digits_), decimals);
  }
  if (compare_magnitudes(x.digits_, y.digits_) >= 0) {
    return DecimalNumber(x.negative_, subtract_magnitudes(x.digits_, y.digits_), decimals);
  }
  return DecimalNumber(y.negative_, subtract_magnitudes(y.digits_, x.digits_), decimals);
}

DecimalNumber operator-(const DecimalNumber& a, const DecimalNumber& b) {
  return a + (-b);
}

int compare(const DecimalNumber& a, const DecimalNumber& b) {
  DecimalNumber difference = a - b;
  if (difference.is_zero()) return 0;
  return difference.negative_ ? -1 : 1;
}

bool DecimalNumber::is_zero() const {
  return digits_ == "0";
}

std::string DecimalNumber::text() const {
  std::string digits = digits_;
  if (digits.size() <= static_cast<std::size_t>(decimals_)) {
    digits.insert(0, static_cast<std::size_t>(decimals_) + 1 - digits.size(), '0');
  }
  digits.insert(digits.size() - static_cast<std::size_t>(decimals_), ".");
  return (negative_ && !is_zero()) ? "-" + digits : digits;
}

}  // namespace scarpex_host
