// What the transforms do to each line after the butterflies.
#pragma once

#include <cstdint>

#include "workarea/workarea.hpp"

namespace vibfrf {

struct SpectrumSettings {
  std::uint32_t m;
  double df;             // Hz between lines
  double two_pi;
  double highpass;       // Hz: lines below it are cleared
  bool to_displacement;  // divide by (2πf)²: the acceleration channel
};

// Line i of the forward transform's raw sum, made a spectrum line: divided by m; for the
// acceleration channel above 0.00001 Hz divided by (2πf)², which is positive, so each part keeps
// its sign; cleared below the high-pass frequency; the DC line (i = 0) cleared. Stored values are
// single precision, computed in double.
Complex spectrum_line(Complex raw, std::uint32_t i, const SpectrumSettings& settings);

// Line i of the inverse transform's sum as written: line 0 is cleared, and the lines past 0.95·m
// fall off linearly to 20/m of their value, 20·(m − i)/m, so that the response's wrap-around at
// the end of the record does not show as a spike.
Complex impulse_line(Complex raw, std::uint32_t i, std::uint32_t m);

}  // namespace vibfrf
