// The closed-form impact response, checked against what any correct response must do: satisfy
// the equation of motion (by numerical differentiation), start at rest, stay continuous where the
// pulse ends, decay by the logarithmic decrement, and tend to the impulse response for a short
// pulse.
#include "records.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace vibfrf::examples {
namespace {

constexpr double pi = std::numbers::pi;

// A mode of the given mass, natural frequency (Hz) and damping ratio.
Mode mode_of(double mass, double fn, double zeta) {
  const double stiffness = mass * (2 * pi * fn) * (2 * pi * fn);
  return {mass, stiffness, 2 * zeta * std::sqrt(stiffness * mass)};
}

// What the textbook says of a mode, from m, k and c alone.
struct Textbook {
  double natural;  // ωn, rad/s
  double zeta;
  double decay;    // ζ ωn, 1/s
  double ringing;  // ωd, rad/s
  double period;   // damped period, s
};

Textbook textbook(const Mode& m) {
  const double natural = std::sqrt(m.stiffness / m.mass);
  const double zeta = m.damping / (2 * std::sqrt(m.stiffness * m.mass));
  const double ringing = natural * std::sqrt(1 - zeta * zeta);
  return {natural, zeta, zeta * natural, ringing, 2 * pi / ringing};
}

struct System {
  const char* name;
  std::vector<Mode> modes;
  double pulse_length;
  double delay;
};

const System systems[] = {
    {"light damping, 100 Hz, pulse a fifth of the period", {mode_of(1, 100, 0.02)}, 0.002, 0.004},
    {"very light damping, pulse from time 0", {mode_of(1, 100, 0.001)}, 0.002, 0.0},
    {"heavier damping, pulse three periods long", {mode_of(1, 100, 0.3)}, 0.03, 0.004},
    {"nearly critical damping", {mode_of(1, 100, 0.95)}, 0.004, 0.004},
    {"2 Hz, pulse a hundredth of the period", {mode_of(50, 2, 0.05)}, 0.005, 0.01},
    {"2 kHz, light damping", {mode_of(0.01, 2000, 0.01)}, 0.0002, 0.001},
    {"pulse half a period: forced at resonance", {mode_of(1, 100, 0.02)}, 0.005, 0.004},
    {"two modes, short pulse", {mode_of(1, 100, 0.02), mode_of(0.5, 250, 0.03)}, 0.002, 0.004},
    {"two modes, long pulse, heavier damping",
     {mode_of(2, 40, 0.1), mode_of(0.2, 310, 0.6)},
     0.02,
     0.0},
};

ImpactTest test_of(const System& s) {
  ImpactTest test;
  test.modes = s.modes;
  test.pulse_length = s.pulse_length;
  test.delay = s.delay;
  test.force_peak = 100;
  return test;
}

double pulse_end(const ImpactTest& test) {
  return test.delay + test.pulse_length;
}

double shortest_period(const ImpactTest& test) {
  double shortest = test.pulse_length;
  for (const Mode& m : test.modes) shortest = std::min(shortest, textbook(m).period);
  return shortest;
}

double longest_period(const ImpactTest& test) {
  double longest = 0;
  for (const Mode& m : test.modes) longest = std::max(longest, textbook(m).period);
  return longest;
}

// Central differences at steps h and h/2, combined by Richardson extrapolation: error O(h⁴).
template <class F>
double first_derivative(F f, double t, double h) {
  const auto central = [&](double s) { return (f(t + s) - f(t - s)) / (2 * s); };
  return (4 * central(h / 2) - central(h)) / 3;
}

template <class F>
double second_derivative(F f, double t, double h) {
  const auto central = [&](double s) { return (f(t + s) - 2 * f(t) + f(t - s)) / (s * s); };
  return (4 * central(h / 2) - central(h)) / 3;
}

// Where to differentiate: inside the pulse clear of its ends, and over two periods after it,
// with a step small enough for the fastest motion and for every stencil to stay on one side of
// the pulse's ends (where the jerk jumps).
struct Probe {
  double t;
  double step;
};

std::vector<Probe> probes(const ImpactTest& test) {
  std::vector<Probe> out;
  const double step = shortest_period(test) / 200;
  for (int i = 1; i < 10; ++i) out.push_back({test.delay + test.pulse_length * i / 10, step});
  for (int i = 1; i <= 28; ++i)
    out.push_back({pulse_end(test) + longest_period(test) * i / 14, step});
  return out;
}

TEST(Force, IsAHalfSinePulseAfterTheDelay) {
  ImpactTest test;
  test.force_peak = 80;
  test.pulse_length = 0.003;
  test.delay = 0.01;
  struct Point {
    double pulse_lengths_after_delay;
    double share_of_peak;
  };
  const Point points[] = {{-0.5, 0},      {-1e-3, 0},    {1.0 / 6, 0.5}, {0.5, 1},
                          {5.0 / 6, 0.5}, {1 + 1e-3, 0}, {3, 0}};
  for (const Point& p : points) {
    const double t = test.delay + p.pulse_lengths_after_delay * test.pulse_length;
    EXPECT_NEAR(force_at(test, t), p.share_of_peak * test.force_peak, 1e-12 * test.force_peak)
        << p.pulse_lengths_after_delay;
  }
}

TEST(Response, SatisfiesTheEquationOfMotion) {
  for (const System& system : systems) {
    SCOPED_TRACE(system.name);
    const ImpactTest test = test_of(system);
    const std::vector<Probe> points = probes(test);
    double total_scale = 0;
    std::vector<double> summed(points.size(), 0.0);
    for (const Mode& mode : test.modes) {
      const auto x = [&](double t) { return displacement_at(mode, test, t); };
      double v_scale = 0, a_scale = 0;
      for (const Probe& p : points) {
        v_scale = std::max(v_scale, std::abs(velocity_at(mode, test, p.t)));
        a_scale = std::max(a_scale, std::abs(acceleration_at(mode, test, p.t)));
      }
      total_scale += a_scale;
      for (std::size_t i = 0; i < points.size(); ++i) {
        const Probe& p = points[i];
        SCOPED_TRACE(p.t);
        const double v = first_derivative(x, p.t, p.step);
        const double a = second_derivative(x, p.t, p.step);
        summed[i] += a;
        EXPECT_NEAR(velocity_at(mode, test, p.t), v, 1e-7 * v_scale);
        const double newton =
            (force_at(test, p.t) - mode.damping * v - mode.stiffness * x(p.t)) / mode.mass;
        EXPECT_NEAR(a, newton, 1e-6 * a_scale);
        EXPECT_NEAR(acceleration_at(mode, test, p.t), a, 1e-6 * a_scale);
      }
    }
    for (std::size_t i = 0; i < points.size(); ++i)
      EXPECT_NEAR(acceleration_at(test, points[i].t), summed[i], 1e-6 * total_scale)
          << "the modes' accelerations add up, at t = " << points[i].t;
  }
}

TEST(Response, AtRestUntilThePulseAndContinuousWhereItEnds) {
  for (const System& system : systems) {
    SCOPED_TRACE(system.name);
    const ImpactTest test = test_of(system);
    for (const Mode& mode : test.modes) {
      double x_scale = 0, v_scale = 0, a_scale = 0;
      for (int i = 0; i <= 400; ++i) {
        const double t = test.delay + (test.pulse_length + 2 * textbook(mode).period) * i / 400;
        x_scale = std::max(x_scale, std::abs(displacement_at(mode, test, t)));
        v_scale = std::max(v_scale, std::abs(velocity_at(mode, test, t)));
        a_scale = std::max(a_scale, std::abs(acceleration_at(mode, test, t)));
      }
      for (const double t : {0.0, test.delay / 2, test.delay}) {
        EXPECT_EQ(displacement_at(mode, test, t), 0.0) << t;
        EXPECT_EQ(velocity_at(mode, test, t), 0.0) << t;
        EXPECT_EQ(acceleration_at(mode, test, t), 0.0) << t;
      }
      // Just after the start the force has barely acted: x ~ t³, v ~ t², a = F/m.
      const double start = test.delay + 1e-6 * shortest_period(test);
      EXPECT_NEAR(displacement_at(mode, test, start), 0.0, 1e-8 * x_scale);
      EXPECT_NEAR(velocity_at(mode, test, start), 0.0, 1e-8 * v_scale);
      EXPECT_NEAR(acceleration_at(mode, test, start), force_at(test, start) / mode.mass,
                  1e-8 * a_scale);

      const double delta = 1e-9 * shortest_period(test);
      const double before = pulse_end(test) - delta, after = pulse_end(test) + delta;
      EXPECT_NEAR(displacement_at(mode, test, before), displacement_at(mode, test, after),
                  1e-7 * x_scale);
      EXPECT_NEAR(velocity_at(mode, test, before), velocity_at(mode, test, after), 1e-7 * v_scale);
      EXPECT_NEAR(acceleration_at(mode, test, before), acceleration_at(mode, test, after),
                  1e-7 * a_scale);
    }
  }
}

// The time in [a, b] where the velocity changes from rising to falling displacement.
double peak_between(const Mode& mode, const ImpactTest& test, double a, double b) {
  for (int i = 0; i < 200; ++i) {
    const double middle = (a + b) / 2;
    if (middle == a || middle == b) break;
    (velocity_at(mode, test, middle) > 0 ? a : b) = middle;
  }
  return (a + b) / 2;
}

TEST(Response, FreeDecayRingsAtTheDampedPeriodAndDecaysByTheDecrement) {
  for (const System& system : systems) {
    SCOPED_TRACE(system.name);
    const ImpactTest test = test_of(system);
    for (const Mode& mode : test.modes) {
      const Textbook book = textbook(mode);
      std::vector<double> peaks;
      const double step = book.period / 64;
      for (double t = pulse_end(test); peaks.size() < 4 && t < pulse_end(test) + 10 * book.period;
           t += step)
        if (velocity_at(mode, test, t) > 0 && velocity_at(mode, test, t + step) <= 0)
          peaks.push_back(peak_between(mode, test, t, t + step));
      ASSERT_EQ(peaks.size(), 4u);
      for (std::size_t i = 1; i < peaks.size(); ++i) {
        EXPECT_NEAR(peaks[i] - peaks[i - 1], book.period, 1e-9 * book.period);
        const double ratio =
            displacement_at(mode, test, peaks[i]) / displacement_at(mode, test, peaks[i - 1]);
        const double decrement = std::exp(-book.decay * book.period);
        EXPECT_NEAR(ratio, decrement, 1e-8 * decrement);
      }
    }
  }
}

TEST(Response, ShortPulseGivesTheImpulseResponse) {
  struct Case {
    Mode mode;
    double pulse_per_period;
  };
  const Case cases[] = {
      {mode_of(1, 100, 0.02), 1e-2},
      {mode_of(1, 100, 0.02), 1e-3},
      {mode_of(50, 2, 0.05), 1e-3},
      {mode_of(0.01, 2000, 0.3), 1e-2},
  };
  for (const Case& c : cases) {
    const Textbook book = textbook(c.mode);
    ImpactTest test;
    test.modes = {c.mode};
    test.force_peak = 250;
    test.delay = 0.001;
    test.pulse_length = c.pulse_per_period * 2 * pi / book.natural;
    SCOPED_TRACE(test.pulse_length);
    const double impulse = 2 * test.force_peak * test.pulse_length / pi;
    const double amplitude = impulse / (c.mode.mass * book.ringing);
    const double centre = test.delay + test.pulse_length / 2;
    // The pulse's finite width changes the response by about (ωn Tp)² / 40 of its amplitude.
    const double wn_tp = book.natural * test.pulse_length;
    for (int i = 0; i <= 60; ++i) {
      const double t = pulse_end(test) + book.period * i / 20;
      const double ideal =
          amplitude * std::exp(-book.decay * (t - centre)) * std::sin(book.ringing * (t - centre));
      EXPECT_NEAR(displacement_at(c.mode, test, t), ideal, 0.1 * wn_tp * wn_tp * amplitude) << t;
    }
  }
}

TEST(Mode, FrequenciesDampingRatioAndCompliance) {
  struct Case {
    Mode mode;
    double fn, zeta, fd, compliance;
  };
  const Case cases[] = {
      // ωn = sqrt(100 / 4) = 5 rad/s, ζ = 8 / (2 sqrt(400)) = 0.2
      {{4, 100, 8}, 5 / (2 * pi), 0.2, 5 * std::sqrt(0.96) / (2 * pi), 0.01},
      {mode_of(1, 100, 0.02), 100, 0.02, 100 * std::sqrt(0.9996), 1 / (200 * pi * 200 * pi)},
      // ωn = sqrt(2e6 / 0.5) = 2000 rad/s, undamped
      {{0.5, 2e6, 0}, 2000 / (2 * pi), 0, 2000 / (2 * pi), 5e-7},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(c.mode.natural_frequency(), c.fn, 1e-12 * c.fn);
    EXPECT_NEAR(c.mode.damping_ratio(), c.zeta, 1e-12);
    EXPECT_NEAR(c.mode.damped_frequency(), c.fd, 1e-12 * c.fd);
    EXPECT_NEAR(c.mode.static_compliance(), c.compliance, 1e-12 * c.compliance);
  }
}

}  // namespace
}  // namespace vibfrf::examples
