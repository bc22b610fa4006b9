// The sampled records: what problem_with() refuses, the files as vibfrf will read them, and the
// measurement noise.
#include "records.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "temp_dir.hpp"

namespace vibfrf::examples {
namespace {

using testing::read_file;
using testing::TempDir;

TEST(ProblemWith, RefusesWhatCannotBeGenerated) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    void (*change)(ImpactTest&);
    const char* message;  // a part of the message, empty when the test can be generated
  };
  const Case cases[] = {
      {"the demo system", [](ImpactTest&) {}, ""},
      {"no mode", [](ImpactTest& t) { t.modes.clear(); }, "no mode"},
      {"zero mass", [](ImpactTest& t) { t.modes[0].mass = 0; }, "mass"},
      {"mass not a number", [](ImpactTest& t) { t.modes[0].mass = nan; }, "mass"},
      {"negative stiffness", [](ImpactTest& t) { t.modes[0].stiffness = -1; }, "stiffness"},
      {"no damping", [](ImpactTest& t) { t.modes[0].damping = 0; }, "damping"},
      // ζ = 400 / (2 sqrt(4 × 1e4)) = 1
      {"critical damping", [](ImpactTest& t) { t.modes[0] = {4, 1e4, 400}; }, "underdamped"},
      {"second mode overdamped",
       [](ImpactTest& t) { t.modes.push_back({1, 100, 30}); },
       "mode 2: the damping ratio is 1.5"},
      {"natural frequency beyond double",
       [](ImpactTest& t) { t.modes[0] = {1e-300, 1e300, 1}; },
       "range"},
      {"zero rate", [](ImpactTest& t) { t.rate = 0; }, "sample rate"},
      {"infinite rate", [](ImpactTest& t) { t.rate = inf; }, "sample rate"},
      {"one sample", [](ImpactTest& t) { t.samples = 1; }, "number of samples"},
      {"too many samples", [](ImpactTest& t) { t.samples = max_samples + 1; }, "number of samples"},
      {"most samples", [](ImpactTest& t) { t.samples = max_samples; }, ""},
      {"no force", [](ImpactTest& t) { t.force_peak = 0; }, "peak force"},
      {"no pulse", [](ImpactTest& t) { t.pulse_length = 0; }, "pulse length"},
      {"negative delay", [](ImpactTest& t) { t.delay = -1e-3; }, "delay"},
      {"pulse under two samples",
       [](ImpactTest& t) { t.pulse_length = 1.999 / t.rate; },
       "two sample intervals"},
      {"pulse of two samples exactly", [](ImpactTest& t) { t.pulse_length = 2 / t.rate; }, ""},
      {"pulse past the record",
       [](ImpactTest& t) { t.delay = (t.samples - 1) / t.rate - t.pulse_length / 2; },
       "after the last sample"},
      {"pulse ending on the last sample",
       [](ImpactTest& t) { t.pulse_length = 0.5; t.delay = (t.samples - 1) / t.rate - 0.5; },
       ""},
      {"negative noise", [](ImpactTest& t) { t.noise_accel = -0.1; }, "noise"},
      {"noise not a number", [](ImpactTest& t) { t.noise_force = nan; }, "noise"},
  };
  for (const Case& c : cases) {
    ImpactTest test;
    c.change(test);
    const std::string problem = problem_with(test);
    if (std::string(c.message).empty())
      EXPECT_EQ(problem, "") << c.what;
    else
      EXPECT_NE(problem.find(c.message), std::string::npos) << c.what << ": " << problem;
  }
}

struct Pair {
  double time;
  double value;
};

// Reads a record as "time amplitude" lines, failing on anything else.
std::vector<Pair> read_record(const std::filesystem::path& file) {
  std::vector<Pair> pairs;
  std::istringstream lines(read_file(file));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string time, value, extra;
    if (!(fields >> time >> value) || (fields >> extra))
      throw std::runtime_error("not a pair: '" + line + "'");
    char* end = nullptr;
    const double t = std::strtod(time.c_str(), &end);
    if (*end != '\0') throw std::runtime_error("not a number: " + time);
    const double v = std::strtod(value.c_str(), &end);
    if (*end != '\0') throw std::runtime_error("not a number: " + value);
    pairs.push_back({t, v});
  }
  return pairs;
}

TEST(WriteRecords, FilesReadBackAsTheExactSamples) {
  struct Case {
    const char* what;
    void (*change)(ImpactTest&);
  };
  const Case cases[] = {
      {"the demo system", [](ImpactTest&) {}},
      {"two modes, pulse from time 0, a rate whose steps are not exact in binary",
       [](ImpactTest& t) {
         t.modes.push_back({0.3, 2e6, 40});
         t.delay = 0;
         t.rate = 1000;
         t.samples = 1500;
       }},
      {"tiny amplitudes", [](ImpactTest& t) { t.force_peak = 1e-9; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImpactTest test;
    c.change(test);
    ASSERT_EQ(problem_with(test), "");
    const TempDir dir;
    write_records(test, dir / "f.txt", dir / "a.txt");
    const std::vector<Pair> force = read_record(dir / "f.txt");
    const std::vector<Pair> accel = read_record(dir / "a.txt");
    ASSERT_EQ(force.size(), test.samples);
    ASSERT_EQ(accel.size(), test.samples);
    for (std::size_t i = 0; i < test.samples; ++i) {
      const double t = static_cast<double>(i) / test.rate;
      ASSERT_EQ(force[i].time, t) << i;
      ASSERT_EQ(accel[i].time, t) << i;
      if (i > 0) {
        ASSERT_LT(force[i - 1].time, force[i].time);
      }
      ASSERT_EQ(force[i].value, force_at(test, t)) << i;
      ASSERT_EQ(accel[i].value, acceleration_at(test, t)) << i;
    }
  }
}

TEST(WriteRecords, UnwritableFileIsReportedByName) {
  const TempDir dir;
  const std::filesystem::path missing = dir / "no such directory" / "force.txt";
  try {
    write_records(ImpactTest{}, missing, dir / "accel.txt");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(missing.string()), std::string::npos) << e.what();
  }
}

// The noise a record carries: the record less the exact signal.
std::vector<double> noise_of(const std::vector<double>& record, const std::vector<double>& exact) {
  std::vector<double> noise;
  for (std::size_t i = 0; i < record.size(); ++i) noise.push_back(record[i] - exact[i]);
  return noise;
}

double mean(const std::vector<double>& v) {
  double sum = 0;
  for (const double x : v) sum += x;
  return sum / static_cast<double>(v.size());
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const double ma = mean(a), mb = mean(b);
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return ab / std::sqrt(aa * bb);
}

TEST(Noise, GaussianWithTheRequestedDeviationAndIndependent) {
  struct Case {
    double force_sd, accel_sd;
    std::uint64_t seed;
  };
  const Case cases[] = {{0.5, 2.0, 1}, {3.0, 0.0, 42}, {0.0, 0.01, ~std::uint64_t{0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    ImpactTest test;
    test.samples = 65536;
    test.noise_force = c.force_sd;
    test.noise_accel = c.accel_sd;
    test.seed = c.seed;
    ImpactTest exact = test;
    exact.noise_force = exact.noise_accel = 0;
    const Records noisy = sample_records(test);
    const Records clean = sample_records(exact);
    EXPECT_EQ(noisy.time, clean.time);
    const std::vector<double> force_noise = noise_of(noisy.force, clean.force);
    const std::vector<double> accel_noise = noise_of(noisy.acceleration, clean.acceleration);
    const double n = static_cast<double>(test.samples);
    struct Channel {
      const std::vector<double>& noise;
      double sd;
    };
    for (const auto& [noise, sd] :
         {Channel{force_noise, c.force_sd}, Channel{accel_noise, c.accel_sd}}) {
      if (sd == 0) {
        for (const double x : noise) ASSERT_EQ(x, 0.0);
        continue;
      }
      const double m = mean(noise);
      double squares = 0, within_one_sd = 0;
      for (const double x : noise) {
        squares += (x - m) * (x - m);
        if (std::abs(x) < sd) ++within_one_sd;
      }
      // Bounds of about seven standard errors of each estimate.
      EXPECT_NEAR(m, 0.0, 7 * sd / std::sqrt(n));
      EXPECT_NEAR(std::sqrt(squares / (n - 1)), sd, 7 * sd / std::sqrt(2 * n));
      EXPECT_NEAR(within_one_sd / n, 0.6827, 7 * std::sqrt(0.6827 * 0.3173 / n))
          << "the share within one standard deviation tells a normal distribution";
      const std::vector<double> later(noise.begin() + 1, noise.end());
      const std::vector<double> earlier(noise.begin(), noise.end() - 1);
      EXPECT_NEAR(correlation(earlier, later), 0.0, 7 / std::sqrt(n)) << "successive samples";
    }
    if (c.force_sd > 0 && c.accel_sd > 0) {
      EXPECT_NEAR(correlation(force_noise, accel_noise), 0.0, 7 / std::sqrt(n)) << "channels";
    }
  }
}

TEST(Noise, FixedBySeedAndEachChannelByItself) {
  ImpactTest test;
  test.noise_force = 0.2;
  test.noise_accel = 1.5;
  test.seed = 7;
  const TempDir dir;
  write_records(test, dir / "f1.txt", dir / "a1.txt");
  write_records(test, dir / "f2.txt", dir / "a2.txt");
  EXPECT_EQ(read_file(dir / "f1.txt"), read_file(dir / "f2.txt"));
  EXPECT_EQ(read_file(dir / "a1.txt"), read_file(dir / "a2.txt"));

  ImpactTest other_seed = test;
  other_seed.seed = 8;
  write_records(other_seed, dir / "f3.txt", dir / "a3.txt");
  EXPECT_NE(read_file(dir / "f1.txt"), read_file(dir / "f3.txt"));
  EXPECT_NE(read_file(dir / "a1.txt"), read_file(dir / "a3.txt"));

  // The force noise stays the same when only the acceleration's deviation changes.
  ImpactTest quieter_accel = test;
  quieter_accel.noise_accel = 0.1;
  EXPECT_EQ(sample_records(quieter_accel).force, sample_records(test).force);
}

}  // namespace
}  // namespace vibfrf::examples
