// Example records for vibfrf: the force and the acceleration that an impact test on a structure
// with one or two lightly damped modes would give, computed from the exact closed-form response.
//
// Conventions, for everything in this file: SI units (kg, N/m, N·s/m, s, N, m, m/s, m/s²); time 0
// is the first sample; the structure is at rest (zero displacement and velocity) until the pulse
// starts. Each mode is an independent mass-spring-damper driven by the same force, and the
// measured acceleration is the sum of the modes' accelerations (modal superposition).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vibfrf::examples {

struct Mode {
  double mass = 1.0;          // kg
  double stiffness = 3.95e5;  // N/m
  double damping = 25.0;      // N·s/m

  double natural_frequency() const;  // fn = sqrt(k/m) / 2π, Hz
  double damping_ratio() const;      // ζ = c / (2 sqrt(k m))
  double damped_frequency() const;   // fd = fn sqrt(1 - ζ²), Hz
  double static_compliance() const;  // 1/k, m/N
};

// The hammer blow is a half-sine pulse F(t) = force_peak · sin(π (t − delay) / pulse_length) for
// delay <= t <= delay + pulse_length, and zero otherwise. The defaults are the demo system:
// fn ≈ 100 Hz, ζ ≈ 2 %, a 2 s record at 1024 samples per second.
struct ImpactTest {
  std::vector<Mode> modes = {Mode{}};
  double force_peak = 100.0;    // N
  double pulse_length = 0.002;  // s
  double delay = 0.004;         // s; a few samples, so that the rise of the pulse is sampled
  double rate = 1024.0;         // samples per second
  std::size_t samples = 2048;
  double noise_force = 0.0;  // standard deviation of the force noise, N
  double noise_accel = 0.0;  // standard deviation of the acceleration noise, m/s²
  std::uint64_t seed = 1;    // of the noise
};

// The most samples a record may have; it keeps the files and the memory for them bounded.
inline constexpr std::size_t max_samples = std::size_t{1} << 20;

// What makes the test impossible to generate, worded for the user; empty when it can be.
// Every mode must be underdamped with some damping (0 < ζ < 1), and the pulse must lie inside
// the record and span at least two sample intervals, so that the samples cannot miss it.
std::string problem_with(const ImpactTest& test);

// The noise-free, exact values at any time t (s). None of these needs problem_with() to be empty,
// only positive mass and stiffness and 0 < ζ < 1 for the mode.
double force_at(const ImpactTest& test, double t);
double displacement_at(const Mode& mode, const ImpactTest& test, double t);
double velocity_at(const Mode& mode, const ImpactTest& test, double t);
double acceleration_at(const Mode& mode, const ImpactTest& test, double t);
double acceleration_at(const ImpactTest& test, double t);  // the sum over the modes

// The sampled records, t_i = i / rate, with the measurement noise added: zero-mean Gaussian,
// drawn from std::mt19937_64 seeded with `seed` through the Box–Muller transform written here
// (not std::normal_distribution, whose numbers differ between standard libraries). Sample i
// takes the force noise and then the acceleration noise, so each channel's noise does not
// depend on the other's standard deviation.
struct Records {
  std::vector<double> time;
  std::vector<double> force;
  std::vector<double> acceleration;
};
Records sample_records(const ImpactTest& test);

// One "time amplitude" pair a line, each number in the shortest text that reads back as the
// same double. Throws std::runtime_error naming the file when one cannot be written.
void write_record(const std::filesystem::path& file, const std::vector<double>& time,
                  const std::vector<double>& values);
void write_records(const ImpactTest& test, const std::filesystem::path& force_file,
                   const std::filesystem::path& accel_file);

}  // namespace vibfrf::examples
