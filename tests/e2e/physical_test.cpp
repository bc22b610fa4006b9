// An impact test on a known mass-spring-damper, run through the whole program: the results must
// show the system's resonance, damping and stiffness with the program's sign and scale.
//
// The conventions this test pins down:
// - H1 is the ratio of the displacement spectrum to the force spectrum, with the 1/m scaling of
//   both spectra cancelled, so its magnitude is the receptance in (acceleration units)/(force
//   units)·s², m/N here: 1/(c·ωn) at resonance.
// - Channel 2 becomes "displacement" by dividing the acceleration by +(2πf)², while physically
//   a = −(2πf)²·x. So H1 is the NEGATIVE of the receptance: its phase is +90° at resonance
//   (not −90°), near ±180° well below it and near 0° well above it.
// - The impulse response is the inverse transform of H1 without a 1/m: on each line it is
//   −h(t)/df, where h(t) = e^(−ζωn·t)·sin(ωd·t)/(m·ωd) is the physical displacement per unit
//   force impulse and df the frequency step.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "records.hpp"
#include "run_program.hpp"
#include "table_file.hpp"
#include "temp_dir.hpp"

namespace vibfrf {
namespace {

using namespace testing;

constexpr double pi = 3.141592653589793;

struct ImpactRun {
  Table h1_mp, coherence, impulse;
  double df = 0;
};

// Runs vibfrf on the exact records of an impact on `mode`: no mean removal, no window (the
// response decays within the record), and a 10 Hz high-pass, below which the acceleration turned
// displacement says little. The pulse lasts a quarter of the natural period, so that its force
// spectrum is strong up to three times the natural frequency and its 2 ms or less are sampled
// finely enough that the sampled force and the exact response agree.
const ImpactRun& run_impact(const examples::Mode& mode) {
  static std::map<double, ImpactRun> runs;  // one run per system, shared by its tests
  const double key = mode.mass * 1e12 + mode.stiffness + mode.damping * 1e-6;
  if (const auto found = runs.find(key); found != runs.end()) return found->second;
  examples::ImpactTest test;
  test.modes = {mode};
  test.rate = 8192;
  test.samples = 32768;
  test.pulse_length = 0.25 / mode.natural_frequency();
  test.delay = 0.002;
  TempDir dir;
  examples::write_records(test, dir / "force.txt", dir / "accel.txt");
  const RunResult r = run_program(dir.path(), "2 1 10 force.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 0) << r.transcript;
  EXPECT_EQ(r.transcript.find("Coherence error"), std::string::npos);
  ImpactRun& run = runs[key];
  run = {read_table(dir / "H1_mp.out"), read_table(dir / "coherence.out"), read_table(dir / "impulse_h1.out"),
         test.rate / static_cast<double>(test.samples - 1)};  // 1 / the span of the record
  return run;
}

}  // namespace
}  // namespace vibfrf

namespace vibfrf::examples {
void PrintTo(const Mode& mode, std::ostream* os) {
  *os << "m " << mode.mass << " kg, k " << mode.stiffness << " N/m, c " << mode.damping << " N*s/m";
}
}  // namespace vibfrf::examples

namespace vibfrf {
namespace {

class ImpactOnOneMode : public ::testing::TestWithParam<examples::Mode> {};

TEST_P(ImpactOnOneMode, H1IsMinusTheReceptanceAndPeaksAtTheNaturalFrequency) {
  const examples::Mode mode = GetParam();
  const ImpactRun& run = run_impact(mode);
  const double fn = mode.natural_frequency();
  std::size_t peak = 1;
  for (std::size_t i = 1; i < run.h1_mp.size() && run.h1_mp[i][0] < 3 * fn; ++i)
    if (run.h1_mp[i][1] > run.h1_mp[peak][1]) peak = i;
  // The magnitude peaks at fn·sqrt(1 − 2ζ²), a hair below fn, on the line nearest to it.
  const double zeta = mode.damping_ratio();
  EXPECT_NEAR(run.h1_mp[peak][0], fn * std::sqrt(1 - 2 * zeta * zeta), run.df / 2 + 1e-9);
  EXPECT_NEAR(run.h1_mp[peak][0], fn, run.df + fn - fn * std::sqrt(1 - 2 * zeta * zeta));
  // Across the band the line equals −1/(k − mω² + jcω): the magnitude to 2 %, the phase, which
  // runs from near 180° through +90° at resonance towards 0°, to 2 degrees. (Further down, the
  // division by (2πf)² magnifies the small difference between the sampled pulse and the exact
  // one that the response follows.)
  for (const double fraction : {0.5, 0.7, 0.9, 1.0, 1.1, 1.4, 2.0, 3.0}) {
    SCOPED_TRACE(fraction);
    const auto& line = run.h1_mp[static_cast<std::size_t>(std::lround(fraction * fn / run.df))];
    const double w = 2 * pi * line[0];
    const double real = mode.stiffness - mode.mass * w * w, imaginary = mode.damping * w;
    EXPECT_NEAR(line[1], 1 / std::hypot(real, imaginary), 0.02 / std::hypot(real, imaginary));
    EXPECT_NEAR(line[2], 180 - std::atan2(imaginary, real) * 180 / pi, 2.0);
  }
}

TEST_P(ImpactOnOneMode, CoherenceIsOneAboveTheHighPass) {
  const ImpactRun& run = run_impact(GetParam());
  for (const auto& line : run.coherence) {
    if (line[0] < 10) {
      EXPECT_EQ(line[1], 0.0) << line[0];  // zeroed
    } else {
      // 1, to the rounding of the four significant digits with which each spectrum passed
      // through its text file, the one-sided ones twice.
      EXPECT_NEAR(line[1], 1.0, 3e-3) << line[0];
    }
  }
}

TEST_P(ImpactOnOneMode, ImpulseResponseIsTheSystemsOwnOverMinusDf) {
  const examples::Mode mode = GetParam();
  const ImpactRun& run = run_impact(mode);
  const double decay_rate = mode.damping_ratio() * 2 * pi * mode.natural_frequency();
  const double fd = mode.damped_frequency();
  const double wd = 2 * pi * fd;
  const double start = 1 / (mode.mass * wd * run.df);  // the response's first amplitude, over df
  const auto expected = [&](double t) { return -start * std::exp(-decay_rate * t) * std::sin(wd * t); };
  // Line by line, while the response is strong: the lines the high-pass cleared below 10 Hz
  // leave a slow ripple of a few per cent of the first amplitude, and nothing else differs.
  for (const auto& line : run.impulse) {
    if (line[0] > 2 / decay_rate) break;
    ASSERT_NEAR(line[1], expected(line[0]), 0.06 * start) << "t = " << line[0];
  }
  // The system's two numbers, read off the response: the damped frequency from the spacing of
  // its downward zero crossings, the decay rate from a straight line through the logarithms of
  // its peaks, over the time the response takes to fall to a fifth.
  std::vector<double> crossings;
  for (std::size_t i = 1; i < run.impulse.size() && run.impulse[i][0] < 1.6 / decay_rate; ++i) {
    const double a = run.impulse[i - 1][1], b = run.impulse[i][1];
    if (run.impulse[i][0] > 1 / fd && a > 0 && b <= 0)
      crossings.push_back(run.impulse[i - 1][0] + (run.impulse[i][0] - run.impulse[i - 1][0]) * a / (a - b));
  }
  ASSERT_GE(crossings.size(), 8u);
  const double period = (crossings.back() - crossings.front()) / static_cast<double>(crossings.size() - 1);
  EXPECT_NEAR(1 / period, fd, 0.005 * fd);
  double sx = 0, sy = 0, sxx = 0, sxy = 0, n = 0;
  for (std::size_t j = 0; j + 1 < crossings.size(); ++j) {
    const auto* peak = &run.impulse.front();
    for (const auto& line : run.impulse)
      if (line[0] >= crossings[j] && line[0] < crossings[j + 1] && std::fabs(line[1]) > std::fabs((*peak)[1]))
        peak = &line;
    const double x = (*peak)[0], y = std::log(std::fabs((*peak)[1]));
    sx += x, sy += y, sxx += x * x, sxy += x * y, n += 1;
  }
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  EXPECT_NEAR(-slope, decay_rate, 0.05 * decay_rate);
}

// Lightly damped systems whose resonance lies well inside the band and whose response dies out
// well within the four-second record.
INSTANTIATE_TEST_SUITE_P(Systems, ImpactOnOneMode,
                         ::testing::Values(examples::Mode{1.0, 3.95e5, 25.0},   // 100 Hz, 2 %
                                           examples::Mode{0.5, 7.9e5, 25.0},    // 200 Hz, 2 %
                                           examples::Mode{0.2, 7.9e5, 15.0}),   // 316 Hz, 1.9 %
                         [](const auto& info) {
                           return "fn" + std::to_string(std::lround(info.param.natural_frequency())) + "Hz";
                         });

}  // namespace
}  // namespace vibfrf
