#include "input/conditioning.hpp"

#include <cmath>

#include "input/input.hpp"
#include "textio/console.hpp"
#include "textio/print.hpp"

namespace vibfrf {

void remove_mean(std::span<Complex> record, double mean) {
  for (Complex& x : record) x.re = static_cast<float>(static_cast<double>(x.re) - mean);
}

double hann_weight(std::uint32_t k, std::uint32_t ns, double pi) {
  if (ns == 0) return 0.0;  // no sample was loaded: nothing to weight
  const double scale = std::sqrt(8.0 / 3.0);
  const double s = std::sin((static_cast<double>(k) * pi) / static_cast<double>(ns));
  return (s * s) * scale;
}

void apply_hann_window(std::span<Complex> record, std::uint32_t ns, double pi) {
  for (std::uint32_t k = 0; k < record.size(); ++k) {
    Complex& x = record[k];
    x.re = static_cast<float>(hann_weight(k, ns, pi) * static_cast<double>(x.re));
  }
}

void mean_removal() {
  textio::print(textio::console_out(), "\n mean removal");
  remove_mean(std::span(wa.work).first(wa.m), wa.ave);
}

void hanning_window() {
  textio::print(textio::console_out(), "\n Hanning window ");
  apply_hann_window(std::span(wa.work).first(wa.m), wa.ns, wa.pi);
}

}  // namespace vibfrf
