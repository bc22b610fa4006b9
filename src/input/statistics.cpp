#include "input/statistics.hpp"

#include <cmath>

namespace vibfrf {

TransformLength choose_transform_length(std::uint32_t records) {
  std::uint32_t e = 1;
  while (e <= 18 && !(std::pow(2.0, e) > static_cast<double>(records))) ++e;
  return {std::uint32_t{1} << (e - 1), e - 1};
}

RecordStatistics record_statistics(double t_first, double t_last, std::uint32_t ns,
                                   std::uint32_t records, const Moments& sums) {
  RecordStatistics s;
  const double n = static_cast<double>(records);
  s.duration = t_last - t_first;
  s.dt = s.duration / static_cast<double>(ns - 1);
  s.sr = 1.0 / s.dt;
  s.df = 1.0 / s.duration;
  s.ave = sums.s1 / n;
  s.rms = std::sqrt(sums.s2 / n);
  s.sd = std::sqrt(s.rms * s.rms - s.ave * s.ave);
  s.kurtosis = sums.s4 / (std::pow(s.sd, 4.0) * n);
  return s;
}

}  // namespace vibfrf
