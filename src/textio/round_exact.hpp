// The exact rounding of a double to a few significant decimal digits, from 64-bit integer
// arithmetic: the slow path of the fast number formatting (format_fast.cpp), for the values
// its quicker estimate cannot decide. Internal to the formatting.
#pragma once

#include <cstdint>

namespace vibfrf::textio::detail {

// A value rounded to P significant decimal digits: digits * 10^(exponent - P + 1), with
// 10^(P-1) <= digits < 10^P (digits = 0 and exponent = 0 for zero).
struct RoundedDecimal {
  std::uint32_t digits;
  int exponent;
};

// Rounds the finite value whose bits without the sign are `bits` to `count` significant digits
// (1 <= count <= 9) as printf does: from the exact binary value, ties to even. False when it
// cannot tell the way of a tie (about one value in 10^9).
bool round_exact(std::uint64_t bits, int count, RoundedDecimal& out);

}  // namespace vibfrf::textio::detail
