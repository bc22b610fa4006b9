// The value of a decimal number given by its digits: m * 10^e10, rounded once to the nearest double
// or float as strtod and strtof round it, ties to even. Each way declines (returns false, having
// stored nothing) where it cannot be sure; the scanner then converts the text in full.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "textio/decimal_power.hpp"

namespace vibfrf::textio::detail {

inline constexpr double exact_double_powers[23] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// m * 10^e10 to a double when m <= 2^53 and |e10| <= 22: both are exact, so one multiplication or
// division rounds once.
inline bool plain_value(std::uint64_t m, int e10, double& out) {
  if (m > (std::uint64_t{1} << 53) || e10 < -22 || e10 > 22) return false;
  const double power = exact_double_powers[e10 < 0 ? -e10 : e10];
  out = e10 < 0 ? static_cast<double>(m) / power : static_cast<double>(m) * power;
  return true;
}

// m * 10^e10 for any m >= 1 and any e10 the power table holds, from the table's 64-bit power
// c * 2^b, which is 10^e10 truncated: 10^e10 = c * 2^b * (1 + r), 0 <= r < 2^-63, and r = 0 for
// 0 <= e10 <= 27. With m shifted to w, its top bit set, the exact value is w * c * (1 + r) *
// 2^(b - shift), and the 128-bit product P = w * c, below 2^128, falls short of w * c * (1 + r)
// by less than P * 2^-63, which is less than 2^65 (a hair more with the table's own truncation):
// two units of P's high word, and never above it. So the bits that decide the rounding, those of
// the high word below the type's mantissa, are read off P unless they lie within four units
// below one half (where the shortfall and the low word could carry the value across it), or at
// one half exactly with a zero low word (a tie, or a hair past one). Where r = 0, P is exact and
// settles those too, ties going to the even mantissa; elsewhere they are declined (about one
// double in 150 at worst, no float), as are results that are subnormal or overflow. A carry out
// of the bits below the mantissa needs no care: a value that reaches the next mantissa rounds to
// it, as the value below it rounds up to it.
template <class T>
inline bool scaled_value(std::uint64_t m, int e10, T& out) {
  static_assert(std::is_same_v<T, double> || std::is_same_v<T, float>);
  constexpr int digits = std::numeric_limits<T>::digits;  // 53 or 24, the hidden bit included
  constexpr int max_exponent = std::numeric_limits<T>::max_exponent;  // 1024 or 128
  if (m == 0 || e10 < min_decimal_power || e10 > max_decimal_power) return false;
  __extension__ typedef unsigned __int128 uint128;
  const DecimalPower& power = decimal_power(e10);
  const int shift = std::countl_zero(m);
  const uint128 product = static_cast<uint128>(m << shift) * power.mantissa;
  const std::uint64_t high = static_cast<std::uint64_t>(product >> 64);
  const std::uint64_t low = static_cast<std::uint64_t>(product);
  const int upper = static_cast<int>(high >> 63);  // P >= 2^127: its top bit is bit 63 of high
  const int below = 64 - digits - 1 + upper;      // bits of high under the mantissa
  const std::uint64_t half = std::uint64_t{1} << (below - 1);
  const std::uint64_t rest = high & (2 * half - 1);
  std::uint64_t mantissa = high >> below;  // the top `digits` bits, 2^(digits-1) and up
  bool round_up;
  if (e10 >= 0 && e10 <= 27) {  // P is the exact product
    round_up = rest > half || (rest == half && (low != 0 || (mantissa & 1) != 0));
  } else {
    if (rest + 4 > half && (rest < half || (rest == half && low == 0))) return false;
    round_up = rest >= half;
  }
  mantissa += round_up ? 1 : 0;
  // The value is mantissa * 2^exponent.
  int exponent = power.binary_exponent - shift + 64 + below;
  if (mantissa == std::uint64_t{1} << digits) {
    mantissa >>= 1;
    ++exponent;
  }
  // The biased exponent of the result, whose leading bit is worth 2^(exponent + digits - 1).
  const int biased = exponent + digits - 1 + max_exponent - 1;
  if (biased < 1 || biased > 2 * max_exponent - 2) return false;  // subnormal or beyond the range
  using Bits = std::conditional_t<std::is_same_v<T, double>, std::uint64_t, std::uint32_t>;
  const Bits fraction = static_cast<Bits>(mantissa) & ((Bits{1} << (digits - 1)) - 1);
  out = std::bit_cast<T>(static_cast<Bits>((static_cast<Bits>(biased) << (digits - 1)) | fraction));
  return true;
}

// The value of a decimal number of at most 19 significant digits, m exact. A double takes the
// exact route where it can; a float always takes the scaled one, whose margin (2^39 units of the
// product's high word for a float) is never reached by its error.
template <class T>
inline bool decimal_value(std::uint64_t m, int e10, T& out) {
  if (m == 0) {
    out = T{0};
    return true;
  }
  if constexpr (std::is_same_v<T, double>) {
    if (plain_value(m, e10, out)) return true;
  }
  return scaled_value(m, e10, out);
}

}  // namespace vibfrf::textio::detail
