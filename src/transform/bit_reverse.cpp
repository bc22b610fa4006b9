#include "transform/bit_reverse.hpp"

#include <algorithm>
#include <cstdint>

#include "textio/console.hpp"
#include "textio/print.hpp"
#include "transform/transform.hpp"

namespace vibfrf {

void bit_reverse_stages(std::span<Complex> data, std::span<Complex> scratch, unsigned nstages) {
  const std::size_t m = data.size();
  for (std::size_t half = m / 2, stage = 1; stage <= nstages; ++stage, half /= 2) {
    std::copy(data.begin(), data.end(), scratch.begin());
    for (std::size_t block = 0; block < m; block += 2 * half) {
      for (std::size_t k = 0; k < half; ++k) {
        data[block + k] = scratch[block + 2 * k];
        data[block + half + k] = scratch[block + 2 * k + 1];
      }
    }
  }
}

void reorder() {
  const std::uint32_t nm1 = wa.nstages;
  const std::uint32_t md2 = wa.m / 2;
  textio::print(textio::console_out(), "\n nm1= %ld  md2=%ld  ns=%ld ", nm1, md2, wa.ns);
  bit_reverse_stages(std::span(wa.work).first(wa.m), wa.aux, nm1);
}

}  // namespace vibfrf
