// The text pieces of the fast number formatting: decimal digits eight at a time, the three-digit
// exponent, and the blanks of a field. Each writes whole fixed-size blocks, some of them beyond the
// piece it stands for; what follows overwrites those bytes. Internal to format_fast.cpp.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vibfrf::textio::detail {

// The eight decimal digits of `value` (< 10^8, zeros in front) as byte values 0 to 9, the first
// digit in the lowest byte (so that storing the word little-endian writes them in order). Splits
// the number in halves, quarters and eighths inside one 64-bit word, each lane's quotient taken
// by a multiply and a shift that is exact over the lane's range: n/100 = (n*10486) >> 20 for
// n < 10^4, n/10 = (n*103) >> 10 for n < 100. No lane's product reaches into the next lane.
inline std::uint64_t eight_digit_values(std::uint32_t value) {
  static_assert(std::endian::native == std::endian::little, "the digit lanes assume little-endian");
  const std::uint64_t halves = (value / 10000) | (std::uint64_t{value % 10000} << 32);
  const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FULL;
  const std::uint64_t quarters = hundreds | ((halves - hundreds * 100) << 16);
  const std::uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000FULL;
  return tens | ((quarters - tens * 10) << 8);
}

// The same for four digits (value < 10^4), in the word's low four bytes: the quarters and eighths
// steps alone.
inline std::uint64_t four_digit_values(std::uint32_t value) {
  const std::uint64_t hundreds = (std::uint64_t{value} * 10486) >> 20;
  const std::uint64_t quarters = hundreds | ((value - hundreds * 100) << 16);
  const std::uint64_t tens = ((quarters * 103) >> 10) & 0x000F000FULL;
  return tens | ((quarters - tens * 10) << 8);
}

inline constexpr std::uint64_t ascii_zeros = 0x3030303030303030ULL;

inline void store_word(char* out, std::uint64_t word) { std::memcpy(out, &word, 8); }

// "e+005", "e-300": the sign and three digits, always, for every exponent a double can have,
// each as the first five bytes of a word (the other three are zeros), so that it is one store.
inline constexpr int max_exponent_text = 330;
inline constexpr auto exponent_texts = [] {
  std::array<std::uint64_t, 2 * max_exponent_text + 1> table{};
  for (int x = -max_exponent_text; x <= max_exponent_text; ++x) {
    const int magnitude = x < 0 ? -x : x;
    const char text[5] = {'e', x < 0 ? '-' : '+', static_cast<char>('0' + magnitude / 100),
                          static_cast<char>('0' + magnitude / 10 % 10),
                          static_cast<char>('0' + magnitude % 10)};
    std::uint64_t word = 0;
    for (int i = 4; i >= 0; --i) word = (word << 8) | static_cast<unsigned char>(text[i]);
    table[static_cast<std::size_t>(x + max_exponent_text)] = word;
  }
  return table;
}();

// Writes eight bytes; the exponent's five are the text.
inline char* put_exponent(char* out, int exponent) {
  store_word(out, exponent_texts[static_cast<std::size_t>(exponent + max_exponent_text)]);
  return out + 5;
}

// Blanks over [out, out + width) in whole blocks of 16; with a constant width the loop unrolls to
// a store or two. The caller's room (max_number_chars) covers the excess for width <= 40.
inline void fill_blanks(char* out, int width) {
  constexpr std::uint64_t blanks = 0x2020202020202020ULL;
  for (int i = 0; i < width; i += 16) {
    store_word(out + i, blanks);
    store_word(out + i + 8, blanks);
  }
}

}  // namespace vibfrf::textio::detail
