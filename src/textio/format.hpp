// Number formatting with the digits and rounding of C's printf, for the conversions the program
// prints: %W.Pe, %W.Pg and %Wld. Every exponent is written with its sign and exactly three digits
// ("1.000000e+000", "1.234e-005"), and the field width is applied after that. Non-finite values
// print as "inf", "-inf", "nan" and "-nan". None of these functions allocates or throws.
#pragma once

#include <cstddef>

namespace vibfrf::textio {

// Room that any single conversion of this file needs when its width and precision stay within
// max_width and max_precision (a text wider than its field is never cut).
inline constexpr int max_width = 40;
inline constexpr int max_precision = 17;
inline constexpr std::size_t max_number_chars = 64;

// Each writes one converted value at `out` and returns the end of what it wrote. `out` must have
// room for max_number_chars bytes, all of which may be written (what lies past the returned end
// is scratch). Preconditions: 0 <= width <= max_width, 0 <= precision <= max_precision.
char* put_e(char* out, double v, int width, int precision);
char* put_g(char* out, double v, int width, int precision);
char* put_long(char* out, long v, int width);

// The same conversions through std::to_chars, which rounds exactly as printf does. put_e and put_g
// give the same bytes faster (format_fast.hpp) and fall back on these where they cannot decide.
char* put_e_reference(char* out, double v, int width, int precision);
char* put_g_reference(char* out, double v, int width, int precision);

}  // namespace vibfrf::textio
