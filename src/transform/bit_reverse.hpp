#pragma once

#include <span>

#include "workarea/workarea.hpp"

namespace vibfrf {

// Puts data (2^nstages entries) into bit-reversed index order: the entry at index k moves to the
// index whose nstages bits are those of k reversed. This is the order that nstages even/odd splits
// give (each block's even entries to its first half, its odd entries to its second, in order),
// reached in one pass of swaps.
void bit_reverse_order(std::span<Complex> data, unsigned nstages);

}  // namespace vibfrf
