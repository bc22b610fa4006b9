#include "transform/lines.hpp"

namespace vibfrf {
namespace {

inline float times(float v, double factor) {
  return static_cast<float>(static_cast<double>(v) * factor);
}

}  // namespace

Complex spectrum_line(Complex raw, std::uint32_t i, const SpectrumSettings& settings) {
  const double m = static_cast<double>(settings.m);
  Complex line{static_cast<float>(static_cast<double>(raw.re) / m),
               static_cast<float>(static_cast<double>(raw.im) / m)};
  const double f = static_cast<double>(i) * settings.df;
  if (settings.to_displacement && f > 0.00001) {
    const double w = f * settings.two_pi;
    const double divisor = w * w;
    line = {static_cast<float>(static_cast<double>(line.re) / divisor),
            static_cast<float>(static_cast<double>(line.im) / divisor)};
  }
  if (f < settings.highpass) line = {};
  if (i == 0) line = {};
  return line;
}

Complex impulse_line(Complex raw, std::uint32_t i, std::uint32_t m) {
  if (i == 0) return {};
  const double md = static_cast<double>(m);
  if (static_cast<double>(i) > 0.95 * md) {
    const double factor = 20.0 * static_cast<double>(m - i) / md;
    return {times(raw.re, factor), times(raw.im, factor)};
  }
  return raw;
}

}  // namespace vibfrf
