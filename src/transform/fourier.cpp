// The two transform stages: the butterflies over `work`, then each line processed and written.
#include <cmath>

#include "textio/console.hpp"
#include "textio/print.hpp"
#include "transform/butterfly.hpp"
#include "transform/lines.hpp"
#include "transform/transform.hpp"

namespace vibfrf {
namespace {

using textio::console_out;
using textio::print;

void print_stage(unsigned stage, unsigned nstages) {
  print(console_out(), "\n i=%ld / %ld ", stage, nstages);
}

std::span<Complex> transform_lines(Sign sign) {
  print(console_out(), "\n m= %ld  nstages= %ld \n\n", wa.m, wa.nstages);
  const std::span<Complex> lines = std::span(wa.work).first(wa.m);
  butterfly_passes(lines, wa.aux, wa.nstages, wa.two_pi, sign, print_stage);
  return lines;
}

}  // namespace

void ctfourier() {
  const std::span<Complex> lines = transform_lines(Sign::forward);
  const SpectrumSettings settings{wa.m, wa.df, wa.two_pi, wa.highpass, wa.channel == 2};
  textio::Stream& spectrum = wa.streams[2];
  textio::Stream& two_sided_magnitude = wa.streams[3];
  textio::Stream& one_sided_magnitude = wa.streams[4];
  for (std::uint32_t i = 0; i < wa.m; ++i) {
    const Complex line = spectrum_line(lines[i], i, settings);
    lines[i] = line;
    const double f = static_cast<double>(i) * wa.df;
    const double re = line.re, im = line.im;
    const double magnitude = std::sqrt(re * re + im * im);
    print(spectrum, "%15.6e %15.6e %15.6e \n", f, re, im);
    print(two_sided_magnitude, "%15.6e %15.6e \n", f, magnitude);
    if (i < wa.m / 2) print(one_sided_magnitude, "%15.6e %15.6e \n", f, i == 0 ? magnitude : 2.0 * magnitude);
  }
}

void inverse_fourier() {
  const std::span<Complex> lines = transform_lines(Sign::inverse);
  textio::Stream& complex_response = wa.streams[2];
  textio::Stream& response = wa.streams[3];
  for (std::uint32_t i = 0; i < wa.m; ++i) {
    const Complex line = impulse_line(lines[i], i, wa.m);
    lines[i] = line;
    const double t = static_cast<double>(i) * wa.dt;
    print(complex_response, "%15.6e %15.6e %15.6e \n", t, static_cast<double>(line.re),
          static_cast<double>(line.im));
    print(response, "%15.6e %15.6e  \n", t, static_cast<double>(line.re));
  }
}

}  // namespace vibfrf
