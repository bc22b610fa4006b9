// The scanner's usual case: a decimal number lexed and valued in one pass over the text, with
// the characters taken exactly as scanf takes them.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "textio/scan_value.hpp"

namespace vibfrf::textio::detail {

// A decimal number as its digits give it: mantissa * 10^exponent, and the sign. Only the first 19
// significant digits are kept; when a non-zero digit had to be dropped the value is not exact,
// and the caller converts the text instead.
struct DecimalText {
  std::uint64_t mantissa = 0;
  int exponent = 0;
  bool negative = false;
  bool exact = true;
};

enum class DecimalLex {
  number,     // a number, whose value the DecimalText holds
  no_number,  // what was taken is no number: the item fails
  other,      // hexadecimal, "inf" or "nan": not lexed here
};

// The characters of a decimal floating-point item at [p, end): a sign, digits, a point and
// digits, then an 'e' (after a digit only), a sign and digits, each part optional. `p` is left
// after them; when it is left at `end`, the item may go on beyond it.
DecimalLex lex_decimal(const char*& p, const char* end, DecimalText& d);

// The correctly rounded value when mantissa and 10^|exponent| are both exact in the type (for a
// double, mantissa <= 2^53 and |exponent| <= 22; for a float, 2^24 and 10): one multiplication or
// division, rounded once. False otherwise, with `out` untouched.
bool exact_value(const DecimalText& d, double& out);
bool exact_value(const DecimalText& d, float& out);

// --- The plain decimal number, in one pass: the scanner's usual case ---
//
// scan_plain_decimal takes a number of the common form at [p, end): an optional sign, digits
// with an optional point (at most 19 significant digits), and an optional exponent of an 'e', an
// optional sign and one to four digits. It returns the end of the number with the value in `out`,
// the same characters and the same value as lex_decimal with the full conversion would give. It
// returns nullptr, having stored nothing, for every other text, which the general path then
// reads: no digit, more digits, an 'e' without exponent digits, a hexadecimal "0x", "inf" and
// "nan", and a value that decimal_value declines. A number that reaches `end` is returned too;
// the caller decides whether it may go on past it.

inline bool is_decimal_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

inline std::uint64_t load_word(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

inline constexpr std::uint64_t ascii_zero_bytes = 0x3030303030303030ULL;

// A non-zero byte for each byte of w that is no decimal digit: a byte is a digit when its high
// nibble is 3 both as it is and with 6 added (':' to '?' carry into 4). A carry out of a byte
// above 0xF9 can only disturb the bytes after that non-digit.
inline std::uint64_t non_digit_bytes(std::uint64_t w) {
  constexpr std::uint64_t high_nibbles = 0xF0F0F0F0F0F0F0F0ULL;
  return ((w & high_nibbles) ^ ascii_zero_bytes) |
         (((w + 0x0606060606060606ULL) & high_nibbles) ^ ascii_zero_bytes);
}

// The value of eight digits held one per byte (values 0 to 9), the first in the lowest byte:
// pairs, then fours, then the eight, each step a multiply that adds neighbouring lanes.
inline std::uint32_t eight_digits_value(std::uint64_t d) {
  d = d * 10 + (d >> 8);  // each even byte now holds a two-digit number
  d = (((d & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
       (((d >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >> 32;
  return static_cast<std::uint32_t>(d);
}

inline constexpr std::uint64_t digit_scales[9] = {1,      10,      100,      1000,     10000,
                                                  100000, 1000000, 10000000, 100000000};

// Takes the run of decimal digits at p into `mantissa` (mantissa * 10^n + their value, modulo
// 2^64) and returns n, eight bytes at a time while eight lie before `end`.
inline int take_digits(const char*& p, const char* end, std::uint64_t& mantissa) {
  // A lone digit, the whole part of every number in exponent notation, needs no word.
  if (end - p >= 2 && is_decimal_digit(p[0]) && !is_decimal_digit(p[1])) {
    mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    return 1;
  }
  int count = 0;
  while (end - p >= 8) {
    const std::uint64_t w = load_word(p);
    const int n = std::countr_zero(non_digit_bytes(w)) / 8;  // digits before the first other byte
    if (n == 0) return count;
    // The n digits moved to the top bytes, zeros in front: the value of the eight is theirs.
    mantissa = mantissa * digit_scales[n] + eight_digits_value((w - ascii_zero_bytes) << (8 * (8 - n)));
    count += n;
    p += n;
    if (n < 8) return count;
  }
  for (; p != end && is_decimal_digit(*p); ++p, ++count)
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  return count;
}

// Passes the '0' characters at p.
inline void skip_zeros(const char*& p, const char* end) {
  while (end - p >= 8) {
    const std::uint64_t other = load_word(p) ^ ascii_zero_bytes;
    if (other != 0) {
      p += std::countr_zero(other) / 8;
      return;
    }
    p += 8;
  }
  while (p != end && *p == '0') ++p;
}

// A number in exponent notation as the tables write it, without its sign: a digit, a point, one
// to six digits, an 'e', the exponent's sign and three digits, and no digit after them ("%15.6e"
// writes "1.234567e-003", "%12.4g" "1.234e-005" or "1.2e+003"). Read with two words, so 16 bytes
// must lie before the end. Returns the end of the number with its digits and power of ten, or
// nullptr for any other text.
inline const char* table_exponent_shape(const char* p, std::uint64_t& mantissa, int& e10) {
  const std::uint64_t first = load_word(p);  // "d.dddddd", or "d.ddde-00" and so on
  if (!is_decimal_digit(p[0]) || p[1] != '.') return nullptr;
  // The digits after the point: the bytes shifted in at the top are zeros, which stop the count.
  const int n = std::countr_zero(non_digit_bytes(first >> 16)) / 8;
  if (n == 0) return nullptr;
  const char* const e = p + 2 + n;
  const std::uint64_t exponent = load_word(e);  // "e+ddd" and the byte after
  const std::uint64_t sign = (exponent >> 8) & 0xFF;
  // The exponent's digits, with '0' over the other bytes.
  const std::uint64_t exponent_digits = (exponent & 0x000000FFFFFF0000ULL) | 0x3030300000003030ULL;
  if ((exponent & 0xFF) != 'e' || (sign != '+' && sign != '-') ||
      non_digit_bytes(exponent_digits) != 0 || is_decimal_digit(e[5]))
    return nullptr;
  // The digits' values with the point's byte dropped (the first digit moved up over it), then
  // shifted up so that the bytes after the last digit fall out: the top lanes hold the digits.
  const std::uint64_t values = first ^ ascii_zero_bytes;
  const std::uint64_t lanes = ((values & 0xFF) << 8) | (values & ~std::uint64_t{0xFFFF});
  mantissa = eight_digits_value(lanes << (8 * (6 - n)));
  const int power = (e[2] - '0') * 100 + (e[3] - '0') * 10 + (e[4] - '0');
  e10 = (sign == '-' ? -power : power) - n;
  return e + 5;
}

template <class T>
[[gnu::always_inline]] inline const char* scan_plain_decimal(const char* p, const char* const end, T& out) {
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t mantissa = 0;
  int e10 = 0;
  const char* const shaped = end - p >= 16 ? table_exponent_shape(p, mantissa, e10) : nullptr;
  if (shaped != nullptr) {
    p = shaped;
  } else {
    const int whole_digits = take_digits(p, end, mantissa);
    int significant = whole_digits;  // leading zeros of the whole part counted: no harm
    int fraction_digits = 0;
    if (p != end && *p == '.') {
      ++p;
      const char* const fraction_start = p;
      if (mantissa == 0) {  // "0.000123": the zeros after the point only place the digits
        skip_zeros(p, end);
        significant = 0;
      }
      significant += take_digits(p, end, mantissa);
      fraction_digits = static_cast<int>(p - fraction_start);
    }
    // Up to 19 digits fit the 64-bit mantissa; with more it may have wrapped, and is not used.
    if ((whole_digits == 0 && fraction_digits == 0) || significant > 19) return nullptr;
    int exponent = 0;
    if (p != end && (*p == 'e' || *p == 'E')) {
      const char* q = p + 1;
      bool negative_exponent = false;
      if (q != end && (*q == '-' || *q == '+')) {
        negative_exponent = *q == '-';
        ++q;
      }
      const char* const exponent_start = q;
      if (end - q >= 4 && is_decimal_digit(q[0]) && is_decimal_digit(q[1]) &&
          is_decimal_digit(q[2]) && !is_decimal_digit(q[3])) {  // three digits, as the tables have
        exponent = (q[0] - '0') * 100 + (q[1] - '0') * 10 + (q[2] - '0');
        q += 3;
      }
      for (; q != end && is_decimal_digit(*q) && q - exponent_start < 5; ++q)
        exponent = exponent * 10 + (*q - '0');
      const auto exponent_digits = q - exponent_start;
      if (exponent_digits == 0 || exponent_digits > 4) return nullptr;
      exponent = negative_exponent ? -exponent : exponent;
      p = q;
    }
    if (p != end && (*p == 'x' || *p == 'X')) return nullptr;  // "0x": hexadecimal
    e10 = exponent - fraction_digits;
  }
  T magnitude;
  if (!decimal_value(mantissa, e10, magnitude)) return nullptr;
  out = negative ? -magnitude : magnitude;
  return p;
}

}  // namespace vibfrf::textio::detail
