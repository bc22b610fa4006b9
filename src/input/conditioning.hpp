// Mean removal and the Hann window, on the real parts of a record. Each new value is computed in
// double precision and stored back rounded to single precision; imaginary parts are not touched.
#pragma once

#include <cstdint>
#include <span>

#include "workarea/workarea.hpp"

namespace vibfrf {

void remove_mean(std::span<Complex> record, double mean);

// sin²(k·pi/ns) times sqrt(8/3): the periodic Hann window over ns points, scaled so that the
// window keeps the record's mean square. Zero when ns is 0.
double hann_weight(std::uint32_t k, std::uint32_t ns, double pi);

void apply_hann_window(std::span<Complex> record, std::uint32_t ns, double pi);

}  // namespace vibfrf
