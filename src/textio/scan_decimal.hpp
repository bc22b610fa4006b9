// The scanner's usual case: a decimal number lexed and valued in one pass over the text, with
// the characters taken exactly as scanf takes them.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

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
// with an optional point (19 digits at most, leading zeros counted), and an optional exponent of
// an 'e', an optional sign and one to four digits. It returns the end of the number with the
// value in `out`, the same characters and the same value as lex_decimal with exact_value or the
// full conversion would give. It returns nullptr, having stored nothing, for every other text,
// which the general path then reads: no digit, more digits, an 'e' without exponent digits, a
// hexadecimal "0x", "inf" and "nan", and a value that one rounding step cannot give. A number
// that reaches `end` is returned too; the caller decides whether it may go on past it.

inline constexpr double exact_double_powers[23] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool is_decimal_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// m * 10^e10 correctly rounded to a double when m <= 2^53 and |e10| <= 22: both are exact, so
// one multiplication or division rounds once.
inline bool plain_value(std::uint64_t m, int e10, double& out) {
  if (m > (std::uint64_t{1} << 53) || e10 < -22 || e10 > 22) return false;
  const double power = exact_double_powers[e10 < 0 ? -e10 : e10];
  out = e10 < 0 ? static_cast<double>(m) / power : static_cast<double>(m) * power;
  return true;
}

// The same to a float, through a double w: when m <= 2^53, w is the correctly rounded double, and
// rounding it to a float goes wrong only when w lands exactly on a midpoint between two floats;
// for a longer m, w is within 2 units of the double's last place of the exact value. So when w
// lies more than 8 such units from every float midpoint (its 29 bits below the float's last place
// are not within 8 of one half), the float nearest w is the float nearest the exact value. Only
// normal floats are taken, where those 29 bits are the float's rounding bits.
inline bool plain_value(std::uint64_t m, int e10, float& out) {
  if (e10 < -22 || e10 > 22) return false;
  if (m == 0) {
    out = 0.0f;
    return true;
  }
  const double power = exact_double_powers[e10 < 0 ? -e10 : e10];
  const double w = e10 < 0 ? static_cast<double>(m) / power : static_cast<double>(m) * power;
  constexpr std::uint64_t half = std::uint64_t{1} << 28;
  const std::uint64_t rounding_bits = std::bit_cast<std::uint64_t>(w) & (2 * half - 1);
  if (rounding_bits - (half - 8) <= 16) return false;  // within 8 of the midpoint
  if (!(w >= 0x1p-126 && w < 0x1.fffffep127)) return false;
  out = static_cast<float>(w);
  return true;
}

inline std::uint64_t load_word(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
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
// 2^64) and returns n. Eight bytes at a time while eight lie before `end`: a byte is a digit when
// its high nibble is 3 both as it is and with 6 added (':' to '?' carry into 4); a carry out of
// a byte above 0xF9 can only disturb the bytes after that non-digit, which are not taken.
inline int take_digits(const char*& p, const char* end, std::uint64_t& mantissa) {
  constexpr std::uint64_t high_nibbles = 0xF0F0F0F0F0F0F0F0ULL;
  constexpr std::uint64_t threes = 0x3030303030303030ULL;
  // A lone digit, the whole part of every number in exponent notation, needs no word.
  if (end - p >= 2 && is_decimal_digit(p[0]) && !is_decimal_digit(p[1])) {
    mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    return 1;
  }
  int count = 0;
  while (end - p >= 8) {
    const std::uint64_t w = load_word(p);
    const std::uint64_t not_digit =
        ((w & high_nibbles) ^ threes) | (((w + 0x0606060606060606ULL) & high_nibbles) ^ threes);
    const int n = std::countr_zero(not_digit) / 8;  // digits before the first other byte
    if (n == 0) return count;
    // The n digits moved to the top bytes, zeros in front: the value of the eight is theirs.
    mantissa = mantissa * digit_scales[n] + eight_digits_value((w - threes) << (8 * (8 - n)));
    count += n;
    p += n;
    if (n < 8) return count;
  }
  for (; p != end && is_decimal_digit(*p); ++p, ++count)
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  return count;
}

template <class T>
inline const char* scan_plain_decimal(const char* p, const char* const end, T& out) {
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  // Up to 19 digits fit the 64-bit mantissa; with more it may have wrapped, and is not used.
  std::uint64_t mantissa = 0;
  int digits = take_digits(p, end, mantissa);
  int fraction_digits = 0;
  if (p != end && *p == '.') {
    ++p;
    fraction_digits = take_digits(p, end, mantissa);
    digits += fraction_digits;
  }
  if (digits == 0 || digits > 19) return nullptr;
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
  T magnitude;
  if (!plain_value(mantissa, exponent - fraction_digits, magnitude)) return nullptr;
  out = negative ? -magnitude : magnitude;
  return p;
}

}  // namespace vibfrf::textio::detail

