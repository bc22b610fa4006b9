#include "transform/butterfly.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "transform/bit_reverse.hpp"

namespace vibfrf {
namespace {

const double two_pi = 2 * std::atan2(0.0, -1.0);
constexpr double float_epsilon = 1.0 / (1 << 23);

std::vector<Complex> random_record(std::size_t m, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<Complex> x(m);
  for (Complex& c : x) c = {u(rng), u(rng)};
  return x;
}

// The transform of x in natural order, through reorder and the butterflies.
std::vector<Complex> transform(std::vector<Complex> x, unsigned nstages, Sign sign) {
  std::vector<Complex> scratch(x.size());
  bit_reverse_order(x, nstages);
  butterfly_passes(x, scratch, nstages, two_pi, sign, nullptr);
  return x;
}

// e^(sign·2πj·q/m) for q = 0 .. m-1, in long double.
std::vector<std::complex<long double>> unit_roots(std::size_t m, int sign) {
  std::vector<std::complex<long double>> roots(m);
  for (std::size_t q = 0; q < m; ++q)
    roots[q] = std::polar(1.0L, sign * 2.0L * 3.14159265358979323846264338327950288L *
                                    static_cast<long double>(q) / static_cast<long double>(m));
  return roots;
}

// Line k of the discrete Fourier transform of x, summed in long double.
std::complex<long double> naive_line(const std::vector<Complex>& x, std::size_t k,
                                     const std::vector<std::complex<long double>>& roots) {
  std::complex<long double> sum = 0;
  for (std::size_t n = 0; n < x.size(); ++n)
    sum += std::complex<long double>(x[n].re, x[n].im) * roots[(n * k) % x.size()];
  return sum;
}

TEST(Butterfly, MatchesTheDefinitionToSinglePrecision) {
  for (unsigned nstages = 1; nstages <= 16; ++nstages) {
    const std::size_t m = std::size_t{1} << nstages;
    SCOPED_TRACE(m);
    const std::vector<Complex> x = random_record(m, nstages);
    long double energy = 0;
    for (const Complex& c : x) energy += static_cast<long double>(c.re) * c.re + static_cast<long double>(c.im) * c.im;
    const double norm = std::sqrt(static_cast<double>(energy));
    for (Sign sign : {Sign::forward, Sign::inverse}) {
      const std::vector<Complex> got = transform(x, nstages, sign);
      const auto roots = unit_roots(m, sign == Sign::forward ? -1 : 1);
      // Every line of short transforms, 64 spread lines of long ones.
      const std::size_t step = m <= 1024 ? 1 : m / 64 + 1;
      double worst = 0;
      for (std::size_t k = 0; k < m; k += step) {
        const auto want = naive_line(x, k, roots);
        const double error = std::hypot(static_cast<double>(got[k].re - want.real()),
                                        static_cast<double>(got[k].im - want.imag()));
        worst = std::max(worst, error);
      }
      // Rounding grows with the number of stages and with the size of the record.
      EXPECT_LT(worst, 2.0 * float_epsilon * nstages * norm);
    }
  }
}

// The butterflies one entry at a time in plain float arithmetic, each operation rounded on its
// own: cos and ∓sin computed in double and stored as floats, u = y·w, then x + u and x − u.
std::vector<Complex> plain_butterflies(std::vector<Complex> x, unsigned nstages, Sign sign) {
  const std::size_t m = x.size();
  for (std::size_t p = 0; p + 1 < m; p += 2) {
    const Complex a = x[p], b = x[p + 1];
    x[p] = {a.re + b.re, a.im + b.im};
    x[p + 1] = {a.re - b.re, a.im - b.im};
  }
  std::vector<Complex> w(m);
  for (unsigned s = 2; s <= nstages; ++s) {
    const std::size_t length = std::size_t{1} << s, half = length / 2;
    for (std::size_t k = 0; k < half; ++k) {
      const double angle = static_cast<double>(k) * two_pi / static_cast<double>(length);
      const double direction = sign == Sign::forward ? -1.0 : 1.0;
      w[k] = {static_cast<float>(std::cos(angle)), static_cast<float>(direction * std::sin(angle))};
    }
    for (std::size_t t = 0; t < m; t += length) {
      for (std::size_t k = 0; k < half; ++k) {
        const Complex a = x[t + k], y = x[t + half + k];
        const float re = y.re * w[k].re - y.im * w[k].im;
        const float im = y.im * w[k].re + y.re * w[k].im;
        x[t + k] = {a.re + re, a.im + im};
        x[t + half + k] = {a.re - re, a.im - im};
      }
    }
  }
  return x;
}

// The kernel takes the entries two at a time; every bit must be what one at a time gives, signed
// zeros included (a record of zeros of both signs and values that cancel exactly).
TEST(Butterfly, SameBitsAsOneEntryAtATime) {
  for (unsigned nstages : {1u, 2u, 3u, 4u, 7u, 12u}) {
    const std::size_t m = std::size_t{1} << nstages;
    std::vector<std::vector<Complex>> records = {random_record(m, 100 + nstages)};
    std::vector<Complex> signed_zeros(m);
    for (std::size_t k = 0; k < m; ++k)
      signed_zeros[k] = {k % 3 == 0 ? -0.0f : 0.0f, k % 5 < 2 ? 1.0f : -1.0f};
    records.push_back(signed_zeros);
    for (const std::vector<Complex>& x : records) {
      for (Sign sign : {Sign::forward, Sign::inverse}) {
        std::vector<Complex> got = x, scratch(m);
        butterfly_passes(got, scratch, nstages, two_pi, sign, nullptr);
        const std::vector<Complex> want = plain_butterflies(x, nstages, sign);
        for (std::size_t k = 0; k < m; ++k) {
          ASSERT_EQ(std::bit_cast<std::uint32_t>(got[k].re), std::bit_cast<std::uint32_t>(want[k].re))
              << "m " << m << " line " << k;
          ASSERT_EQ(std::bit_cast<std::uint32_t>(got[k].im), std::bit_cast<std::uint32_t>(want[k].im))
              << "m " << m << " line " << k;
        }
      }
    }
  }
}

TEST(Butterfly, ForwardThenInverseGivesBackTheRecord) {
  const unsigned nstages = 12;
  const std::size_t m = std::size_t{1} << nstages;
  const std::vector<Complex> x = random_record(m, 7);
  std::vector<Complex> spectrum = transform(x, nstages, Sign::forward);
  for (Complex& c : spectrum) c = {c.re / static_cast<float>(m), c.im / static_cast<float>(m)};
  const std::vector<Complex> back = transform(spectrum, nstages, Sign::inverse);
  for (std::size_t n = 0; n < m; ++n) {
    EXPECT_NEAR(back[n].re, x[n].re, 20 * float_epsilon) << n;
    EXPECT_NEAR(back[n].im, x[n].im, 20 * float_epsilon) << n;
  }
}

TEST(Butterfly, ImpulseGivesAFlatSpectrum) {
  std::vector<Complex> x(64);
  x[0] = {1.0f, 0.0f};
  for (const Complex& c : transform(x, 6, Sign::forward)) {
    EXPECT_EQ(c.re, 1.0f);
    EXPECT_EQ(c.im, 0.0f);
  }
}

unsigned stages_seen[32];
unsigned observed;
void observe(unsigned stage, unsigned nstages) {
  stages_seen[observed++] = stage * 100 + nstages;
}

TEST(Butterfly, TellsEveryStageFromTheSecondOn) {
  std::vector<Complex> x(16), scratch(16);
  observed = 0;
  butterfly_passes(x, scratch, 4, two_pi, Sign::forward, observe);
  ASSERT_EQ(observed, 3u);
  EXPECT_EQ(stages_seen[0], 204u);
  EXPECT_EQ(stages_seen[2], 404u);
  observed = 0;
  butterfly_passes(std::span(x).first(2), scratch, 1, two_pi, Sign::forward, observe);
  EXPECT_EQ(observed, 0u);
}

TEST(Butterfly, TwiddleTableOfTheLastStageIsLeftInScratch) {
  std::vector<Complex> x(16), scratch(16);
  butterfly_passes(x, scratch, 4, two_pi, Sign::forward, nullptr);
  // The last stage's table: cos and −sin of 2πk/16 for k < 8, as floats.
  EXPECT_EQ(scratch[2].re, static_cast<float>(std::cos(2 * two_pi / 16)));
  EXPECT_EQ(scratch[2].im, static_cast<float>(-std::sin(2 * two_pi / 16)));
  butterfly_passes(x, scratch, 4, two_pi, Sign::inverse, nullptr);
  EXPECT_EQ(scratch[2].im, static_cast<float>(std::sin(2 * two_pi / 16)));
}

}  // namespace
}  // namespace vibfrf
