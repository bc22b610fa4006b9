#include "textio/format.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vibfrf::textio {
namespace {

// The text of a value that has no digits.
char* put_non_finite(char* out, double v) {
  const char* text = std::isnan(v) ? (std::signbit(v) ? "-nan" : "nan") : (v < 0 ? "-inf" : "inf");
  const std::size_t n = std::strlen(text);
  std::memcpy(out, text, n);
  return out + n;
}

// std::to_chars writes at least two exponent digits ("e+05"); the program always writes three.
char* widen_exponent(char* begin, char* end) {
  char* e = end;
  while (e != begin && *(e - 1) != 'e') --e;
  if (e == begin) return end;  // fixed notation: no exponent
  char* digits = e + 1;        // after the exponent's sign
  const std::ptrdiff_t count = end - digits;
  if (count >= 3) return end;
  const std::ptrdiff_t shift = 3 - count;
  std::memmove(digits + shift, digits, static_cast<std::size_t>(count));
  std::memset(digits, '0', static_cast<std::size_t>(shift));
  return end + shift;
}

// Moves the text [begin, end) to `out`, right-aligned in a field of `width` blanks.
char* right_align(char* out, const char* begin, const char* end, int width) {
  const std::ptrdiff_t n = end - begin;
  if (n < width) {
    std::memset(out, ' ', static_cast<std::size_t>(width - n));
    out += width - n;
  }
  std::memmove(out, begin, static_cast<std::size_t>(n));
  return out + n;
}

char* put_float_text(char* out, double v, int width, int precision, std::chars_format style) {
  char text[max_number_chars];
  char* end;
  if (!std::isfinite(v)) {
    end = put_non_finite(text, v);
  } else {
    // to_chars with a precision rounds exactly as printf does: from the exact binary value,
    // ties to even.
    end = std::to_chars(text, text + sizeof text, v, style, precision).ptr;
    end = widen_exponent(text, end);
  }
  return right_align(out, text, end, width);
}

}  // namespace

char* put_e_reference(char* out, double v, int width, int precision) {
  return put_float_text(out, v, width, precision, std::chars_format::scientific);
}

char* put_g_reference(char* out, double v, int width, int precision) {
  return put_float_text(out, v, width, precision, std::chars_format::general);
}

char* put_long(char* out, long v, int width) {
  char text[24];
  char* end = std::to_chars(text, text + sizeof text, v).ptr;
  return right_align(out, text, end, width);
}

}  // namespace vibfrf::textio

