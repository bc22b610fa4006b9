// Whole runs of the built program: the transcript of every stage and the 22 files it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "output_layout.hpp"
#include "run_program.hpp"
#include "table_file.hpp"
#include "temp_dir.hpp"
#include "transcript.hpp"

namespace vibfrf {
namespace {

using namespace testing;

std::string record(const std::vector<double>& amplitudes, double dt) {
  std::string text;
  char line[64];
  for (std::size_t k = 0; k < amplitudes.size(); ++k) {
    std::snprintf(line, sizeof line, "%.9g %.9g\n", static_cast<double>(k) * dt, amplitudes[k]);
    text += line;
  }
  return text;
}

void expect_all_files(const TempDir& dir, std::size_t m, std::size_t limit) {
  for (const OutputLayout& file : output_layouts(m, m, limit))
    expect_layout(dir / file.name, file.lines, file.fields, file.tail);
}

std::string channel_lines(const std::string& report) {
  return "\n\n reading time history \n\n  8 samples will be used for FFT\n" + report +
         "\n mean removal\n Hanning window \n nm1= 3  md2=4  ns=8 "
         "\n call function ctfourier \n m= 8  nstages= 3 \n\n\n i=2 / 3 \n i=3 / 3 ";
}

TEST(Analysis, TranscriptAndFilesOfACompleteRun) {
  TempDir dir;
  write_file(dir / "force.txt", record({0, 4, 2, 0, 0, 0, 0, 0}, 0.125));
  write_file(dir / "accel.txt", record({0, 1, -2, 3, -1, 0.5, -0.25, 0}, 0.125));
  const RunResult r = run_program(dir.path(), "1\n2\n0\nforce.txt\naccel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  const std::string rates =
      "\n dt =      0.125 sec  sr= 8.000000e+000 samples/sec"
      "\n\n time span=            0 sec to        0.875 sec";
  const std::string expected =
      banner_and_questions + force_prompt + opened("force.txt", 1) +
      channel_lines("\n samples= 8 " + rates +
                    "\n\n  ave=      0.75 G    std dev =     1.392 G   rms=     1.581 G"
                    "\n kurtosis=     9.057\n\n delta f=          1.143 ") +
      accel_prompt + opened("accel.txt", 2) +
      channel_lines("\n samples= 8 " + rates +
                    "\n\n  ave=    0.1562 G    std dev =     1.375 G   rms=     1.383 G"
                    "\n kurtosis=     3.468\n\n delta f=          1.143 ") +
      "\n\n cross_s \n\n limit = 8 \n cross_g \n\n limit2 = 4 \n h_functions \n limit2 = 4 " +
      "\n nm1= 3  md2=4  ns=8 \n m= 8  nstages= 3 \n\n\n i=2 / 3 \n i=3 / 3 " + summary;
  EXPECT_EQ(r.transcript, expected);
  expect_all_files(dir, 8, 8);
}

TEST(Analysis, ThousandPairsGiveHalfAndQuarterLengthFiles) {
  TempDir dir;
  std::vector<double> force(1000), accel(1000);
  for (std::size_t k = 0; k < 1000; ++k) {
    const double t = static_cast<double>(k) / 1000;
    force[k] = std::exp(-std::pow((t - 0.01) / 0.002, 2));
    accel[k] = std::exp(-5 * t) * std::sin(2 * 3.141592653589793 * 50 * t);
  }
  write_file(dir / "force.txt", record(force, 0.001));
  write_file(dir / "accel.txt", record(accel, 0.001));
  const RunResult r = run_program(dir.path(), "2 1 0 force.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.transcript.find("\n samples= 1000 "), std::string::npos);
  EXPECT_NE(r.transcript.find("\n nm1= 9  md2=256  ns=512 "), std::string::npos);
  EXPECT_NE(r.transcript.find("\n m= 512  nstages= 9 \n\n\n i=2 / 9 "), std::string::npos);
  EXPECT_NE(r.transcript.find("\n i=9 / 9 "), std::string::npos);
  EXPECT_EQ(r.transcript.find("\n mean removal"), std::string::npos);    // answered 2
  EXPECT_EQ(r.transcript.find("\n Hanning window "), std::string::npos);  // answered 1
  EXPECT_EQ(r.transcript.find("Coherence error"), std::string::npos);
  expect_all_files(dir, 512, 512);
  // With one record the coherence is 1 (to the four digits of the files) on every computed line.
  const Table coherence = read_table(dir / "coherence.out");
  for (std::size_t i = 1; i < coherence.size(); ++i) EXPECT_NEAR(coherence[i][1], 1.0, 2e-3) << i;
}

TEST(Analysis, LongestRecordIsTransformedWhole) {
  TempDir dir;
  const std::size_t n = 300000, m = 262144, k = 1000;
  std::vector<double> force(n), accel(n);
  for (std::size_t i = 0; i < n; ++i) {
    force[i] = std::cos(2 * 3.141592653589793 * static_cast<double>(k * (i % m)) / m);
    accel[i] = 0.5 * force[i];
  }
  write_file(dir / "force.txt", record(force, 1.0 / 1024));
  write_file(dir / "accel.txt", record(accel, 1.0 / 1024));
  const RunResult r = run_program(dir.path(), "2 1 0 force.txt accel.txt\n", std::chrono::minutes(5));
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.transcript.find("\n\n  262144 samples will be used for FFT\n"), std::string::npos);
  EXPECT_NE(r.transcript.find("\n nm1= 18  md2=131072  ns=262144 "), std::string::npos);
  const Table spectrum = read_table(dir / "fft_1.out");
  ASSERT_EQ(spectrum.size(), m);
  EXPECT_NEAR(spectrum[k][1], 0.5, 1e-4);
  EXPECT_NEAR(spectrum[m - k][1], 0.5, 1e-4);
  EXPECT_NEAR(spectrum[k + 1][1], 0.0, 1e-4);
  EXPECT_EQ(read_table(dir / "impulse_h1.out").size(), m);
}

TEST(Analysis, SummaryFollowsAStageThatReportedAnError) {
  TempDir dir;
  std::vector<double> x = {0, 1, 0, -1, 0, 1, 0, -1};
  write_file(dir / "force.txt", record(x, 0.125));
  write_file(dir / "accel.txt", record(x, 0.25));  // another sample rate: the lines fall apart
  const RunResult r = run_program(dir.path(), "2 1 0 force.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.transcript.find("\n\n Frequency synch error. \n\n\n limit = 1 "), std::string::npos);
  EXPECT_EQ(r.transcript.substr(r.transcript.size() - summary.size()), summary);
  EXPECT_EQ(read_table(dir / "H1.out").size(), 0u);  // limit2 = 0
}

TEST(Analysis, ImpulseResponseUsesTheAccelerationRecord) {
  TempDir dir;
  std::vector<double> long_force(16, 0.0), short_accel(8, 0.0);
  long_force[1] = 1;
  short_accel[2] = 1;
  write_file(dir / "force.txt", record(long_force, 0.01));
  write_file(dir / "accel.txt", record(short_accel, 0.5));
  const RunResult r = run_program(dir.path(), "2 1 0 force.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  const Table impulse = read_table(dir / "impulse_h1.out");
  ASSERT_EQ(impulse.size(), 8u);  // channel 2's m
  EXPECT_EQ(impulse[7][0], 3.5);  // at channel 2's time step
}

}  // namespace
}  // namespace vibfrf
