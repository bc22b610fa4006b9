#include "transform/butterfly.hpp"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace vibfrf {
namespace {

// Two entries side by side, re, im, re, im: the butterflies take two at a time. Each lane gets
// the operations the single-entry formula gives it, in the same order, so the result is the
// same to the bit: re = y.re*w.re - y.im*w.im (written as adding the negated product, which is
// the same IEEE operation) and im = y.im*w.re + y.re*w.im.
typedef float Pair __attribute__((vector_size(16)));
typedef int PairIndex __attribute__((vector_size(16)));

// Complex is two floats with default member values, trivially copyable: copied as bytes.
Pair load(const Complex* p) {
  Pair v;
  std::memcpy(&v, static_cast<const void*>(p), sizeof v);
  return v;
}
void store(Complex* p, Pair v) { std::memcpy(static_cast<void*>(p), &v, sizeof v); }

// y * w for two entries and their two twiddles.
Pair times(Pair y, Pair w) {
  const Pair w_re = __builtin_shuffle(w, PairIndex{0, 0, 2, 2});
  const Pair w_im = __builtin_shuffle(w, PairIndex{1, 1, 3, 3});
  const Pair y_swapped = __builtin_shuffle(y, PairIndex{1, 0, 3, 2});  // im, re, im, re
  const Pair cross = y_swapped * w_im;                                 // y.im*w.im, y.re*w.im
  return y * w_re + cross * Pair{-1.0f, 1.0f, -1.0f, 1.0f};
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
    const Pair ab = load(&data[p]);
    const Pair ba = __builtin_shuffle(ab, PairIndex{2, 3, 0, 1});
    // a + b (as b + a: the same sum) and a - b.
    store(&data[p], __builtin_shuffle(ba + ab, ab - ba, PairIndex{0, 1, 4, 5}));
  }
  for (unsigned s = 2; s <= nstages; ++s) {
    if (on_stage != nullptr) on_stage(s, nstages);
    const std::size_t length = std::size_t{1} << s;
    const std::size_t half = length / 2;  // even from here on
    build_twiddles(twiddles, length, two_pi, sign);
    for (std::size_t t = 0; t < m; t += length) {
      Complex* const low = &data[t];
      Complex* const high = &data[t + half];
      for (std::size_t k = 0; k < half; k += 2) {
        const Pair x = load(low + k);
        const Pair u = times(load(high + k), load(&twiddles[k]));
        store(low + k, x + u);
        store(high + k, x - u);
      }
    }
  }
}

}  // namespace vibfrf
