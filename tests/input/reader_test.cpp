#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "input/input.hpp"
#include "input/statistics.hpp"
#include "stage_fixture.hpp"
#include "temp_dir.hpp"

namespace vibfrf {
namespace {

using testing::write_file;

TEST(TransformLength, LargestPowerOfTwoNotAboveTheCount) {
  for (std::uint32_t k = 1; k <= 18; ++k) {
    const std::uint32_t power = 1u << k;
    SCOPED_TRACE(power);
    EXPECT_EQ(choose_transform_length(power).m, power);  // a power of two is used whole
    EXPECT_EQ(choose_transform_length(power).nstages, k);
    EXPECT_EQ(choose_transform_length(power - 1).m, power / 2);
    if (k < 18) {
      EXPECT_EQ(choose_transform_length(power + 1).m, power);
    }
  }
  EXPECT_EQ(choose_transform_length(1).m, 1u);
  EXPECT_EQ(choose_transform_length(1).nstages, 0u);
  EXPECT_EQ(choose_transform_length(1000).m, 512u);
  EXPECT_EQ(choose_transform_length(1000).nstages, 9u);
}

class Reader : public testing::StageTest {
 protected:
  // Reads `content` as the channel's input file; returns what the reader printed.
  std::string read(const std::string& content) {
    write_file("record.txt", content);
    EXPECT_TRUE(try_open_slot(1, "record.txt", "rb"));
    const std::size_t before = console().size();
    read_time_history();
    EXPECT_FALSE(wa.streams[1].is_open()) << "the input is closed on every path";
    return console().substr(before);
  }
};

TEST_F(Reader, TwoRecordsReportEveryStatistic) {
  const std::string shown = read("0 1\n0.5 3\n");
  EXPECT_EQ(shown,
            "\n\n reading time history "
            "\n\n  2 samples will be used for FFT\n"
            "\n samples= 2 "
            "\n dt =        0.5 sec  sr= 2.000000e+000 samples/sec"
            "\n\n time span=            0 sec to          0.5 sec"
            "\n\n  ave=         2 G    std dev =         1 G   rms=     2.236 G"
            "\n kurtosis=        41"
            "\n"
            "\n delta f=              2 ");
  EXPECT_EQ(wa.m, 2u);
  EXPECT_EQ(wa.nstages, 1u);
  EXPECT_EQ(wa.ns, 2u);
  EXPECT_EQ(wa.dt, 0.5);
  EXPECT_EQ(wa.df, 2.0);
  EXPECT_EQ(wa.ave, 2.0);
  EXPECT_EQ(wa.work[0].re, 1.0f);
  EXPECT_EQ(wa.work[1].re, 3.0f);
}

struct ShortRecord {
  const char* label;
  const char* content;
  const char* shown;
  std::uint32_t ns;
};

TEST_F(Reader, TooShortRecordsGiveTheDtErrorAndKeepTheStatistics) {
  const ShortRecord rows[] = {
      {"one record", "0 1\n",
       "\n\n reading time history \n\n  1 samples will be used for FFT\n\n  dt error ", 1},
      {"empty", "",
       "\n\n reading time history \n fscanf error \n\n  1 samples will be used for FFT\n\n  dt error ",
       0},
      {"header line", "time force\n0 1\n1 2\n",
       "\n\n reading time history \n fscanf error \n\n  1 samples will be used for FFT\n\n  dt error ",
       0},
  };
  for (const ShortRecord& row : rows) {
    SCOPED_TRACE(row.label);
    wa.ave = 7.0;  // as left by the channel before
    wa.dt = 0.25;
    wa.df = 4.0;
    EXPECT_EQ(read(row.content), row.shown);
    EXPECT_EQ(wa.m, 1u);
    EXPECT_EQ(wa.nstages, 0u);
    EXPECT_EQ(wa.ns, row.ns);
    EXPECT_EQ(wa.ave, 7.0);
    EXPECT_EQ(wa.dt, 0.25);
    EXPECT_EQ(wa.df, 4.0);
  }
}

TEST_F(Reader, ThousandRecordsUseTheFirst512ButDescribeAll) {
  std::string content;
  double s1 = 0, s2 = 0;
  for (int i = 0; i < 1000; ++i) {
    const int x = (i * 37) % 11 - 5;
    s1 += x;
    s2 += x * x;
    content += std::to_string(i) + "e-3 " + std::to_string(x) + "\n";
  }
  const std::string shown = read(content);
  EXPECT_EQ(wa.m, 512u);
  EXPECT_EQ(wa.nstages, 9u);
  EXPECT_EQ(wa.ns, 512u);
  EXPECT_DOUBLE_EQ(wa.dt, 0.511 / 511);  // the span of the loaded samples over their steps
  EXPECT_DOUBLE_EQ(wa.df, 1 / 0.511);
  EXPECT_DOUBLE_EQ(wa.ave, s1 / 1000);  // the mean of all 1000
  EXPECT_NE(shown.find("\n samples= 1000 "), std::string::npos);
  EXPECT_NE(shown.find("\n\n time span=            0 sec to        0.511 sec"), std::string::npos);
  const double rms = std::sqrt(s2 / 1000);
  char expected[64];
  std::snprintf(expected, sizeof expected, "rms= %9.4g G", rms);
  EXPECT_NE(shown.find(expected), std::string::npos) << shown;
  EXPECT_EQ(wa.work[999].re, static_cast<float>((999 * 37) % 11 - 5));  // the first pass stored all
}

TEST_F(Reader, LayoutsOfTheSameRecordReadAlike) {
  const char* layouts[] = {
      "0 1.5\n0.25 -2\n0.5 3e-1\n0.75 4\n",
      "0 1.5\r\n0.25 -2\r\n0.5 3e-1\r\n0.75 4\r\n",
      "0 1.5 0.25 -2\n0.5 3e-1 0.75 4",
      "\n\n  0\t1.5\n\n\n0.25 -2\n \n0.5 3e-1\n0.75\n4\n\n",
  };
  const std::string first = read(layouts[0]);
  for (const char* layout : layouts) {
    SCOPED_TRACE(layout);
    clear(wa.work);
    EXPECT_EQ(read(layout), first);
    EXPECT_EQ(wa.m, 4u);
    EXPECT_EQ(wa.work[2].re, 0.3f);
    EXPECT_EQ(wa.work[3].re, 4.0f);
  }
}

TEST_F(Reader, LoneTimeAtTheEndCountsAsAZeroSample) {
  read("0 1\n1 2\n2");
  EXPECT_EQ(wa.m, 2u);  // three records
  EXPECT_EQ(wa.ns, 2u);
  EXPECT_DOUBLE_EQ(wa.ave, 1.0);  // (1 + 2 + 0) / 3
}

TEST_F(Reader, TextInTheAmplitudeEndsTheRecordAfterThatTime) {
  const std::string shown = read("0 1\n1 x\n2 3\n");
  EXPECT_EQ(wa.m, 2u);
  EXPECT_EQ(wa.ns, 2u);
  EXPECT_EQ(wa.work[1].re, 0.0f);  // not written: keeps the zero the driver left
  EXPECT_EQ(wa.work[2].re, 0.0f);  // the reading stopped before "2 3"
  EXPECT_EQ(wa.dt, 1.0);
  EXPECT_EQ(shown.find("fscanf error"), std::string::npos);
}

TEST_F(Reader, AtMost262144RecordsAreRead) {
  std::string content;
  for (int i = 0; i < 300000; ++i) content += std::to_string(i) + " " + std::to_string(i % 3) + "\n";
  const std::string shown = read(content);
  EXPECT_EQ(wa.m, 262144u);
  EXPECT_EQ(wa.nstages, 18u);
  EXPECT_EQ(wa.ns, 262144u);
  EXPECT_EQ(wa.dt, 1.0);
  EXPECT_NE(shown.find("\n samples= 262144 "), std::string::npos);
  EXPECT_NE(shown.find("to       262143 sec"), std::string::npos);
}

// A disk that fails under the reader must not pass for the end of the record: /proc/self/mem is
// a regular file whose first page cannot be read.
TEST_F(Reader, FailedReadStopsTheRunInsteadOfEndingTheRecord) {
  ASSERT_TRUE(try_open_slot(1, "/proc/self/mem", "rb"));
  try {
    read_time_history();
    ADD_FAILURE() << "the failed read passed for the end of the record";
  } catch (const textio::FileError& e) {
    EXPECT_EQ(e.action(), textio::FileError::Action::read);
    EXPECT_EQ(e.name(), "/proc/self/mem");
    EXPECT_EQ(e.reason(), "Input/output error");
  }
  EXPECT_FALSE(wa.streams[1].is_open()) << "the input is closed on every path";
  EXPECT_EQ(console().find("samples will be used for FFT"), std::string::npos)
      << "nothing is told of a record that was not read";
}

TEST_F(Reader, EqualTimesGiveInfiniteRatesWithoutAnotherMessage) {
  const std::string shown = read("1 1\n1 1\n");
  EXPECT_EQ(wa.dt, 0.0);
  EXPECT_TRUE(std::isinf(wa.df));
  EXPECT_NE(shown.find("sr= " + std::string(9, ' ') + "inf samples/sec"), std::string::npos)
      << shown;
  EXPECT_NE(shown.find("kurtosis= " + std::string(6, ' ') + "inf"), std::string::npos)
      << shown;  // the standard deviation is zero
}

}  // namespace
}  // namespace vibfrf
