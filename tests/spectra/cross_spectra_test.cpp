#include <gtest/gtest.h>

#include <string>

#include "spectra/spectra.hpp"
#include "stage_fixture.hpp"
#include "table_file.hpp"

namespace vibfrf {
namespace {

using testing::read_file;
using testing::read_table;
using testing::write_file;

class CrossS : public testing::StageTest {
 protected:
  std::string run(const std::string& fft_a, const std::string& fft_b) {
    write_file("fft_1.out", fft_a);
    write_file("fft_2.out", fft_b);
    const std::size_t before = console().size();
    cross_s();
    return console().substr(before);
  }
};

const char* const spectrum =
    "  0.000000e+000   0.000000e+000   0.000000e+000 \n"
    "  1.000000e+000   1.500000e+000  -2.000000e+000 \n"
    "  2.000000e+000  -3.000000e-001   4.000000e-001 \n";

TEST_F(CrossS, CopyOfOneChannelGivesItsAutoSpectrumThrice) {
  EXPECT_EQ(run(spectrum, spectrum), "\n\n cross_s \n\n limit = 3 ");
  EXPECT_EQ(wa.limit, 3);
  const std::string expected =
      "           0            0            0 \n"
      "           1         6.25            0 \n"
      "           2         0.25            0 \n";
  for (const char* file : {"cross_spectrum_sab.out", "cross_spectrum_sba.out",
                           "cross_spectrum_saa.out", "cross_spectrum_sbb.out"})
    EXPECT_EQ(read_file(file), expected) << file;
}

TEST_F(CrossS, CrossSpectraAreConjugateProducts) {
  run("5 1 2\n", "5 3 -4\n");  // A = 1 + 2j, B = 3 − 4j
  EXPECT_EQ(read_file("cross_spectrum_sab.out"), "           5           -5          -10 \n");  // conj(A)·B
  EXPECT_EQ(read_file("cross_spectrum_sba.out"), "           5           -5           10 \n");  // its conjugate
  EXPECT_EQ(read_file("cross_spectrum_saa.out"), "           5            5            0 \n");
  EXPECT_EQ(read_file("cross_spectrum_sbb.out"), "           5           25            0 \n");
}

struct SynchRow {
  const char* label;
  const char* b;
  int limit;
  bool error;
};

TEST_F(CrossS, FrequencySynchTest) {
  const SynchRow rows[] = {
      {"2 % apart", "0 1 0\n102 1 0\n200 1 0\n", 1, true},
      {"exactly 1 % apart", "0 1 0\n101 1 0\n200 1 0\n", 3, false},
      {"far apart at zero", "50 1 0\n100 1 0\n200 1 0\n", 3, false},
  };
  for (const SynchRow& row : rows) {
    SCOPED_TRACE(row.label);
    const std::string shown = run("0 1 0\n100 1 0\n200 1 0\n", row.b);
    EXPECT_EQ(wa.limit, row.limit);
    EXPECT_EQ(shown.find("\n\n Frequency synch error. \n\n") != std::string::npos, row.error) << shown;
    EXPECT_EQ(read_table("cross_spectrum_sbb.out").size(), static_cast<std::size_t>(row.limit));
    EXPECT_NE(shown.find("\n limit = " + std::to_string(row.limit) + " "), std::string::npos);
  }
  run("0.01 1 0\n", "5 1 0\n");  // at or below 0.01 Hz the test is skipped
  EXPECT_EQ(wa.limit, 1);
}

TEST_F(CrossS, EmptyOrUnequalInputs) {
  EXPECT_EQ(run("", spectrum), "\n\n cross_s \n\n limit = 0 ");
  EXPECT_EQ(read_file("cross_spectrum_sab.out"), "");
  EXPECT_EQ(read_file("cross_spectrum_sbb.out"), "");
  run(spectrum, "0 1 1\n1 2 2\n");
  EXPECT_EQ(wa.limit, 2);  // the surplus record of the longer file is never read
}

TEST_F(CrossS, RecordCutShortKeepsTheValuesBefore) {
  run("1 2 3\n2 5", "1 1 1\n2 1 1\n");
  EXPECT_EQ(wa.limit, 2);
  // Line 2: A = 5 + 3j (the 3 kept from line 1), B = 1 + 1j.
  EXPECT_EQ(read_table("cross_spectrum_sab.out")[1], (std::vector<double>{2, 8, 2}));
}

class CrossG : public testing::StageTest {
 protected:
  // Two-sided files of `lines` lines: line k at k Hz holds (k + 1, −k) in every file.
  void write_two_sided(int lines) {
    std::string text;
    for (int k = 0; k < lines; ++k)
      text += std::to_string(k) + " " + std::to_string(k + 1) + " " + std::to_string(-k) + "\n";
    for (const char* file : two_sided) write_file(file, text);
  }
  std::string run(int limit) {
    wa.limit = limit;
    const std::size_t before = console().size();
    cross_g();
    return console().substr(before);
  }
  static constexpr const char* two_sided[4] = {"cross_spectrum_sab.out", "cross_spectrum_sba.out",
                                               "cross_spectrum_saa.out", "cross_spectrum_sbb.out"};
  static constexpr const char* one_sided[4] = {"cross_spectrum_gab.out", "cross_spectrum_gba.out",
                                               "cross_spectrum_gaa.out", "cross_spectrum_gbb.out"};
};

TEST_F(CrossG, KeepsTheLowerHalfDoubled) {
  struct Row {
    int limit;
    int limit2;
  };
  for (const Row row : {Row{8, 4}, Row{7, 3}, Row{1, 0}, Row{0, 0}}) {
    SCOPED_TRACE(row.limit);
    write_two_sided(row.limit);
    EXPECT_EQ(run(row.limit), "\n cross_g \n\n limit2 = " + std::to_string(row.limit2) + " ");
    EXPECT_EQ(wa.limit2, row.limit2);
    for (const char* file : one_sided) {
      const auto table = read_table(file);
      ASSERT_EQ(table.size(), static_cast<std::size_t>(row.limit2)) << file;
      for (int k = 0; k < row.limit2; ++k)
        EXPECT_EQ(table[k], (std::vector<double>{1.0 * k, 2.0 * (k + 1), -2.0 * k})) << file;
    }
  }
}

TEST_F(CrossG, ZeroFrequencyLineIsDoubledToo) {
  for (const char* file : two_sided) write_file(file, "0 1.5 -0.25\n1 0 0\n");
  run(2);
  EXPECT_EQ(read_file("cross_spectrum_gab.out"), "           0            3         -0.5 \n");
}

TEST_F(CrossG, ShortInputs) {
  write_two_sided(8);
  write_file("cross_spectrum_sab.out", "0 1 0\n1 2 0\n");
  write_file("cross_spectrum_sbb.out", "0 1 0\n1 2 0\n");
  run(8);
  // The first three passes always write limit2 lines: a line without a record is zero.
  const auto gab = read_table("cross_spectrum_gab.out");
  ASSERT_EQ(gab.size(), 4u);
  EXPECT_EQ(gab[1], (std::vector<double>{1, 4, 0}));
  EXPECT_EQ(gab[3], (std::vector<double>{1, 0, 0}));
  // The last pass stops at its first failed read.
  EXPECT_EQ(read_table("cross_spectrum_gbb.out").size(), 2u);
}

}  // namespace
}  // namespace vibfrf
