// The scanner's usual case: a decimal number lexed and valued in one pass over the text, with
// the characters taken exactly as scanf takes them.
#pragma once

#include <cstdint>

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

}  // namespace vibfrf::textio::detail
