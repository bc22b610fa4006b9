// The scanner's usual case: a decimal number lexed and valued in one pass over the text, with
// the characters taken exactly as scanf takes them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "textio/scan.hpp"
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
// scan_plain_decimal reads a number of the common form at p: an optional sign, one to seven
// digits, optionally a point and up to 24 more digits (the zeros right after "0." first, at most
// seven of them; 19 significant digits in all), and optionally an 'e' or 'E', an optional sign
// and one to three digits. It takes the same characters and gives the same value as the general
// route (lex_decimal and the full conversion), and returns the end of the number, or nullptr,
// having stored nothing, for every other text, which the general route then reads: no digit,
// more digits, other exponents, a hexadecimal "0x", "inf" and "nan", and a value that
// decimal_value declines. It reads whole words and checks no end: plain_room bytes from where
// the white space before the number starts must be in memory, so that neither the white space
// (skip_space_in_room) nor the number can reach the end of what was read.

inline constexpr std::ptrdiff_t plain_room = 128;

inline bool is_decimal_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

inline std::uint64_t load_word(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

inline constexpr std::uint64_t ascii_zero_bytes = 0x3030303030303030ULL;

// How many of the bytes of x, counted from the lowest, are below 10 (the text XORed with '0's:
// digits become their values, every other character 10 or more). A byte of 10 or more sets its
// top bit as it is or with 0x76 added; a carry out of such a byte can only disturb bytes after it.
inline int leading_digit_values(std::uint64_t x) {
  return std::countr_zero((x | (x + 0x7676767676767676ULL)) & 0x8080808080808080ULL) / 8;
}

// The value of eight digits held one per byte (values 0 to 9), the first in the lowest byte:
// pairs, then fours, then the eight, each step a multiply that adds neighbouring lanes.
inline std::uint32_t eight_digits_value(std::uint64_t d) {
  d = d * 10 + (d >> 8);  // each even byte now holds a two-digit number
  d = (((d & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
       (((d >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >> 32;
  return static_cast<std::uint32_t>(d);
}

// The value of the first n digit values (0 to 8) of the word: moved to the top bytes, zeros in
// front (in two shifts, as one of 64 bits is not defined).
inline std::uint32_t digits_value(std::uint64_t values, int n) {
  return eight_digits_value((values << (4 * (8 - n))) << (4 * (8 - n)));
}

inline constexpr std::uint64_t digit_scales[9] = {1,      10,      100,      1000,     10000,
                                                  100000, 1000000, 10000000, 100000000};

// Passes the white space at p, blanks eight at a time. nullptr when it goes on over four words
// (the general route passes it then); it reads fewer than 40 bytes.
inline const char* skip_space_in_room(const char* p) {
  for (int word = 0; word < 4; ++word) {
    const int blanks = std::countr_zero(load_word(p) ^ 0x2020202020202020ULL) / 8;
    p += blanks;
    if (blanks == 8) continue;
    if (!is_space(static_cast<unsigned char>(*p))) return p;
    ++p;  // a line end or a tab: passed, and on
  }
  return nullptr;
}

// The exponent notation of the tables, without its sign: a digit, a point, one to six digits, an
// 'e', the exponent's sign and three digits, and no digit after them ("%15.6e" writes
// "1.234567e-003", "%12.4g" "1.234e-005" or "1.2e+003"). Two words, one from p and one from
// the 'e': the end of the number, with its digits and power of ten, or nullptr for other text.
inline const char* table_exponent_shape(const char* p, std::uint64_t& mantissa, int& e10) {
  const std::uint64_t first = load_word(p);  // "d.dddddd", or "d.ddde-00" and so on
  // A digit, then a point: the low two bytes lie between "0." and "9." (read backwards).
  if (static_cast<std::uint16_t>(first - 0x2E30) >= 10) return nullptr;
  const std::uint64_t values = first ^ ascii_zero_bytes;
  constexpr std::uint64_t stop = 0xFFFFULL << 48;  // two bytes that are no digit, shifted in
  const int n = leading_digit_values((values >> 16) | stop);
  const char* const e = p + 2 + n;
  const std::uint64_t exponent = load_word(e) ^ ascii_zero_bytes;  // "e+ddd" and the byte after
  const std::uint64_t sign = (exponent >> 8) & 0xFF;                // '+' or '-', XORed
  if (n == 0 || (exponent & 0xFF) != ('e' ^ '0') || (sign != ('+' ^ '0') && sign != ('-' ^ '0')) ||
      leading_digit_values((exponent >> 16) | stop) != 3)  // three digits, then no digit
    return nullptr;
  // The digits' values with the point's byte dropped (the first digit moved up over it), then
  // shifted up so that the bytes after the last digit fall out: the top lanes hold the digits.
  const std::uint64_t lanes = ((values & 0xFF) << 8) | (values & ~std::uint64_t{0xFFFF});
  mantissa = eight_digits_value(lanes << (8 * (6 - n)));
  const int power = static_cast<int>(((exponent >> 16) & 0xFF) * 100 + ((exponent >> 24) & 0xFF) * 10 +
                                     ((exponent >> 32) & 0xFF));
  e10 = (sign == ('-' ^ '0') ? -power : power) - n;
  return e + 5;
}

template <class T>
[[gnu::always_inline]] inline const char* scan_plain_decimal(const char* p, T& out) {
  const bool negative = *p == '-';
  p += (*p == '-' || *p == '+') ? 1 : 0;
  std::uint64_t mantissa = 0;
  int e10 = 0;
  if (const char* const end = table_exponent_shape(p, mantissa, e10); end != nullptr) {
    p = end;
  } else {
    const std::uint64_t whole = load_word(p) ^ ascii_zero_bytes;
    const int whole_digits = leading_digit_values(whole);
    if (whole_digits == 8) return nullptr;
    mantissa = digits_value(whole, whole_digits);
    int significant = whole_digits;  // leading zeros of the whole part counted: no harm
    p += whole_digits;
    if ((*p | 0x20) == 'x') return nullptr;  // "0x": hexadecimal
    if (*p == '.') {
      ++p;
      const char* const fraction_start = p;
      if (mantissa == 0) {  // "0.000123": the zeros after the point only place the digits
        const int zeros = std::countr_zero(load_word(p) ^ ascii_zero_bytes) / 8;
        if (zeros == 8) return nullptr;
        p += zeros;
        significant = 0;
      }
      for (int word = 0;; ++word) {
        const std::uint64_t w = load_word(p) ^ ascii_zero_bytes;
        const int n = leading_digit_values(w);
        if (n == 0) break;
        if (word == 3) return nullptr;
        mantissa = mantissa * digit_scales[n] + digits_value(w, n);
        significant += n;
        p += n;
        if (n < 8) break;
      }
      e10 = -static_cast<int>(p - fraction_start);
      if (whole_digits == 0 && e10 == 0) return nullptr;  // a point alone: no number
    } else if (whole_digits == 0) {
      return nullptr;
    }
    if (significant > 19) return nullptr;  // the 64-bit mantissa may have wrapped
    if ((*p | 0x20) == 'e') {
      const bool negative_exponent = p[1] == '-';
      const char* const digits = p + 1 + ((p[1] == '-' || p[1] == '+') ? 1 : 0);
      const std::uint64_t w = load_word(digits) ^ ascii_zero_bytes;
      const int n = leading_digit_values(w);
      if (n == 0 || n > 3) return nullptr;
      const int power = static_cast<int>(digits_value(w, n));
      e10 += negative_exponent ? -power : power;
      p = digits + n;
    }
  }
  T magnitude;
  if (!decimal_value(mantissa, e10, magnitude)) return nullptr;
  out = negative ? -magnitude : magnitude;
  return p;
}

}  // namespace vibfrf::textio::detail
