// The fast path of put_e and put_g (format.hpp): the same bytes as the reference conversion for
// up to max_fast_digits significant digits, from 64-bit integer arithmetic instead of an exact
// conversion. It declines (returns nullptr, writing nothing useful) when the value lies so near a
// rounding tie that its error bound cannot tell the way, or when the precision is too large;
// put_e and put_g then use the reference conversion.
#pragma once

#include <cstdint>

namespace vibfrf::textio {

inline constexpr int max_fast_digits = 9;

namespace detail {

// A value rounded to `count` significant decimal digits: digits * 10^(exponent - count + 1),
// with 10^(count-1) <= digits < 10^count (digits = 0 and exponent = 0 for zero).
struct RoundedDecimal {
  std::uint32_t digits;
  int exponent;
};

// Rounds |v| (finite) to `count` significant digits (1 <= count <= max_fast_digits) as printf
// does: from the exact binary value, ties to even. False when |v| lies too near a tie.
bool round_significant(double v, int count, RoundedDecimal& out);

}  // namespace detail

// %W.Pe and %W.Pg exactly as put_e and put_g, or nullptr when the fast path cannot decide.
char* try_put_e_fast(char* out, double v, int width, int precision);
char* try_put_g_fast(char* out, double v, int width, int precision);

}  // namespace vibfrf::textio
