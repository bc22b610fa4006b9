// The fast number formatting itself (format_fast.hpp tells what it promises): rounding to P
// significant digits and the layouts of %e and %g. Internal to the text layer; the three
// conversions of the tables build on it in format_table.hpp.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "textio/decimal_power.hpp"
#include "textio/digits.hpp"
#include "textio/round_exact.hpp"

// How the digits are found. To round a finite double v to P significant digits with decimal
// exponent k, the program needs x = |v| * 10^(P-1-k), which lies in [10^(P-1), 10^P), rounded to
// an integer, ties to even. The quick way computes x in double arithmetic: y = |v| * p, with p
// the double nearest 10^(P-1-k) (relative error at most 2^-53 + 2^-63, from the 64-bit table),
// and the product rounded once (2^-53). So y differs from x by less than x * 2^-51.9 < 2^-20.9
// (x < 2^31), and rounding y to nearest gives x's rounding whenever y's fraction is farther than
// that from one half: crossing an integer on the way does not change which integer is nearest.
// A fraction within 2^-18 of one half (every exact tie, and about one value in 130000 besides),
// a subnormal v, and a v whose powers of ten would leave the double range go to the exact
// rounding (round_exact.cpp), which works on the binary value with 128-bit integers.
//
// k comes from the binary exponent: floor(b * log10(2)), b the exponent of v's leading bit, is k
// or k - 1. Both scalings, by 10^(P-1-k) and by 10^(P-2-k), are multiplied and one is chosen
// without a branch (the condition is true a third of the time). A y within the error of 10^P
// can pick either: x a hair below 10^P rounds up to 10^P, and the carry to the next power (as
// 9.9999996 to "1.000000e+001") makes it 10^(P-1) at k + 1, which is the other scaling's
// rounding, so both give the same text.

namespace vibfrf::textio::detail::fast {

inline constexpr std::uint32_t powers_of_ten[] = {1,      10,      100,      1000,      10000,
                                                  100000, 1000000, 10000000, 100000000, 1000000000};

// floor(log10(2^n)), exact for |n| <= 1650.
constexpr int floor_log10_pow2(int n) { return (n * 78913) >> 18; }

// The doubles nearest 10^j for |j| <= 300, each from the 64-bit table entry rounded to 53 bits.
inline constexpr int max_scale = 300;
inline constexpr std::array<double, 2 * max_scale + 1> scales = [] {
  std::array<double, 2 * max_scale + 1> table{};
  for (int j = -max_scale; j <= max_scale; ++j) {
    const DecimalPower& p = decimal_power(j);
    std::uint64_t mantissa = (p.mantissa >> 11) + ((p.mantissa >> 10) & 1);  // to nearest
    int exponent = p.binary_exponent + 11;
    if (mantissa == std::uint64_t{1} << 53) {
      mantissa >>= 1;
      ++exponent;
    }
    const std::uint64_t biased = static_cast<std::uint64_t>(exponent + 52 + 1023);
    table[static_cast<std::size_t>(j + max_scale)] =
        std::bit_cast<double>((biased << 52) | (mantissa & ((std::uint64_t{1} << 52) - 1)));
  }
  return table;
}();

constexpr double scale(int j) { return scales[static_cast<std::size_t>(j + max_scale)]; }

inline bool is_finite(double v) {
  return (std::bit_cast<std::uint64_t>(v) & (std::uint64_t{0x7FF} << 52)) !=
         (std::uint64_t{0x7FF} << 52);
}

// The binary exponents (biased) whose values the quick way takes: normal values whose powers of
// ten stay well inside the double range. Zero, subnormals, the few decades at either end, and
// inf and nan lie outside.
inline constexpr int max_k = max_scale - 10;
inline constexpr int least_usual_exponent = 60;
inline constexpr int greatest_usual_exponent = 1989;
static_assert(floor_log10_pow2(least_usual_exponent - 1023) >= -max_k &&
              floor_log10_pow2(greatest_usual_exponent - 1023) <= max_k);

// Rounds the value whose bits without the sign are `bits` to P significant digits as printf does.
// False for inf and nan, and when it cannot tell the way of a tie. A template, so that the
// powers and bounds of each P are constants in its code.
template <int P>
[[gnu::always_inline]] inline bool round_significant(std::uint64_t bits, RoundedDecimal& out) {
  const int biased_exponent = static_cast<int>(bits >> 52);
  if (static_cast<unsigned>(biased_exponent - least_usual_exponent) >
      static_cast<unsigned>(greatest_usual_exponent - least_usual_exponent)) [[unlikely]] {
    if (biased_exponent == 0x7FF) return false;  // inf and nan have no digits
    return round_exact(bits, P, out);           // zero too
  }
  int k = floor_log10_pow2(biased_exponent - 1023);
  constexpr double upper = powers_of_ten[P];
  const double v = std::bit_cast<double>(bits);
  const double y_low = v * scale(P - 1 - k);
  const double y_high = v * scale(P - 2 - k);
  const bool next_power = y_low >= upper;
  const double y = next_power ? y_high : y_low;
  k += next_power ? 1 : 0;
  std::uint32_t integer = static_cast<std::uint32_t>(y);  // y < 2^31
  const double fraction = y - static_cast<double>(integer);
  if (fraction > 0.5 - 0x1p-18 && fraction < 0.5 + 0x1p-18) [[unlikely]]
    return round_exact(bits, P, out);
  integer += fraction > 0.5 ? 1 : 0;
  if (integer == powers_of_ten[P]) {
    integer = powers_of_ten[P - 1];
    ++k;
  }
  out = {integer, k};
  return true;
}

// The digits of a rounded value as characters in two words, the first digit in the lowest byte,
// with '0's after the last digit; and how many digits are left when trailing zeros are dropped
// (at least one). The layouts below store whole words: what a word writes past the text is
// scratch that the next piece overwrites.
struct DigitText {
  std::uint64_t first;   // characters 0 to 7
  std::uint64_t second;  // characters 8 to 15: the ninth digit when there is one, then '0's
  int kept;

  // The eight characters from `index` (0 to 9) on; past the sixteenth they are scratch.
  std::uint64_t from(int index) const {
    __extension__ typedef unsigned __int128 uint128;
    return static_cast<std::uint64_t>(((static_cast<uint128>(second) << 64) | first) >> (8 * index));
  }
  // The first digit, a point, and the next six digits: the head of the exponent notation.
  std::uint64_t head_with_point() const {
    return (first & 0xFF) | (std::uint64_t{'.'} << 8) | ((first & ~std::uint64_t{0xFF}) << 8);
  }
};

template <int P>
[[gnu::always_inline]] inline DigitText digit_text(std::uint32_t digits) {
  std::uint64_t values;  // the first eight digits, one per byte, the first in the lowest
  std::uint64_t second = ascii_zeros;
  if constexpr (P <= 4) {
    values = four_digit_values(digits * powers_of_ten[4 - P]);
  } else if constexpr (P <= 8) {
    values = eight_digit_values(digits * powers_of_ten[8 - P]);
  } else {
    const std::uint32_t first_eight = digits / 10;
    values = eight_digit_values(first_eight);
    second |= digits - first_eight * 10;
  }
  // The highest non-zero byte tells the last significant digit; "| 1" keeps one digit of zero.
  int kept = 8 - std::countl_zero(values | 1) / 8;
  if constexpr (P > 8) {
    if ((second & 0xFF) != '0') kept = 9;
  }
  return {values | ascii_zeros, second, kept};
}

// %W.(P-1)e of a finite value: "d.ddddde+XXX", right-aligned; nullptr when the rounding declines.
template <int P>
[[gnu::always_inline]] inline char* put_e_digits(char* out, double v, int width) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  RoundedDecimal rounded;
  if (!round_significant<P>(bits & ~(std::uint64_t{1} << 63), rounded)) return nullptr;
  const int sign = static_cast<int>(bits >> 63);
  const int length = sign + P + (P > 1 ? 1 : 0) + 5;
  fill_blanks(out, width);
  char* p = out + std::max(width - length, 0);
  *p = '-';  // kept only when the value is negative
  p += sign;
  const DigitText t = digit_text<P>(rounded.digits);
  store_word(p, t.head_with_point());
  if constexpr (P > 7) store_word(p + 8, t.from(7));
  return put_exponent(p + (P > 1 ? P + 1 : 1), rounded.exponent);
}

// %W.Pg of a finite value, P >= 1: P significant digits, in fixed notation when the exponent X of
// the rounded value satisfies -4 <= X < P, else in exponent notation; trailing zeros of the
// fraction are dropped, and the point with them. Every layout is written with whole words at
// offsets found from X and the count of digits kept. nullptr when the rounding declines.
template <int P>
[[gnu::always_inline]] inline char* put_g_digits(char* out, double v, int width) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  RoundedDecimal rounded;
  if (!round_significant<P>(bits & ~(std::uint64_t{1} << 63), rounded)) return nullptr;
  const int sign = static_cast<int>(bits >> 63);
  const DigitText t = digit_text<P>(rounded.digits);
  const int kept = t.kept;
  const int x = rounded.exponent;
  fill_blanks(out, width);
  if (x >= P || x < -4) {
    const int length = sign + kept + (kept > 1 ? 1 : 0) + 5;
    char* p = out + std::max(width - length, 0);
    *p = '-';
    p += sign;
    store_word(p, t.head_with_point());
    if constexpr (P > 7) store_word(p + 8, t.from(7));
    return put_exponent(p + (kept > 1 ? kept + 1 : 1), x);
  }
  if (x >= 0) {
    const int whole = x + 1;  // digits before the point
    const int length = sign + (kept > whole ? kept + 1 : whole);
    char* p = out + std::max(width - length, 0);
    *p = '-';
    p += sign;
    store_word(p, t.first);  // whole <= P <= 9 digits before the point
    store_word(p + 8, t.second);
    p[whole] = '.';
    store_word(p + whole + 1, t.from(whole));
    return p + length - sign;
  }
  const int zeros = -x - 1;  // between the point and the first digit, at most three
  const int length = sign + 2 + zeros + kept;
  char* p = out + std::max(width - length, 0);
  *p = '-';
  p += sign;
  std::memcpy(p, "0.000000", 8);
  store_word(p + 2 + zeros, t.first);
  store_word(p + 10 + zeros, t.second);
  return p + length - sign;
}

}  // namespace vibfrf::textio::detail::fast
