#include "textio/scan_decimal.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <type_traits>

namespace vibfrf::textio::detail {
namespace {

constexpr bool is_digit(int c) { return c >= '0' && c <= '9'; }
constexpr int lower(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// One digit of the mantissa: kept while fewer than 19 significant ones are, else dropped, and
// counted in the exponent either way.
inline void add_digit(DecimalText& d, int& kept, unsigned digit, bool after_point) {
  constexpr int max_kept = 19;  // 10^19 - 1 < 2^64
  if (kept < max_kept) {
    if (kept > 0 || digit != 0) {
      d.mantissa = d.mantissa * 10 + digit;
      ++kept;
    }
    if (after_point) --d.exponent;
  } else {
    if (!after_point) ++d.exponent;
    if (digit != 0) d.exact = false;
  }
}

}  // namespace

// The same characters as the scanner's general lexer takes (lex_floating in scan.cpp), for the
// decimal numbers, whose grammar there is a state machine over the same parts in the same order.
DecimalLex lex_decimal(const char*& p, const char* end, DecimalText& d) {
  constexpr int max_exponent = 100000;  // beyond any double: the text is converted then
  const auto digit_at = [end](const char* q) { return q != end && is_digit(*q); };
  if (p != end && (*p == '+' || *p == '-')) {
    d.negative = *p == '-';
    ++p;
  }
  if (p != end) {
    const int first = lower(static_cast<unsigned char>(*p));
    if (first == 'n' || first == 'i') return DecimalLex::other;
    if (first == '0' && end - p >= 2 && lower(static_cast<unsigned char>(p[1])) == 'x')
      return DecimalLex::other;
  }
  bool got_digit = false;
  int kept = 0;
  for (; digit_at(p); ++p) {
    got_digit = true;
    add_digit(d, kept, static_cast<unsigned>(*p - '0'), false);
  }
  if (p != end && *p == '.') {
    ++p;
    for (; digit_at(p); ++p) {
      got_digit = true;
      add_digit(d, kept, static_cast<unsigned>(*p - '0'), true);
    }
  }
  if (got_digit && p != end && lower(static_cast<unsigned char>(*p)) == 'e') {
    ++p;
    bool negative_exponent = false;
    if (p != end && (*p == '+' || *p == '-')) {
      negative_exponent = *p == '-';
      ++p;
    }
    int written = 0;
    for (; digit_at(p); ++p) written = std::min(written * 10 + (*p - '0'), max_exponent);
    d.exponent += negative_exponent ? -written : written;
  }
  return got_digit ? DecimalLex::number : DecimalLex::no_number;
}

namespace {

// 10^0 to 10^22, all exact in a double, and 10^0 to 10^10, all exact in a float.
template <class T, int N>
constexpr std::array<T, N + 1> exact_powers_of_ten() {
  std::array<T, N + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}
constexpr auto double_powers = exact_powers_of_ten<double, 22>();
constexpr auto float_powers = exact_powers_of_ten<float, 10>();

template <class T>
bool exact_value_of(const DecimalText& d, T& out) {
  constexpr bool is_double = std::is_same_v<T, double>;
  constexpr std::uint64_t max_mantissa = std::uint64_t{1} << (is_double ? 53 : 24);
  constexpr int max_power = is_double ? 22 : 10;
  if (!d.exact || d.mantissa > max_mantissa || d.exponent < -max_power || d.exponent > max_power)
    return false;
  const T m = static_cast<T>(d.mantissa);
  const std::size_t n = static_cast<std::size_t>(std::abs(d.exponent));
  T power;
  if constexpr (is_double) {
    power = double_powers[n];
  } else {
    power = float_powers[n];
  }
  const T magnitude = d.exponent < 0 ? m / power : m * power;
  out = d.negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

bool exact_value(const DecimalText& d, double& out) { return exact_value_of(d, out); }
bool exact_value(const DecimalText& d, float& out) { return exact_value_of(d, out); }

}  // namespace vibfrf::textio::detail
