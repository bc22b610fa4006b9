#include "records.hpp"

#include <charconv>
#include <cmath>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>
#include <system_error>

namespace vibfrf::examples {

double Mode::natural_frequency() const {
  return std::sqrt(stiffness / mass) / (2.0 * std::numbers::pi);
}
double Mode::damping_ratio() const {
  return damping / (2.0 * std::sqrt(stiffness * mass));
}
double Mode::damped_frequency() const {
  const double zeta = damping_ratio();
  return natural_frequency() * std::sqrt(1.0 - zeta * zeta);
}
double Mode::static_compliance() const {
  return 1.0 / stiffness;
}

namespace {

bool positive(double v) {
  return std::isfinite(v) && v > 0.0;
}

std::string number(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

std::string problem_with_mode(const Mode& mode) {
  if (!positive(mode.mass)) return "the mass must be a positive number of kg";
  if (!positive(mode.stiffness)) return "the stiffness must be a positive number of N/m";
  if (!positive(mode.damping)) return "the damping must be a positive number of N*s/m";
  const double zeta = mode.damping_ratio();
  if (!(zeta < 1.0))
    return "the damping ratio is " + number(zeta) +
           "; only underdamped modes (damping below 2*sqrt(stiffness*mass)) are generated";
  if (!positive(mode.natural_frequency()) || !positive(mode.damped_frequency()))
    return "the natural frequency is out of the range of double precision";
  return {};
}

// The rates of the free vibration, rad/s: x = e^(−decay t) (A cos(ringing t) + B sin(ringing t)).
struct FreeVibration {
  double natural;  // ωn
  double decay;    // ζ ωn = c / 2m
  double ringing;  // ωd = ωn sqrt(1 − ζ²)
};

FreeVibration free_vibration(const Mode& mode) {
  const double two_pi = 2.0 * std::numbers::pi;
  return {two_pi * mode.natural_frequency(), mode.damping / (2.0 * mode.mass),
          two_pi * mode.damped_frequency()};
}

struct State {
  double x;  // displacement, m
  double v;  // velocity, m/s
};

// The free decay, `elapsed` seconds after the mode was in state `start`.
State free_decay(const FreeVibration& w, State start, double elapsed) {
  const double envelope = std::exp(-w.decay * elapsed);
  const double c = std::cos(w.ringing * elapsed);
  const double s = std::sin(w.ringing * elapsed);
  const double natural_squared = w.natural * w.natural;
  return {
      envelope * (start.x * c + (start.v + w.decay * start.x) / w.ringing * s),
      envelope * (start.v * c - (natural_squared * start.x + w.decay * start.v) / w.ringing * s)};
}

// The state `elapsed` seconds after the start of the pulse, while it lasts. The particular
// solution is the steady response to F0 sin(Ω t); the homogeneous part is the free decay that
// starts with the opposite of the particular solution's state at 0, so that the sum starts at rest.
State during_pulse(const Mode& mode, const ImpactTest& test, double elapsed) {
  const double omega = std::numbers::pi / test.pulse_length;
  const double dynamic_stiffness = mode.stiffness - mode.mass * omega * omega;
  const double damping_force = mode.damping * omega;
  const double denominator = dynamic_stiffness * dynamic_stiffness + damping_force * damping_force;
  const double in_phase = test.force_peak * dynamic_stiffness / denominator;    // × sin(Ω t)
  const double in_quadrature = -test.force_peak * damping_force / denominator;  // × cos(Ω t)

  const double s = std::sin(omega * elapsed);
  const double c = std::cos(omega * elapsed);
  const State particular{in_phase * s + in_quadrature * c,
                         omega * (in_phase * c - in_quadrature * s)};
  const State homogeneous =
      free_decay(free_vibration(mode), {-in_quadrature, -omega * in_phase}, elapsed);
  return {particular.x + homogeneous.x, particular.v + homogeneous.v};
}

State state_at(const Mode& mode, const ImpactTest& test, double t) {
  const double elapsed = t - test.delay;
  if (elapsed <= 0.0) return {0.0, 0.0};
  if (elapsed <= test.pulse_length) return during_pulse(mode, test, elapsed);
  return free_decay(free_vibration(mode), during_pulse(mode, test, test.pulse_length),
                    elapsed - test.pulse_length);
}

// Standard normal numbers, the same sequence for a seed on every standard library (to the last
// bit of the math library's log, sin and cos): std::mt19937_64 is fully specified, and the
// Box–Muller transform turns each pair of its
// outputs (as uniform numbers u1 in (0, 1] and u2 in [0, 1)) into the two independent numbers
// sqrt(−2 ln u1) cos(2π u2) and sqrt(−2 ln u1) sin(2π u2), used in that order.
class NormalNumbers {
 public:
  explicit NormalNumbers(std::uint64_t seed) : engine_(seed) {}

  double next() {
    if (has_spare_) {
      has_spare_ = false;
      return spare_;
    }
    constexpr double unit = 1.0 / 9007199254740992.0;  // 2^-53: the top 53 bits make a double
    const double u1 = static_cast<double>((engine_() >> 11) + 1) * unit;
    const double u2 = static_cast<double>(engine_() >> 11) * unit;
    const double radius = std::sqrt(-2.0 * std::log(u1));
    const double angle = 2.0 * std::numbers::pi * u2;
    spare_ = radius * std::sin(angle);
    has_spare_ = true;
    return radius * std::cos(angle);
  }

 private:
  std::mt19937_64 engine_;
  double spare_ = 0.0;
  bool has_spare_ = false;
};

}  // namespace

std::string problem_with(const ImpactTest& test) {
  if (test.modes.empty()) return "there is no mode";
  for (std::size_t i = 0; i < test.modes.size(); ++i) {
    const std::string problem = problem_with_mode(test.modes[i]);
    if (!problem.empty()) return "mode " + std::to_string(i + 1) + ": " + problem;
  }
  if (!positive(test.rate))
    return "the sample rate must be a positive number of samples per second";
  if (test.samples < 2 || test.samples > max_samples)
    return "the number of samples must be from 2 to " + std::to_string(max_samples);
  if (!positive(test.force_peak)) return "the peak force must be a positive number of N";
  if (!positive(test.pulse_length)) return "the pulse length must be a positive number of s";
  if (!std::isfinite(test.delay) || test.delay < 0.0)
    return "the delay must be a number of s, 0 or more";
  if (test.pulse_length < 2.0 / test.rate)
    return "the pulse (" + number(test.pulse_length) +
           " s) must last at least two sample intervals (" + number(2.0 / test.rate) +
           " s), or the samples could miss it";
  const double last_sample = static_cast<double>(test.samples - 1) / test.rate;
  if (test.delay + test.pulse_length > last_sample)
    return "the pulse ends at " + number(test.delay + test.pulse_length) +
           " s, after the last sample at " + number(last_sample) + " s";
  if (!std::isfinite(test.noise_force) || test.noise_force < 0.0 ||
      !std::isfinite(test.noise_accel) || test.noise_accel < 0.0)
    return "a noise standard deviation must be a number, 0 or more";
  return {};
}

double force_at(const ImpactTest& test, double t) {
  const double elapsed = t - test.delay;
  if (elapsed < 0.0 || elapsed > test.pulse_length) return 0.0;
  return test.force_peak * std::sin(std::numbers::pi * elapsed / test.pulse_length);
}

double displacement_at(const Mode& mode, const ImpactTest& test, double t) {
  return state_at(mode, test, t).x;
}

double velocity_at(const Mode& mode, const ImpactTest& test, double t) {
  return state_at(mode, test, t).v;
}

double acceleration_at(const Mode& mode, const ImpactTest& test, double t) {
  const State s = state_at(mode, test, t);
  return (force_at(test, t) - mode.damping * s.v - mode.stiffness * s.x) / mode.mass;
}

double acceleration_at(const ImpactTest& test, double t) {
  double sum = 0.0;
  for (const Mode& mode : test.modes) sum += acceleration_at(mode, test, t);
  return sum;
}

Records sample_records(const ImpactTest& test) {
  Records records;
  records.time.reserve(test.samples);
  records.force.reserve(test.samples);
  records.acceleration.reserve(test.samples);
  NormalNumbers noise(test.seed);
  for (std::size_t i = 0; i < test.samples; ++i) {
    const double t = static_cast<double>(i) / test.rate;
    const double force_noise = test.noise_force * noise.next();
    const double accel_noise = test.noise_accel * noise.next();
    records.time.push_back(t);
    records.force.push_back(force_at(test, t) + force_noise);
    records.acceleration.push_back(acceleration_at(test, t) + accel_noise);
  }
  return records;
}

void write_record(const std::filesystem::path& file, const std::vector<double>& time,
                  const std::vector<double>& values) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + file.string());
  for (std::size_t i = 0; i < time.size() && i < values.size(); ++i) {
    char line[64];
    char* end = std::to_chars(line, line + sizeof line, time[i]).ptr;
    *end++ = ' ';
    end = std::to_chars(end, line + sizeof line, values[i]).ptr;
    *end++ = '\n';
    out.write(line, end - line);
  }
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

void write_records(const ImpactTest& test, const std::filesystem::path& force_file,
                   const std::filesystem::path& accel_file) {
  const Records records = sample_records(test);
  write_record(force_file, records.time, records.force);
  write_record(accel_file, records.time, records.acceleration);
}

}  // namespace vibfrf::examples
