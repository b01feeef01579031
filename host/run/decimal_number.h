// Exact decimal numbers for rewriting an input file. A mirrored coordinate a - x is computed on
// the digits, not in binary: written back, it reads to the very number the user would have
// typed for the mirrored section (100. - 12.35 is 87.65, where doubles give 87.650000000000006).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scarpex_host {

class DecimalNumber {
 public:
  DecimalNumber() = default;

  // A data-line real in canonical form: an optional leading "-", digits, one point, digits.
  // "5", "1.2.3" and "+5." are not read (the caller has already applied the engine's rules).
  static std::optional<DecimalNumber> parse_plain(std::string_view text);
  // A header real as list-directed input writes it: "100", "1.5E2", "1.5D+2", "1.5+2", "+.5".
  static std::optional<DecimalNumber> parse_list_directed(std::string_view text);
  static DecimalNumber of_integer(long value);

  DecimalNumber operator-() const;
  friend DecimalNumber operator+(const DecimalNumber& a, const DecimalNumber& b);
  friend DecimalNumber operator-(const DecimalNumber& a, const DecimalNumber& b);
  // Compares values: 12.50 equals 12.5.
  friend int compare(const DecimalNumber& a, const DecimalNumber& b);
  friend bool operator<(const DecimalNumber& a, const DecimalNumber& b) {
    return compare(a, b) < 0;
  }
  friend bool operator==(const DecimalNumber& a, const DecimalNumber& b) {
    return compare(a, b) == 0;
  }

  bool is_zero() const;
  // The number as a data-line real: always a point, no exponent, no sign on zero; as many
  // decimals as the more precise operand had ("50." - "12.35" gives "37.65").
  std::string text() const;

 private:
  DecimalNumber(bool negative, std::string digits, int decimals);
  DecimalNumber with_decimals(int decimals) const;

  bool negative_ = false;
  std::string digits_ = "0";  // the value without its point, most significant digit first
  int decimals_ = 0;          // digits after the point
};

}  // namespace scarpex_host
