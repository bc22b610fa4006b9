#pragma once

#include <span>

#include "workarea/workarea.hpp"

namespace vibfrf {

// Puts data (2^nstages entries) into bit-reversed index order by nstages even/odd splits: at each
// stage every block is copied to `scratch` and its even entries fill the block's first half, its
// odd entries the second half, each keeping their order. scratch needs data.size() entries.
void bit_reverse_stages(std::span<Complex> data, std::span<Complex> scratch, unsigned nstages);

}  // namespace vibfrf
