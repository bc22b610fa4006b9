// The fast path of put_e and put_g (format.hpp): the same bytes as the reference conversion for
// up to max_fast_digits significant digits, from 64-bit integer arithmetic instead of an exact
// conversion (the method and its error bound are told in format_fast.cpp). It declines (returns
// nullptr, having written nothing) for inf and nan, for more digits, and for the rare value that
// lies within its error bound of a rounding tie where it has no exact test; put_e and put_g then
// use the reference conversion.
#pragma once

namespace vibfrf::textio {

inline constexpr int max_fast_digits = 9;

// %W.Pe and %W.Pg exactly as put_e and put_g, or nullptr when the fast path cannot decide.
char* try_put_e_fast(char* out, double v, int width, int precision);
char* try_put_g_fast(char* out, double v, int width, int precision);

}  // namespace vibfrf::textio
