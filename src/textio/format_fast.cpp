#include "textio/format_fast.hpp"

#include <array>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "textio/decimal_power.hpp"
#include "textio/digits.hpp"
#include "textio/format.hpp"
#include "textio/reference_route.hpp"
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

namespace vibfrf::textio {
namespace {

constexpr std::uint32_t powers_of_ten[] = {1,      10,      100,      1000,      10000,
                                           100000, 1000000, 10000000, 100000000, 1000000000};

// floor(log10(2^n)), exact for |n| <= 1650.
constexpr int floor_log10_pow2(int n) { return (n * 78913) >> 18; }

using detail::RoundedDecimal;

// The doubles nearest 10^j for |j| <= 300, each from the 64-bit table entry rounded to 53 bits.
constexpr int max_scale = 300;
constexpr std::array<double, 2 * max_scale + 1> scales = [] {
  std::array<double, 2 * max_scale + 1> table{};
  for (int j = -max_scale; j <= max_scale; ++j) {
    const detail::DecimalPower& p = detail::decimal_power(j);
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

// Rounds the finite value whose bits without the sign are `bits` to P significant digits as
// printf does. False when it cannot tell the way of a tie. A template, so that the powers and
// bounds of each P are constants in its code.
template <int P>
[[gnu::always_inline]] inline bool round_significant(std::uint64_t bits, RoundedDecimal& out) {
  if (bits == 0) {
    out = {0, 0};
    return true;
  }
  const int biased_exponent = static_cast<int>(bits >> 52);
  int k = floor_log10_pow2(biased_exponent - 1023);
  constexpr int max_k = max_scale - 10;
  if (biased_exponent == 0 || k < -max_k || k > max_k) [[unlikely]]
    return detail::round_exact(bits, P, out);
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
    return detail::round_exact(bits, P, out);
  integer += fraction > 0.5 ? 1 : 0;
  if (integer == powers_of_ten[P]) {
    integer = powers_of_ten[P - 1];
    ++k;
  }
  out = {integer, k};
  return true;
}

// The digits of a rounded value as text: the first digit, then the others with zeros behind
// them to sixteen characters, so that any 8-byte copy from within the digits stays inside the
// array; and how many digits are left when trailing zeros are dropped (at least one).
struct DigitText {
  char chars[17];
  int kept;
};

template <int P>
[[gnu::always_inline]] inline DigitText digit_text(std::uint32_t digits) {
  DigitText t;
  std::uint64_t values;  // the first eight digits, one per byte, the first in the lowest
  if constexpr (P <= 8) {
    values = detail::eight_digit_values(digits * powers_of_ten[8 - P]);
    t.chars[16] = '0';
  } else {
    const std::uint32_t first_eight = digits / 10;
    values = detail::eight_digit_values(first_eight);
    t.chars[16] = static_cast<char>('0' + digits - first_eight * 10);
  }
  detail::store_word(t.chars, values | detail::ascii_zeros);
  detail::store_word(t.chars + 8, detail::ascii_zeros);
  // The highest non-zero byte tells the last significant digit; "| 1" keeps one digit of zero.
  t.kept = 8 - std::countl_zero(values | 1) / 8;
  if constexpr (P > 8) {
    if (t.chars[16] != '0') t.kept = 9;
    t.chars[8] = t.chars[16];
  }
  return t;
}

// %W.(P-1)e of a finite value: "d.ddddde+XXX", right-aligned.
template <int P>
[[gnu::always_inline]] inline char* put_e_digits(char* out, double v, int width) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  RoundedDecimal rounded;
  if (!round_significant<P>(bits & ~(std::uint64_t{1} << 63), rounded)) return nullptr;
  const int sign = static_cast<int>(bits >> 63);
  const int length = sign + P + (P > 1 ? 1 : 0) + 5;
  detail::fill_blanks(out, width);
  char* p = out + std::max(width - length, 0);
  *p = '-';  // kept only when the value is negative
  p += sign;
  const DigitText t = digit_text<P>(rounded.digits);
  p[0] = t.chars[0];
  p[1] = '.';
  std::memcpy(p + 2, t.chars + 1, 8);
  return detail::put_exponent(p + (P > 1 ? P + 1 : 1), rounded.exponent);
}

// %W.Pg of a finite value, P >= 1: P significant digits, in fixed notation when the exponent X of
// the rounded value satisfies -4 <= X < P, else in exponent notation; trailing zeros of the
// fraction are dropped, and the point with them. Every layout is written with fixed-size copies
// at offsets found from X and the count of digits kept.
template <int P>
[[gnu::always_inline]] inline char* put_g_digits(char* out, double v, int width) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  RoundedDecimal rounded;
  if (!round_significant<P>(bits & ~(std::uint64_t{1} << 63), rounded)) return nullptr;
  const int sign = static_cast<int>(bits >> 63);
  const DigitText t = digit_text<P>(rounded.digits);
  const int kept = t.kept;
  const int x = rounded.exponent;
  detail::fill_blanks(out, width);
  if (x >= P || x < -4) {
    const int length = sign + kept + (kept > 1 ? 1 : 0) + 5;
    char* p = out + std::max(width - length, 0);
    *p = '-';
    p += sign;
    p[0] = t.chars[0];
    p[1] = '.';
    std::memcpy(p + 2, t.chars + 1, 8);
    return detail::put_exponent(p + (kept > 1 ? kept + 1 : 1), x);
  }
  if (x >= 0) {
    const int whole = x + 1;  // digits before the point
    const int length = sign + (kept > whole ? kept + 1 : whole);
    char* p = out + std::max(width - length, 0);
    *p = '-';
    p += sign;
    std::memcpy(p, t.chars, 16);  // whole <= P <= 9 digits before the point
    p[whole] = '.';
    std::memcpy(p + whole + 1, t.chars + whole, 8);
    return p + length - sign;
  }
  const int zeros = -x - 1;  // between the point and the first digit, at most three
  const int length = sign + 2 + zeros + kept;
  char* p = out + std::max(width - length, 0);
  *p = '-';
  p += sign;
  std::memcpy(p, "0.000000", 8);
  std::memcpy(p + 2 + zeros, t.chars, 16);
  return p + length - sign;
}

bool is_finite(double v) {
  return (std::bit_cast<std::uint64_t>(v) & (std::uint64_t{0x7FF} << 52)) !=
         (std::uint64_t{0x7FF} << 52);
}

}  // namespace

// Every byte up to max_number_chars past `out` may be written; the text ends at the pointer
// returned. The conversions the program's tables use have their own instances, with the width a
// constant; the others share one instance per precision.
char* try_put_e_fast(char* out, double v, int width, int precision) {
  if (!is_finite(v)) return nullptr;
  if (width == 15 && precision == 6) return put_e_digits<7>(out, v, 15);
  switch (precision + 1) {
    case 1: return put_e_digits<1>(out, v, width);
    case 2: return put_e_digits<2>(out, v, width);
    case 3: return put_e_digits<3>(out, v, width);
    case 4: return put_e_digits<4>(out, v, width);
    case 5: return put_e_digits<5>(out, v, width);
    case 6: return put_e_digits<6>(out, v, width);
    case 7: return put_e_digits<7>(out, v, width);
    case 8: return put_e_digits<8>(out, v, width);
    case 9: return put_e_digits<9>(out, v, width);
    default: return nullptr;
  }
}

char* try_put_g_fast(char* out, double v, int width, int precision) {
  if (!is_finite(v)) return nullptr;
  if (width == 12 && precision == 4) return put_g_digits<4>(out, v, 12);
  if (width == 12 && precision == 5) return put_g_digits<5>(out, v, 12);
  switch (precision) {
    case 0:  // %.0g shows one digit, as %.1g does
    case 1: return put_g_digits<1>(out, v, width);
    case 2: return put_g_digits<2>(out, v, width);
    case 3: return put_g_digits<3>(out, v, width);
    case 4: return put_g_digits<4>(out, v, width);
    case 5: return put_g_digits<5>(out, v, width);
    case 6: return put_g_digits<6>(out, v, width);
    case 7: return put_g_digits<7>(out, v, width);
    case 8: return put_g_digits<8>(out, v, width);
    case 9: return put_g_digits<9>(out, v, width);
    default: return nullptr;
  }
}

// put_e and put_g live here, so that the fast path is inlined into them.
char* put_e(char* out, double v, int width, int precision) {
  if (detail::reference_route != nullptr) [[unlikely]]
    return detail::reference_route->put_e(out, v, width, precision);
  char* end = try_put_e_fast(out, v, width, precision);
  return end != nullptr ? end : put_e_reference(out, v, width, precision);
}

char* put_g(char* out, double v, int width, int precision) {
  if (detail::reference_route != nullptr) [[unlikely]]
    return detail::reference_route->put_g(out, v, width, precision);
  char* end = try_put_g_fast(out, v, width, precision);
  return end != nullptr ? end : put_g_reference(out, v, width, precision);
}

namespace detail {

const ReferenceRoute* reference_route = nullptr;

char* put_e_15_6(char* out, double v, int, int) {
  if (reference_route != nullptr) [[unlikely]]
    return reference_route->put_e(out, v, 15, 6);
  char* end = is_finite(v) ? put_e_digits<7>(out, v, 15) : nullptr;
  return end != nullptr ? end : put_e_reference(out, v, 15, 6);
}

char* put_g_12_4(char* out, double v, int, int) {
  if (reference_route != nullptr) [[unlikely]]
    return reference_route->put_g(out, v, 12, 4);
  char* end = is_finite(v) ? put_g_digits<4>(out, v, 12) : nullptr;
  return end != nullptr ? end : put_g_reference(out, v, 12, 4);
}

char* put_g_12_5(char* out, double v, int, int) {
  if (reference_route != nullptr) [[unlikely]]
    return reference_route->put_g(out, v, 12, 5);
  char* end = is_finite(v) ? put_g_digits<5>(out, v, 12) : nullptr;
  return end != nullptr ? end : put_g_reference(out, v, 12, 5);
}

}  // namespace detail

void set_reference_route_for_tests(const ReferenceRoute* route) { detail::reference_route = route; }

}  // namespace vibfrf::textio
