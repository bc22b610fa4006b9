#include "input/conditioning.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "input/input.hpp"
#include "stage_fixture.hpp"

namespace vibfrf {
namespace {

const double pi = std::atan2(0.0, -1.0);
const double scale = std::sqrt(8.0 / 3.0);

TEST(HannWeight, EightPointsAreThePeriodicWindowScaled) {
  const double r2 = std::sqrt(2.0);
  const double expected[8] = {0, (2 - r2) / 4, 0.5, (2 + r2) / 4, 1, (2 + r2) / 4, 0.5, (2 - r2) / 4};
  for (std::uint32_t k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(hann_weight(k, 8, pi), scale * expected[k], 1e-15);
  }
  EXPECT_EQ(hann_weight(0, 8, pi), 0.0);
  EXPECT_EQ(hann_weight(4, 8, pi), scale);  // the middle of the window is exactly the scale
}

TEST(HannWeight, NoLoadedSampleWeightsZero) { EXPECT_EQ(hann_weight(0, 0, pi), 0.0); }

class Conditioning : public testing::StageTest {
 protected:
  // A record of m real values, with imaginary parts and the entries past m marked.
  void load(std::vector<float> values) {
    wa.m = static_cast<std::uint32_t>(values.size());
    wa.ns = wa.m;
    for (std::size_t k = 0; k < values.size(); ++k) wa.work[k] = {values[k], 0.25f};
    wa.work[values.size()] = {9.0f, 9.0f};
  }
  void expect_untouched_beyond_m() {
    for (std::uint32_t k = 0; k < wa.m; ++k) EXPECT_EQ(wa.work[k].im, 0.25f) << k;
    EXPECT_EQ(wa.work[wa.m].re, 9.0f);
    EXPECT_EQ(wa.work[wa.m].im, 9.0f);
  }
};

TEST_F(Conditioning, MeanRemovalSubtractsTheReadersMean) {
  load({1, 2, 3, 6});
  wa.ave = 2.5;  // the mean of more records than m
  mean_removal();
  EXPECT_EQ(console(), "\n mean removal");
  EXPECT_EQ(wa.work[0].re, -1.5f);
  EXPECT_EQ(wa.work[3].re, 3.5f);
  expect_untouched_beyond_m();
}

TEST_F(Conditioning, WindowWeightsEachEntryOnce) {
  load({2, 2, 2, 2, 2, 2, 2, 2});
  hanning_window();
  EXPECT_EQ(console(), "\n Hanning window ");
  for (std::uint32_t k = 0; k < 8; ++k)
    EXPECT_EQ(wa.work[k].re, static_cast<float>(hann_weight(k, 8, pi) * 2.0)) << k;
  EXPECT_EQ(wa.work[0].re, 0.0f);
  EXPECT_EQ(wa.work[7].re, wa.work[1].re);  // the last entry is weighted like entry 1, not zeroed
  expect_untouched_beyond_m();
}

TEST_F(Conditioning, WindowDividesByTheLoadedCount) {
  load({1, 1, 1, 1});
  wa.ns = 3;  // fewer loaded than m
  hanning_window();
  EXPECT_FLOAT_EQ(wa.work[1].re, static_cast<float>(scale * std::pow(std::sin(pi / 3), 2)));
}

TEST_F(Conditioning, ShortestRecords) {
  load({5});
  hanning_window();
  EXPECT_EQ(wa.work[0].re, 0.0f);  // m = 1: the whole record is zero
  load({5, 5});
  hanning_window();
  EXPECT_EQ(wa.work[0].re, 0.0f);
  EXPECT_EQ(wa.work[1].re, static_cast<float>(5 * scale));
}

TEST_F(Conditioning, WithoutALengthNothingChangesButTheLine) {
  wa.m = 0;
  wa.work[0] = {3.0f, 0.0f};
  mean_removal();
  hanning_window();
  EXPECT_EQ(console(), "\n mean removal\n Hanning window ");
  EXPECT_EQ(wa.work[0].re, 3.0f);
}

}  // namespace
}  // namespace vibfrf
