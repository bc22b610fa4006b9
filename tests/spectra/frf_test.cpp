#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "spectra/spectra.hpp"
#include "stage_fixture.hpp"
#include "table_file.hpp"

namespace vibfrf {
namespace {

using testing::read_file;
using testing::read_table;
using testing::write_file;

struct Spectra {  // one line of the four one-sided spectra
  double freq;
  double gab_re, gab_im, gba_re, gba_im, gaa, gbb;
};

class HFunctions : public testing::StageTest {
 protected:
  std::string run(const std::vector<Spectra>& lines, int limit, double highpass = 0) {
    std::string gab, gba, gaa, gbb;
    auto line = [](double f, double re, double im) {
      char text[128];
      std::snprintf(text, sizeof text, "%.17g %.17g %.17g\n", f, re, im);
      return std::string(text);
    };
    for (const Spectra& s : lines) {
      gab += line(s.freq, s.gab_re, s.gab_im);
      gba += line(s.freq, s.gba_re, s.gba_im);
      gaa += line(s.freq, s.gaa, 0);
      gbb += line(s.freq, s.gbb, 0);
    }
    write_file("cross_spectrum_gab.out", gab);
    write_file("cross_spectrum_gba.out", gba);
    write_file("cross_spectrum_gaa.out", gaa);
    write_file("cross_spectrum_gbb.out", gbb);
    wa.limit = limit;
    wa.limit2 = limit / 2;
    wa.highpass = highpass;
    const std::size_t before = console().size();
    h_functions();
    return console().substr(before);
  }
};

// Spectra of one consistent measurement: Gba is the conjugate of Gab and |Gab|² = Gaa·Gbb.
Spectra consistent(double f, double a_re, double a_im, double b_re, double b_im) {
  const double ab_re = a_re * b_re + a_im * b_im, ab_im = a_re * b_im - a_im * b_re;
  return {f, ab_re, ab_im, ab_re, -ab_im, a_re * a_re + a_im * a_im, b_re * b_re + b_im * b_im};
}

TEST_F(HFunctions, MirrorLayoutForEvenLimit) {
  std::vector<Spectra> lines;
  for (int i = 0; i < 4; ++i) lines.push_back(consistent(i, 1, 0, i + 1.0, -2.0 * i));
  wa.work[8] = {0, 0};
  const std::string shown = run(lines, 8);
  EXPECT_EQ(shown, "\n h_functions \n limit2 = 4 ");
  EXPECT_EQ(wa.work[0].re, 0.0f);  // line 0 is zero
  EXPECT_EQ(wa.work[7].re, 0.0f);  // and so is its mirror
  for (int i = 1; i < 4; ++i) {  // H1 = Gab/Gaa = B when A = 1
    EXPECT_EQ(wa.work[i].re, static_cast<float>(i + 1)) << i;
    EXPECT_EQ(wa.work[i].im, static_cast<float>(-2 * i)) << i;
    EXPECT_EQ(wa.work[7 - i].re, static_cast<float>(i + 1)) << i;
    EXPECT_EQ(wa.work[7 - i].im, static_cast<float>(2 * i)) << i;
  }
  EXPECT_EQ(wa.work[8].re, 0.0f);
  EXPECT_EQ(read_table("H1.out").size(), 4u);
}

TEST_F(HFunctions, MirrorLayoutForOddLimitLeavesTheMiddleZero) {
  std::vector<Spectra> lines;
  for (int i = 0; i < 3; ++i) lines.push_back(consistent(i, 1, 0, 5, 1));
  run(lines, 7);
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(wa.work[i].re, 5.0f);
    EXPECT_EQ(wa.work[6 - i].im, -1.0f);
  }
  EXPECT_EQ(wa.work[3].re, 0.0f);
  EXPECT_EQ(wa.work[3].im, 0.0f);
}

TEST_F(HFunctions, LinesBelowTheHighPassAndLineZeroAreZeroEverywhere) {
  std::vector<Spectra> lines;
  for (int i = 0; i < 8; ++i) lines.push_back(consistent(i, 2, 1, 1, 3));
  const std::string shown = run(lines, 16, 5.0);
  const char* files[] = {"H1.out", "H2.out", "H1_mp.out", "H2_mp.out", "coherence.out"};
  for (const char* file : files) {
    const auto table = read_table(file);
    ASSERT_EQ(table.size(), 8u) << file;
    for (int i = 0; i < 5; ++i)
      for (std::size_t c = 1; c < table[i].size(); ++c) EXPECT_EQ(table[i][c], 0.0) << file << i;
    EXPECT_NE(table[5][1], 0.0) << file;  // the line at the high-pass frequency is computed
  }
  for (int i = 0; i < 5; ++i) EXPECT_EQ(wa.work[i].re, 0.0f) << i;
  EXPECT_NE(wa.work[5].re, 0.0f);
  EXPECT_EQ(shown.find("Coherence error"), std::string::npos);
  EXPECT_EQ(read_file("coherence.out").substr(0, 26), "           0            0 ");
}

TEST_F(HFunctions, ResultsOfOneMeasurement) {
  // A = 1 + 2j, B = 3 − 4j: H1 = H2 = B/A = −1 − 2j, coherence 1.
  run({consistent(0, 1, 1, 1, 1), consistent(1953.125, 1, 2, 3, -4)}, 4);
  EXPECT_EQ(read_file("H1.out"),
            "           0            0            0 \n      1953.1           -1           -2 \n");
  EXPECT_EQ(read_file("H2.out"), read_file("H1.out"));
  EXPECT_EQ(read_file("H1_mp.out"),
            "           0            0            0 \n      1953.1        2.236       -116.6 \n");
  EXPECT_EQ(read_file("coherence.out"), "           0            0 \n      1953.1            1 \n");
}

TEST_F(HFunctions, PhaseCoversTheWholeCircle) {
  run({consistent(0, 1, 0, 1, 0), consistent(1, 1, 0, 0, 2), consistent(2, 1, 0, -1, 0),
       consistent(3, 1, 0, 0, -2)},
      8);
  const auto table = read_table("H1_mp.out");
  EXPECT_EQ(table[1], (std::vector<double>{1, 2, 90}));
  EXPECT_EQ(table[2], (std::vector<double>{2, 1, 180}));
  EXPECT_EQ(table[3], (std::vector<double>{3, 2, -90}));
}

TEST_F(HFunctions, GbaThatIsNotTheConjugateIsReportedOncePerLine) {
  Spectra odd = consistent(1, 1, 0, 1, 1);
  odd.gba_im = -odd.gba_im;  // now H1 and H2 disagree in phase
  const std::string shown = run({consistent(0, 1, 0, 1, 0), odd, odd}, 6);
  EXPECT_EQ(shown, "\n h_functions \n limit2 = 3 \n Coherence error \n\n Coherence error \n");
  EXPECT_EQ(read_table("coherence.out").size(), 3u);  // written all the same
}

TEST_F(HFunctions, ZeroDenominatorsGiveInfinitiesAndNaNs) {
  Spectra no_force = consistent(1, 1, 0, 1, 0);
  no_force.gaa = 0;
  no_force.gba_re = no_force.gba_im = 0;
  run({consistent(0, 1, 0, 1, 0), no_force}, 4);
  const auto h1 = read_table("H1.out");
  EXPECT_TRUE(std::isinf(h1[1][1]) || std::isnan(h1[1][1]));
  const auto coherence = read_table("coherence.out");
  EXPECT_TRUE(std::isnan(coherence[1][1]));
  EXPECT_TRUE(std::isnan(wa.work[1].re) || std::isinf(wa.work[1].re));
}

TEST_F(HFunctions, NoLinesLeavesEmptyFilesAndWorkAlone) {
  wa.work[0] = {4, 4};
  EXPECT_EQ(run({}, 1), "\n h_functions \n limit2 = 0 ");
  for (const char* file : {"H1.out", "H2.out", "H1_mp.out", "H2_mp.out", "coherence.out"})
    EXPECT_EQ(read_file(file), "") << file;
  EXPECT_EQ(wa.work[0].re, 4.0f);
}

TEST_F(HFunctions, InputRunningOutEndsEarly) {
  run({consistent(0, 1, 0, 1, 0), consistent(1, 1, 0, 2, 0)}, 16);  // limit2 8, two lines
  EXPECT_EQ(read_table("H1.out").size(), 2u);
  EXPECT_EQ(wa.work[1].re, 2.0f);
  EXPECT_EQ(wa.work[14].re, 2.0f);
  EXPECT_EQ(wa.work[2].re, 0.0f);
}

}  // namespace
}  // namespace vibfrf
