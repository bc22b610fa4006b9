// The three conversions of the tables, %15.6e, %12.4g and %12.5g, with their width built in.
// Internal to the text layer: print.cpp writes a table line's numbers with them, and put_e and
// put_g (format_fast.cpp) use them for these conversions too, so that the check of every float
// covers what the tables print.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "textio/digits.hpp"
#include "textio/format_digits.hpp"
#include "textio/round_exact.hpp"

namespace vibfrf::textio::detail::fast {

// Each builds its whole field in two words, so that the caller can store it both in the output
// and in its cache of recent numbers without reading it back from memory (a read of bytes just
// written by several smaller stores waits for them). The text always fills the field exactly:
// it is never wider (at most 14 characters for %15.6e, 12 for %12.5g). They return false for inf
// and nan and where the rounding declines; the caller then prints the reference text.

// A field of up to 16 characters: bytes 0 to 7 and 8 to 15, the first character in the lowest
// byte; the bytes past the field's width are scratch.
struct TableField {
  std::uint64_t low;
  std::uint64_t high;
};

inline std::uint64_t load_word(const char* in) {
  std::uint64_t word;
  std::memcpy(&word, in, 8);
  return word;
}

inline void store_field(char* out, const TableField& f) {
  store_word(out, f.low);
  store_word(out + 8, f.high);
}

__extension__ typedef unsigned __int128 uint128;

// The low n bytes (0 to 15) of x.
inline uint128 low_bytes(uint128 x, int n) { return x & ((uint128{1} << (8 * n)) - 1); }

// %15.6e: two blanks, or a blank and the sign, then "d.dddddd" and "e+ddd".
inline bool table_e_15_6(double v, TableField& f) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  RoundedDecimal rounded;
  if (!round_significant<7>(bits & ~(std::uint64_t{1} << 63), rounded)) return false;
  const std::uint64_t head = digit_text<7>(rounded.digits).head_with_point();
  const std::uint64_t exponent = exponent_texts[static_cast<std::size_t>(rounded.exponent + max_exponent_text)];
  const std::uint64_t lead = (bits >> 63) != 0 ? 0x2D20 : 0x2020;  // " -" or "  "
  f.low = lead | (head << 16);
  f.high = (head >> 48) | (exponent << 16);
  return true;
}

// %12.Pg for P = 4 and 5: the text of put_g_digits<P>, right-aligned in the field. The exponent
// notation, the most common in the tables, is built from the field's end in two 64-bit words:
// "e+ddd" is always bytes 7 to 11. The fixed notations are built in a 128-bit word and moved up
// behind the blanks.
template <int P>
inline bool table_g_12(double v, TableField& f) {
  static_assert(P == 4 || P == 5, "the text must fit 12 characters");
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  RoundedDecimal rounded;
  if (!round_significant<P>(bits & ~(std::uint64_t{1} << 63), rounded)) return false;
  const DigitText t = digit_text<P>(rounded.digits);
  const int kept = t.kept;
  const int x = rounded.exponent;
  const std::uint64_t minus = bits >> 63;
  if (x >= P || x < -4) {  // "d.ddde+ddd", or "de+ddd" for one digit: bytes 7 - head to 11
    const int head = kept > 1 ? kept + 1 : 1;
    const std::uint64_t exponent = exponent_texts[static_cast<std::size_t>(x + max_exponent_text)];
    const std::uint64_t digits = t.head_with_point() & (~std::uint64_t{0} >> (8 * (8 - head)));
    // Blanks below the head, the one just below it made a '-' (0x20 | 0x0D) for a negative value.
    const std::uint64_t blanks = 0x2020202020202020ULL >> (8 * (head + 1));
    f.low = blanks | (minus * 0x0D) << (8 * (6 - head)) | digits << (8 * (7 - head)) |
            std::uint64_t{'e'} << 56;
    f.high = exponent >> 8;
    return true;
  }
  uint128 text;
  int length;
  if (x >= 0) {  // "dd.dd": whole digits, then the point and the rest when there are more
    const int whole = x + 1;
    text = low_bytes(t.first, whole);
    length = whole;
    if (kept > whole) {
      text |= (uint128{'.'} << (8 * whole)) |
              (low_bytes(t.first >> (8 * whole), kept - whole) << (8 * (whole + 1)));
      length = kept + 1;
    }
  } else {  // "0.00ddd": the point and up to three zeros before the digits
    const int lead = 2 + (-x - 1);
    text = low_bytes(0x3030303030302E30ULL, lead) | (low_bytes(t.first, kept) << (8 * lead));
    length = lead + kept;
  }
  if (minus != 0) {
    text = (text << 8) | '-';
    ++length;
  }
  constexpr uint128 blanks = (uint128{0x2020202020202020ULL} << 64) | 0x2020202020202020ULL;
  const int pad = 12 - length;
  const uint128 field = (text << (8 * pad)) | low_bytes(blanks, pad);
  f.low = static_cast<std::uint64_t>(field);
  f.high = static_cast<std::uint64_t>(field >> 64);
  return true;
}

// The same into memory, for put_e and put_g: nullptr where the above return false.
inline char* table_e_15_6(char* out, double v) {
  TableField f;
  if (!table_e_15_6(v, f)) return nullptr;
  store_field(out, f);
  return out + 15;
}
inline char* table_g_12_4(char* out, double v) {
  TableField f;
  if (!table_g_12<4>(v, f)) return nullptr;
  store_field(out, f);
  return out + 12;
}
inline char* table_g_12_5(char* out, double v) {
  TableField f;
  if (!table_g_12<5>(v, f)) return nullptr;
  store_field(out, f);
  return out + 12;
}

}  // namespace vibfrf::textio::detail::fast
