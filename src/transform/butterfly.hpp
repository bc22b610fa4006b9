#pragma once

#include <span>

#include "workarea/workarea.hpp"

namespace vibfrf {

// The sign of the exponent: forward is e^(-2πj·nk/m), inverse e^(+2πj·nk/m).
enum class Sign { forward, inverse };

// Called at the start of every stage from the second on, with the stage and the stage count.
using StageObserver = void (*)(unsigned stage, unsigned nstages);

// The radix-2 transform of data (2^nstages entries, in bit-reversed order) in place, leaving the
// unscaled sums in natural order. Each stage s >= 2 rebuilds its twiddle table in `twiddles`
// (2^(s-1) entries: cos and ∓sin of k·two_pi/2^s, computed in double, stored as floats). The
// butterflies run in single precision, operation by operation, never fused.
void butterfly_passes(std::span<Complex> data, std::span<Complex> twiddles, unsigned nstages,
                      double two_pi, Sign sign, StageObserver on_stage);

}  // namespace vibfrf
