#include "transform/bit_reverse.hpp"

#include <bit>
#include <cstdint>
#include <utility>

#include "textio/console.hpp"
#include "textio/print.hpp"
#include "transform/transform.hpp"

namespace vibfrf {

void bit_reverse_order(std::span<Complex> data, unsigned nstages) {
  const std::size_t top = (std::size_t{1} << nstages) - 1;  // all nstages bits
  // `reversed` follows the reversal of k: adding one to k flips its trailing ones and the zero
  // above them, the same count of bits from the top of the reversal.
  std::size_t reversed = 0;
  for (std::size_t k = 0; k + 1 < data.size(); ++k) {
    if (k < reversed) std::swap(data[k], data[reversed]);
    reversed ^= top ^ (top >> (std::countr_zero(k + 1) + 1));
  }
}

void reorder() {
  const std::uint32_t nm1 = wa.nstages;
  const std::uint32_t md2 = wa.m / 2;
  textio::print(textio::console_out(), "\n nm1= %ld  md2=%ld  ns=%ld ", nm1, md2, wa.ns);
  bit_reverse_order(std::span(wa.work).first(wa.m), nm1);
}

}  // namespace vibfrf
