#include "textio/round_exact.hpp"

#include <array>
#include <bit>
#include <cstddef>

#include "textio/decimal_power.hpp"

// How the digits are found. A finite double is v = m * 2^e with 2^52 <= m < 2^53 (subnormals are
// normalised first). To round it to P significant digits with decimal exponent k, the program
// needs x = v * 10^(P-1-k), which lies in [10^(P-1), 10^P), rounded to an integer. With
// 10^j ~ c * 2^b from the table (c truncated to 64 bits, relative error below 2^-63),
//   x ~ m * c * 2^(e+b),
// an exact 53x64-bit product read as a fixed-point number: its integer part above bit s = -(e+b),
// its fraction below. The computed x errs only low, and by less than
//   x * 2^-63 + 2^-64 < 2^-33  (x < 10^9, the 64 fraction bits kept),
// and rounding to nearest changes its answer only where the fraction crosses one half. So when
// the kept fraction is more than 2^-32 away from one half the rounding is the exact one. Within
// that band the side of the half is settled exactly with integers: for 0 <= j <= 27 the table
// holds 10^j exactly (5^j < 2^64), the product is x itself and the bits below the kept fraction
// tell; for -27 <= j < 0, v is compared with (2x' + 1) / 2 * 10^-j, x' being x's integer part,
// in 128 bits. An exact tie (123456.75 at %.6e, 12345 at %.4g) then goes to the even digit.
// Elsewhere in the band (|v| beyond 10^(P+26) or below 10^(P-28), where a tie would need more
// than 53 bits) the fast path declines: about one value in 10^9.
//
// k comes from the binary exponent: floor((e+52) * log10(2)) is k or k - 1. When x comes out at
// 10^P or more, k was one too small and the next power is taken. A carry to a new power of ten
// (9.9999996 to "1.000000e+001") rounds x up to 10^P, which is 10^(P-1) at exponent k + 1. An
// x a hair below 10^(P-1) that should have counted at k - 1 rounds up to 10^(P-1) all the same,
// which is the same text.

namespace vibfrf::textio::detail {
namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr std::uint64_t powers_of_ten[] = {1,      10,      100,      1000,      10000,
                                           100000, 1000000, 10000000, 100000000, 1000000000};

// floor(log10(2^n)), exact for |n| <= 1650.
constexpr int floor_log10_pow2(int n) { return (n * 78913) >> 18; }

// 5^0 to 5^27, the powers of five below 2^64: the table's powers of ten 10^0 to 10^27 are exact.
constexpr int max_exact_power = 27;
constexpr std::array<std::uint64_t, max_exact_power + 1> powers_of_five = [] {
  std::array<std::uint64_t, max_exact_power + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 5;
  return powers;
}();

// The sign of m * 2^e / 10^n - (integer + 1/2), exactly, for 1 <= n <= 27 and a value within a
// hair of that half, which is to say the sign of m * 2^(e+1-n) - (2 * integer + 1) * 5^n. The
// right side is below 2^31 * 5^27 < 2^94; the two sides are about equal, so neither shift below
// can carry bits out of 128.
int compare_with_half(std::uint64_t m, int e, int n, std::uint64_t integer) {
  const uint128 odd_half = static_cast<uint128>(2 * integer + 1) * powers_of_five[n];
  const int shift = e + 1 - n;
  const uint128 left = shift >= 0 ? static_cast<uint128>(m) << shift : static_cast<uint128>(m);
  const uint128 right = shift >= 0 ? odd_half : odd_half << -shift;
  return left > right ? 1 : (left < right ? -1 : 0);
}

}  // namespace

bool round_exact(std::uint64_t bits, int count, RoundedDecimal& out) {
  if (bits == 0) {
    out = {0, 0};
    return true;
  }
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  const int biased_exponent = static_cast<int>(bits >> 52);
  int e;
  if (biased_exponent == 0) {
    const int shift = std::countl_zero(m) - 11;
    m <<= shift;
    e = -1074 - shift;
  } else {
    m |= std::uint64_t{1} << 52;
    e = biased_exponent - 1075;
  }
  const std::uint64_t upper = powers_of_ten[count];
  constexpr std::uint64_t half = std::uint64_t{1} << 63;
  constexpr std::uint64_t band = std::uint64_t{1} << 32;  // 2^-32 in fraction units
  int k = floor_log10_pow2(e + 52);
  // Both scalings, by 10^(count-1-k) and by 10^(P-2-k) for when |v| >= 10^(k+1), are computed and
  // one is chosen by a mask, rather than branching on a condition that is true a third of the
  // time. x < 10^P and the product lies in [2^115, 2^117), so the point of the chosen product
  // lies 1 to 63 bits into its high word.
  const DecimalPower& low = decimal_power(count - 1 - k);
  const DecimalPower& high = decimal_power(count - 2 - k);
  const uint128 low_product = static_cast<uint128>(m) * low.mantissa;
  const uint128 high_product = static_cast<uint128>(m) * high.mantissa;
  const int low_shift = -(e + low.binary_exponent) - 64;
  const int high_shift = -(e + high.binary_exponent) - 64;
  if (low_shift < 1 || low_shift > 63 || high_shift < 1 || high_shift > 63)
    return false;
  const std::uint64_t next_power =
      (static_cast<std::uint64_t>(low_product >> 64) >> low_shift) >= upper ? 1 : 0;
  const std::uint64_t mask = 0 - next_power;
  const std::uint64_t word1 = (static_cast<std::uint64_t>(low_product >> 64) & ~mask) |
                              (static_cast<std::uint64_t>(high_product >> 64) & mask);
  const std::uint64_t word0 = (static_cast<std::uint64_t>(low_product) & ~mask) |
                              (static_cast<std::uint64_t>(high_product) & mask);
  const int s = next_power != 0 ? high_shift : low_shift;
  k += static_cast<int>(next_power);
  std::uint64_t integer = word1 >> s;
  const std::uint64_t fraction = (word1 << (64 - s)) | (word0 >> s);  // 64 bits below the point
  const int j = count - 1 - k;
  bool round_up;
  if (fraction > half - band && fraction < half + band) {
    if (j >= 0 && j <= max_exact_power) {
      // The table holds 10^j exactly, so the product is x exactly: ties are seen as ties.
      const bool beyond_half = fraction > half || (fraction == half && (word0 << (64 - s)) != 0);
      round_up = beyond_half || (fraction == half && (integer & 1) != 0);
    } else {
      if (j < -max_exact_power || j > max_exact_power || e + 1 + j <= -64 || e + 1 + j >= 64)
        return false;
      const int side = compare_with_half(m, e, -j, integer);
      round_up = side > 0 || (side == 0 && (integer & 1) != 0);
    }
  } else {
    // Away from the half by more than the error bound: the kept fraction tells, exact or not.
    round_up = fraction > half;
  }
  integer += round_up ? 1 : 0;
  if (integer == upper) {
    integer = upper / 10;
    ++k;
  }
  if (integer < upper / 10) return false;  // not reached: the estimate of k is never too high
  out = {static_cast<std::uint32_t>(integer), k};
  return true;
}

}  // namespace vibfrf::textio::detail
