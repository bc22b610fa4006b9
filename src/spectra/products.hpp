// The arithmetic of the cross-spectral stages, in double precision.
#pragma once

namespace vibfrf {

struct Line {
  double re = 0.0;
  double im = 0.0;
};

// conj(a)·b: the cross spectrum of a with b. Sba = cross(b, a) is its conjugate.
inline Line cross(Line a, Line b) { return {a.re * b.re + a.im * b.im, a.re * b.im - a.im * b.re}; }
// |a|²
inline double power(Line a) { return a.re * a.re + a.im * a.im; }

// num / den as the textbook formula, without scaling: a zero denominator gives IEEE infinities
// and NaNs, which are written as they come.
inline Line divide(Line num, Line den) {
  const double d = den.re * den.re + den.im * den.im;
  return {(den.re * num.re + den.im * num.im) / d, (den.re * num.im - den.im * num.re) / d};
}

}  // namespace vibfrf
