#pragma once

#include "spectra/products.hpp"
#include "textio/scan.hpp"

namespace vibfrf {

// One spectrum record: frequency, real part, imaginary part, in free format. A record cut short
// keeps the values it did not supply from the record before. False when the read yielded no
// number (the end of the file, or text that is no number).
inline bool read_line(textio::Stream& in, double& freq, Line& line) {
  return textio::scan(in, "%lf %lf %lf", &freq, &line.re, &line.im) >= 1;
}

}  // namespace vibfrf
