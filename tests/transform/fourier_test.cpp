// The transform stages with their console lines and files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "stage_fixture.hpp"
#include "table_file.hpp"
#include "transform/lines.hpp"
#include "transform/transform.hpp"

namespace vibfrf {
namespace {

using testing::read_table;
using testing::Table;

const double pi = std::atan2(0.0, -1.0);

class Forward : public testing::StageTest {
 protected:
  // Runs reorder and ctfourier on a real record as the given channel; returns the three files.
  void run(const std::vector<double>& record, std::uint32_t channel, double df, double highpass = 0) {
    wa.m = static_cast<std::uint32_t>(record.size());
    wa.nstages = static_cast<std::uint32_t>(std::log2(record.size()));
    wa.ns = wa.m;
    wa.df = df;
    wa.channel = channel;
    wa.highpass = highpass;
    for (std::size_t n = 0; n < record.size(); ++n) wa.work[n] = {static_cast<float>(record[n]), 0};
    open_slot(2, "fft.out", "w");
    open_slot(3, "fft_half.out", "w");
    open_slot(4, "fft_full.out", "w");
    reorder();
    ctfourier();
    for (std::size_t k = 2; k <= 4; ++k) close_slot(k);
    spectrum = read_table("fft.out");
    two_sided = read_table("fft_half.out");
    one_sided = read_table("fft_full.out");
  }
  static std::vector<double> wave(std::size_t m, double k, double (*f)(double)) {
    std::vector<double> x(m);
    for (std::size_t n = 0; n < m; ++n) x[n] = f(2 * pi * k * static_cast<double>(n) / static_cast<double>(m));
    return x;
  }
  Table spectrum, two_sided, one_sided;
};

TEST_F(Forward, CosineGivesHalfOnItsTwoLines) {
  const std::size_t m = 64, k = 5;
  run(wave(m, k, [](double a) { return std::cos(a); }), 1, 2.0);
  ASSERT_EQ(spectrum.size(), m);
  ASSERT_EQ(two_sided.size(), m);
  ASSERT_EQ(one_sided.size(), m / 2);
  for (std::size_t i = 0; i < m; ++i) {
    SCOPED_TRACE(i);
    EXPECT_DOUBLE_EQ(spectrum[i][0], 2.0 * static_cast<double>(i));  // every line at i·df
    const bool carrier = i == k || i == m - k;
    EXPECT_NEAR(spectrum[i][1], carrier ? 0.5 : 0.0, 1e-6);
    EXPECT_NEAR(spectrum[i][2], 0.0, 1e-6);
    EXPECT_NEAR(two_sided[i][1], carrier ? 0.5 : 0.0, 1e-6);
    if (i < m / 2) {
      EXPECT_NEAR(one_sided[i][1], i == k ? 1.0 : 0.0, 2e-6);  // doubled
    }
  }
}

TEST_F(Forward, SineGivesMinusHalfThenPlusHalf) {
  const std::size_t m = 32, k = 3;
  run(wave(m, k, [](double a) { return std::sin(a); }), 1, 1.0);
  EXPECT_NEAR(spectrum[k][2], -0.5, 1e-6);
  EXPECT_NEAR(spectrum[m - k][2], 0.5, 1e-6);
  EXPECT_NEAR(spectrum[k][1], 0.0, 1e-6);
}

TEST_F(Forward, ConsoleLinesAndWorkHoldsWhatWasWritten) {
  run(wave(16, 2, [](double a) { return std::cos(a) + 0.25; }), 1, 1.0);
  EXPECT_EQ(console(),
            "\n nm1= 4  md2=8  ns=16 \n m= 16  nstages= 4 \n\n\n i=2 / 4 \n i=3 / 4 \n i=4 / 4 ");
  for (std::size_t i = 0; i < 16; ++i) {  // the file holds work's values to 7 digits
    EXPECT_NEAR(spectrum[i][1], wa.work[i].re, 5e-7 * std::fabs(wa.work[i].re));
    EXPECT_NEAR(spectrum[i][2], wa.work[i].im, 5e-7 * std::fabs(wa.work[i].im));
  }
  EXPECT_EQ(spectrum[0][1], 0.0);  // the DC line of 0.25 is cleared
}

TEST_F(Forward, FileFormats) {
  run({1, 0, 0, 0}, 1, 250.0);
  EXPECT_EQ(testing::read_file("fft.out"),
            "  0.000000e+000   0.000000e+000   0.000000e+000 \n"
            "  2.500000e+002   2.500000e-001   0.000000e+000 \n"
            "  5.000000e+002   2.500000e-001   0.000000e+000 \n"
            "  7.500000e+002   2.500000e-001   0.000000e+000 \n");
  EXPECT_EQ(testing::read_file("fft_half.out"),
            "  0.000000e+000   0.000000e+000 \n  2.500000e+002   2.500000e-001 \n"
            "  5.000000e+002   2.500000e-001 \n  7.500000e+002   2.500000e-001 \n");
  EXPECT_EQ(testing::read_file("fft_full.out"),
            "  0.000000e+000   0.000000e+000 \n  2.500000e+002   5.000000e-001 \n");
}

TEST_F(Forward, AccelerationBecomesDisplacementKeepingItsSign) {
  const std::size_t m = 64, k = 4;
  const double df = 0.5;
  run(wave(m, k, [](double a) { return std::cos(a); }), 2, df);
  for (std::size_t i : {k, m - k}) {
    const double w = 2 * pi * static_cast<double>(i) * df;
    EXPECT_NEAR(spectrum[i][1], 0.5 / (w * w), 1e-6 * 0.5 / (w * w)) << i;
  }
  EXPECT_GT(spectrum[k][1], 0.0);  // divided by a positive number
  EXPECT_NE(spectrum[k][1], spectrum[m - k][1]);  // the upper line lies at a higher frequency
}

TEST_F(Forward, ForceIsNeverDivided) {
  run(wave(64, 4, [](double a) { return std::cos(a); }), 1, 0.5);
  EXPECT_NEAR(spectrum[4][1], 0.5, 1e-6);
}

TEST_F(Forward, TinyResolutionLeavesLowLinesUndivided) {
  const double df = 0.000004;  // lines 1 and 2 lie at or below 0.00001 Hz
  run(wave(16, 1, [](double a) { return std::cos(a); }), 2, df);
  EXPECT_NEAR(spectrum[1][1], 0.5, 1e-6);
  const double w = 2 * pi * 15 * df;
  EXPECT_NEAR(spectrum[15][1], 0.5 / (w * w), 1e-6 * 0.5 / (w * w));
}

TEST_F(Forward, HighPassClearsLinesBelowItOnly) {
  const std::vector<double> noise = {1, -2, 3, 0.5, -1, 4, 2, -3, 1, 1, 0, -2, 5, 3, -1, 2};
  run(noise, 1, 2.0, 2.5 * 2.0);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(spectrum[i][1], 0.0);
    EXPECT_EQ(two_sided[i][1], 0.0);
    EXPECT_EQ(one_sided[i][1], 0.0);
  }
  EXPECT_NE(spectrum[3][1], 0.0);
  run(noise, 1, 2.0, 3 * 2.0);  // a line exactly at the high-pass frequency stays
  EXPECT_NE(spectrum[3][1], 0.0);
  EXPECT_EQ(spectrum[2][1], 0.0);
  run(noise, 1, 2.0, -5.0);  // nothing but the DC line
  EXPECT_NE(spectrum[1][1], 0.0);
}

TEST_F(Forward, ConstantRecordVanishes) {
  run(std::vector<double>(32, 3.5), 2, 1.0);
  for (const auto& line : spectrum) {
    EXPECT_EQ(line[1], 0.0);
    EXPECT_EQ(line[2], 0.0);
  }
}

TEST_F(Forward, ShortestRecords) {
  run({1.0, 3.0}, 1, 1.0);
  EXPECT_EQ(console().find(" i="), std::string::npos);
  EXPECT_EQ(spectrum.size(), 2u);
  EXPECT_EQ(two_sided.size(), 2u);
  ASSERT_EQ(one_sided.size(), 1u);
  EXPECT_EQ(one_sided[0][1], 0.0);
  EXPECT_EQ(spectrum[1][1], -1.0);  // (1 − 3) / 2
  run({5.0}, 1, 1.0);  // no butterfly at all; the one line is the cleared DC line
  EXPECT_EQ(spectrum.size(), 1u);
  EXPECT_EQ(two_sided.size(), 1u);
  EXPECT_EQ(one_sided.size(), 0u);
}

class Inverse : public testing::StageTest {
 protected:
  void run(const std::vector<Complex>& h, double dt) {
    wa.m = static_cast<std::uint32_t>(h.size());
    wa.nstages = static_cast<std::uint32_t>(std::log2(h.size()));
    wa.dt = dt;
    for (std::size_t i = 0; i < h.size(); ++i) wa.work[i] = h[i];
    open_slot(2, "complex_impulse_h1.out", "w");
    open_slot(3, "impulse_h1.out", "w");
    reorder();
    inverse_fourier();
    close_slot(2);
    close_slot(3);
    complex_response = read_table("complex_impulse_h1.out");
    response = read_table("impulse_h1.out");
  }
  Table complex_response, response;
};

TEST_F(Inverse, FlatFunctionGivesOnesWithLineZeroCleared) {
  std::vector<Complex> h(32);
  h[0] = {1.0f, 0.0f};
  run(h, 0.01);
  ASSERT_EQ(response.size(), 32u);
  EXPECT_EQ(response[0][1], 0.0);
  for (std::size_t i = 1; i < 31; ++i) {  // 0.95·32 = 30.4: line 31 is tapered
    EXPECT_EQ(response[i][1], 1.0) << i;
    EXPECT_EQ(complex_response[i][2], 0.0) << i;
    EXPECT_DOUBLE_EQ(response[i][0], 0.01 * static_cast<double>(i));
  }
  EXPECT_EQ(response[31][1], 20.0 * 1 / 32);
}

TEST_F(Inverse, EndTreatmentRampsTheLastLinesDown) {
  std::vector<Complex> h(128);
  h[0] = {2.0f, 0.0f};
  run(h, 1.0);
  // 0.95·128 = 121.6: lines 122 to 127 are multiplied by 20·(128 − i)/128.
  EXPECT_EQ(response[121][1], 2.0);
  for (std::size_t i = 122; i < 128; ++i)
    EXPECT_FLOAT_EQ(static_cast<float>(response[i][1]), static_cast<float>(2.0 * 20 * (128 - i) / 128)) << i;
}

TEST_F(Inverse, HalfOnLinesKAndMMinusKGivesACosine) {
  const std::size_t m = 64, k = 3;
  std::vector<Complex> h(m);
  h[k] = {0.5f, 0.0f};
  h[m - k] = {0.5f, 0.0f};
  run(h, 1.0);
  for (std::size_t n = 1; n <= 60; ++n) {
    EXPECT_NEAR(response[n][1], std::cos(2 * pi * k * n / m), 1e-6) << n;
    EXPECT_NEAR(complex_response[n][2], 0.0, 1e-6) << n;
  }
  EXPECT_EQ(console(), "\n nm1= 6  md2=32  ns=0 \n m= 64  nstages= 6 \n\n\n i=2 / 6 \n i=3 / 6 \n i=4 / 6 \n i=5 / 6 \n i=6 / 6 ");
}

TEST_F(Inverse, FileFormatsAndTheShortestTransform) {
  run({{1.0f, 0.0f}, {0.5f, 0.0f}}, 0.5);
  EXPECT_EQ(console().find(" i="), std::string::npos);
  EXPECT_EQ(testing::read_file("complex_impulse_h1.out"),
            "  0.000000e+000   0.000000e+000   0.000000e+000 \n"
            "  5.000000e-001   5.000000e-001   0.000000e+000 \n");
  // Two blanks before the line end; 0.95·2 = 1.9, so line 1 is not tapered.
  EXPECT_EQ(testing::read_file("impulse_h1.out"),
            "  0.000000e+000   0.000000e+000  \n  5.000000e-001   5.000000e-001  \n");
}

TEST(ImpulseLine, TaperBoundary) {
  // With m = 20, 0.95·m is 19: line 19 is not past it.
  EXPECT_EQ(impulse_line({4.0f, 2.0f}, 19, 20).re, 4.0f);
  EXPECT_EQ(impulse_line({4.0f, 2.0f}, 19, 21).re, 4.0f);  // 19 < 19.95
  EXPECT_EQ(impulse_line({4.0f, 2.0f}, 20, 21).im, static_cast<float>(2.0 * 20 * 1 / 21));
  EXPECT_EQ(impulse_line({4.0f, 2.0f}, 0, 21).re, 0.0f);
}

}  // namespace
}  // namespace vibfrf
