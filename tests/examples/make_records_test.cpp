// The built make_records program, run as a user would run it: its options reach the records,
// what it prints about the structure, and its refusals of bad command lines.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "records.hpp"
#include "temp_dir.hpp"

namespace vibfrf::examples {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct Outcome {
  int exit_status = -1;  // -1 when it did not exit normally
  int signal = 0;
  std::string out;
  std::string errors;
};

// Runs make_records in `dir` with `args`, its output collected through files.
Outcome make_records(const std::filesystem::path& dir, const std::vector<std::string>& args) {
  const TempDir logs;
  const std::string out_file = (logs / "out").string(), err_file = (logs / "err").string();
  const std::string where = dir.string();
  std::vector<std::string> words = {MAKE_RECORDS_PROGRAM};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0 ||
        ::chdir(where.c_str()) != 0)
      ::_exit(126);
    ::alarm(60);  // a program that hangs is ended by SIGALRM
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  Outcome run;
  if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.out = read_file(out_file);
  run.errors = read_file(err_file);
  return run;
}

bool is_empty_directory(const std::filesystem::path& dir) {
  return std::filesystem::directory_iterator(dir) == std::filesystem::directory_iterator();
}

TEST(MakeRecords, BadCommandLineExitsWithStatus2) {
  struct Case {
    std::vector<std::string> args;
    const char* message;  // a part of what it must say
  };
  const Case cases[] = {
      {{"--mass"}, "--mass needs a value"},
      {{"--mass", "abc"}, "--mass: 'abc' is not a finite number"},
      {{"--mass", "1x"}, "'1x' is not a finite number"},
      {{"--mass", ""}, "is not a finite number"},
      {{"--mass", "nan"}, "is not a finite number"},
      {{"--rate", "inf"}, "is not a finite number"},
      {{"--rate", "1e999"}, "is not a finite number"},
      {{"--mass", "-1"}, "mass must be a positive number"},
      {{"--rate", "0"}, "sample rate"},
      {{"--damping", "0"}, "damping must be a positive number"},
      {{"--damping", "1e5"}, "underdamped"},
      {{"--samples", "2.5"}, "--samples: '2.5' is not a whole number"},
      {{"--samples", "-3"}, "is not a whole number"},
      {{"--samples", "99999999999999999999999"}, "is not a whole number"},
      {{"--samples", "1"}, "number of samples"},
      {{"--samples", "2000000"}, "number of samples"},
      {{"--seed", "-1"}, "--seed: '-1' is not a whole number"},
      {{"--mode2", "1,2"}, "three numbers"},
      {{"--mode2", "1,2,3,4"}, "three numbers"},
      {{"--mode2", "1,,3"}, "--mode2: '' is not a finite number"},
      {{"--mode2", "1,2e9,1e9"}, "mode 2: the damping ratio"},
      {{"--mass", "1e-300", "--stiffness", "1e300", "--damping", "1"}, "out of the range"},
      {{"--pulse", "0.0001"}, "two sample intervals"},
      {{"--delay", "1.999"}, "after the last sample"},
      {{"--delay", "-0.001"}, "delay"},
      {{"--force", "0"}, "peak force"},
      {{"--noise-force", "-1"}, "noise"},
      {{"--force", "1e308", "--mass", "0.001", "--stiffness", "395", "--damping", "0.0125"},
       "overflows"},
      {{"--frobnicate", "3"}, "unknown option '--frobnicate'"},
      {{"--=5"}, "unknown option"},
      {{"extra"}, "unexpected argument 'extra'"},
      {{"-"}, "unexpected argument"},
      {{"--help=yes"}, "--help takes no value"},
      {{"--out="}, "empty"},
      {{"--force-file", "a.txt", "--accel-file", "./a.txt"}, "two different files"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += "[" + a + "] ";
    SCOPED_TRACE(line);
    const TempDir dir;
    const Outcome run = make_records(dir.path(), c.args);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_NE(run.errors.find("make_records: "), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(is_empty_directory(dir.path())) << "no record is written";
  }
}

TEST(MakeRecords, HelpPrintsUsageAndWritesNothing) {
  for (const char* help : {"--help", "-h"}) {
    const TempDir dir;
    const Outcome run = make_records(dir.path(), {"--mass", "-2", help});  // even with bad values
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.errors, "");
    for (const char* option : {"--out", "--force-file", "--accel-file", "--rate", "--samples",
                               "--mass", "--stiffness", "--damping", "--mode2", "--pulse",
                               "--force", "--delay", "--noise-force", "--noise-accel", "--seed"})
      EXPECT_NE(run.out.find(option), std::string::npos) << option;
    EXPECT_TRUE(is_empty_directory(dir.path()));
  }
}

// The numbers printed after each occurrence of `label`.
std::vector<double> printed(const std::string& text, const std::string& label) {
  std::vector<double> values;
  for (auto at = text.find(label); at != std::string::npos; at = text.find(label, at + 1))
    values.push_back(std::strtod(text.c_str() + at + label.size(), nullptr));
  return values;
}

TEST(MakeRecords, PrintsWhatTheAnalysisShouldFind) {
  const TempDir dir;
  const Outcome run = make_records(dir.path(), {"--mode2", "0.5,2e6,40"});
  ASSERT_EQ(run.exit_status, 0) << run.errors;
  std::vector<Mode> modes = {Mode{}, Mode{0.5, 2e6, 40}};
  const auto fn = printed(run.out, "natural frequency fn");
  const auto zeta = printed(run.out, "damping ratio zeta");
  const auto fd = printed(run.out, "damped frequency fd");
  const auto compliance = printed(run.out, "static compliance 1/k");
  ASSERT_EQ(fn.size(), 2u) << run.out;
  ASSERT_EQ(zeta.size(), 2u);
  ASSERT_EQ(fd.size(), 2u);
  ASSERT_EQ(compliance.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const Mode& m = modes[i];
    const double wn = std::sqrt(m.stiffness / m.mass);
    const double z = m.damping / (2 * std::sqrt(m.stiffness * m.mass));
    const double tolerance = 1e-5;  // six digits are printed
    EXPECT_NEAR(fn[i], wn / (2 * std::numbers::pi), tolerance * fn[i]);
    EXPECT_NEAR(zeta[i], z, tolerance * z);
    EXPECT_NEAR(fd[i], wn * std::sqrt(1 - z * z) / (2 * std::numbers::pi), tolerance * fd[i]);
    EXPECT_NEAR(compliance[i], 1 / m.stiffness, tolerance * compliance[i]);
  }
  const ImpactTest defaults;
  EXPECT_EQ(printed(run.out, "sample rate").at(0), defaults.rate);
  EXPECT_EQ(printed(run.out, "record length").at(0), defaults.samples / defaults.rate);
  EXPECT_EQ(printed(run.out, "half-sine").at(0), defaults.pulse_length);
  EXPECT_EQ(printed(run.out, "peak force").at(0), defaults.force_peak);
}

TEST(MakeRecords, OptionsReachTheRecords) {
  struct Case {
    std::vector<std::string> args;
    const char* force_file;  // where the records are expected, in the working directory
    const char* accel_file;
    ImpactTest expected;
  };
  ImpactTest two_modes_noisy;
  two_modes_noisy.rate = 2000;
  two_modes_noisy.samples = 3000;
  two_modes_noisy.modes = {{2, 8e5, 60}, {0.25, 1.5e6, 30}};
  two_modes_noisy.pulse_length = 0.0015;
  two_modes_noisy.force_peak = 40;
  two_modes_noisy.delay = 0.01;
  two_modes_noisy.noise_force = 0.3;
  two_modes_noisy.noise_accel = 0.05;
  two_modes_noisy.seed = 18446744073709551615u;
  const Case cases[] = {
      {{}, "force.txt", "accel.txt", ImpactTest{}},
      {{"--out", "sub/dir", "--force-file", "hammer.dat", "--accel-file=response.dat", "--rate",
        "2000", "--samples=3000", "--mass", "2", "--stiffness", "8e5", "--damping", "60",
        "--mode2", "0.25,1.5e6,30", "--pulse", "0.0015", "--force", "40", "--delay=0.01",
        "--noise-force", "0.3", "--noise-accel", "0.05", "--seed", "18446744073709551615"},
       "sub/dir/hammer.dat",
       "sub/dir/response.dat",
       two_modes_noisy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.force_file);
    const TempDir dir, reference;
    const Outcome run = make_records(dir.path(), c.args);
    ASSERT_EQ(run.exit_status, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    write_records(c.expected, reference / "force", reference / "accel");
    EXPECT_EQ(read_file(dir / c.force_file), read_file(reference / "force"));
    EXPECT_EQ(read_file(dir / c.accel_file), read_file(reference / "accel"));
  }
}

TEST(MakeRecords, UnwritableDirectoryExitsWithStatus1) {
  const TempDir dir;
  write_file(dir / "blocker", "a file, not a directory");
  const Outcome run = make_records(dir.path(), {"--out", "blocker/records"});
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.errors.find("make_records: "), std::string::npos);
  EXPECT_NE(run.errors.find("blocker"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace vibfrf::examples
