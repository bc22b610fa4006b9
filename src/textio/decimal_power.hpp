// Powers of ten as 64-bit binary floating values, for the fast number formatting. Each entry holds
// the leading 64 bits of 10^j, truncated (never rounded up):
//   10^j = mantissa * 2^binary_exponent * (1 + r),  2^63 <= mantissa < 2^64,  0 <= r < 2^-63,
// and r = 0 exactly when 10^j has at most 64 significant bits (0 <= j <= 27). The table is computed
// when the program is compiled, with exact integer arithmetic on 5^|j| (10^j = 5^j * 2^j).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vibfrf::textio::detail {

struct DecimalPower {
  std::uint64_t mantissa;
  int binary_exponent;
};

// Every power that rounding a finite double to at most 9 significant digits can ask for: the
// values run from 4.9e-324 to 1.8e308.
inline constexpr int min_decimal_power = -310;
inline constexpr int max_decimal_power = 335;

namespace power_table {

// An unsigned integer of 28 * 32 bits, little-endian, with the few operations the table needs.
// 5^335 has 778 bits.
struct Big {
  static constexpr std::size_t words = 28;
  std::array<std::uint32_t, words> w{};

  constexpr void multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& word : w) {
      const std::uint64_t t = std::uint64_t{word} * factor + carry;
      word = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
  }
  constexpr void divide(std::uint32_t divisor) {  // rounds down
    std::uint64_t remainder = 0;
    for (std::size_t i = words; i-- > 0;) {
      const std::uint64_t t = (remainder << 32) | w[i];
      w[i] = static_cast<std::uint32_t>(t / divisor);
      remainder = t % divisor;
    }
  }
  constexpr int bit_length() const {
    for (std::size_t i = words; i-- > 0;) {
      if (w[i] != 0) {
        int n = 0;
        for (std::uint32_t x = w[i]; x != 0; x >>= 1) ++n;
        return static_cast<int>(32 * i) + n;
      }
    }
    return 0;
  }
  constexpr bool bit(int i) const { return (w[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1; }
  // The 64 bits from bit `top` - 1 downwards (bits below 0 read as zero).
  constexpr std::uint64_t leading_64(int top) const {
    std::uint64_t m = 0;
    for (int i = top - 1; i >= top - 64; --i) m = (m << 1) | (i >= 0 && bit(i) ? 1 : 0);
    return m;
  }
};

constexpr std::array<DecimalPower, max_decimal_power - min_decimal_power + 1> make() {
  std::array<DecimalPower, max_decimal_power - min_decimal_power + 1> table{};
  auto entry = [&table](int j) -> DecimalPower& {
    return table[static_cast<std::size_t>(j - min_decimal_power)];
  };
  // 10^n = 5^n * 2^n: the leading bits of 5^n.
  Big five_power;
  five_power.w[0] = 1;
  for (int n = 0; n <= max_decimal_power; ++n) {
    const int length = five_power.bit_length();
    entry(n) = {five_power.leading_64(length), n + length - 64};
    five_power.multiply(5);
  }
  // 10^-n = 2^-n * 2^-K * floor(2^K / 5^n) to within the truncation, with K large enough that the
  // quotient keeps more than 64 bits. Since floor(floor(a / b) / c) = floor(a / (b * c)), each
  // quotient comes from the previous one by one exact division by 5.
  constexpr int scale = 32 * Big::words - 1;  // K
  Big quotient;
  quotient.w[Big::words - 1] = std::uint32_t{1} << 31;  // 2^K
  for (int n = 1; - n >= min_decimal_power; ++n) {
    quotient.divide(5);
    const int length = quotient.bit_length();
    entry(-n) = {quotient.leading_64(length), length - 64 - scale - n};
  }
  return table;
}

}  // namespace power_table

inline constexpr auto decimal_powers = power_table::make();

constexpr const DecimalPower& decimal_power(int j) {
  return decimal_powers[static_cast<std::size_t>(j - min_decimal_power)];
}

}  // namespace vibfrf::textio::detail
