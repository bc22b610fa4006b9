#include "transform/butterfly.hpp"

#include <cmath>
#include <cstddef>

namespace vibfrf {
namespace {

inline Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex operator*(Complex y, Complex w) {
  return {y.re * w.re - y.im * w.im, y.im * w.re + y.re * w.im};
}

void build_twiddles(std::span<Complex> table, std::size_t length, double two_pi, Sign sign) {
  const double direction = sign == Sign::forward ? -1.0 : 1.0;
  for (std::size_t k = 0; k < length / 2; ++k) {
    const double angle = static_cast<double>(k) * two_pi / static_cast<double>(length);
    table[k] = {static_cast<float>(std::cos(angle)), static_cast<float>(direction * std::sin(angle))};
  }
}

}  // namespace

void butterfly_passes(std::span<Complex> data, std::span<Complex> twiddles, unsigned nstages,
                      double two_pi, Sign sign, StageObserver on_stage) {
  const std::size_t m = data.size();
  if (nstages == 0) return;
  for (std::size_t p = 0; p + 1 < m; p += 2) {  // block length 2: no twiddle
    const Complex a = data[p];
    const Complex b = data[p + 1];
    data[p] = a + b;
    data[p + 1] = a - b;
  }
  for (unsigned s = 2; s <= nstages; ++s) {
    if (on_stage != nullptr) on_stage(s, nstages);
    const std::size_t length = std::size_t{1} << s;
    const std::size_t half = length / 2;
    build_twiddles(twiddles, length, two_pi, sign);
    for (std::size_t t = 0; t < m; t += length) {
      for (std::size_t k = 0; k < half; ++k) {
        const Complex x = data[t + k];
        const Complex u = data[t + half + k] * twiddles[k];
        data[t + k] = x + u;
        data[t + half + k] = x - u;
      }
    }
  }
}

}  // namespace vibfrf
