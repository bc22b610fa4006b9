// Transform length and record statistics, as pure functions of the counts and sums.
#pragma once

#include <cstdint>

namespace vibfrf {

inline constexpr std::uint32_t max_records = 262144;

struct TransformLength {
  std::uint32_t m;        // the largest power of two not above the record count; at least 1
  std::uint32_t nstages;  // log2 of m
};
// The comparison is done in doubles, 2^e against the count, for e = 1 to 18.
TransformLength choose_transform_length(std::uint32_t records);

// Sums of the amplitudes, their squares and their fourth powers, in double precision.
struct Moments {
  double s1 = 0.0;
  double s2 = 0.0;
  double s4 = 0.0;
  void add(double x) {
    s1 += x;
    const double x2 = x * x;
    s2 += x2;
    s4 += x2 * x2;
  }
};

struct RecordStatistics {
  double duration;  // s, from the first to the last loaded sample
  double dt;        // s
  double sr;        // samples per second
  double df;        // Hz: 1 / duration, the span of the loaded samples
  double ave;
  double rms;
  double sd;
  double kurtosis;  // of the raw amplitudes, not of their deviations from the mean
};
// The moments describe all `records` of the first pass (the divisor throughout); the times
// describe the `ns` samples loaded for the transform. Needs ns >= 2.
RecordStatistics record_statistics(double t_first, double t_last, std::uint32_t ns,
                                   std::uint32_t records, const Moments& sums);

}  // namespace vibfrf
