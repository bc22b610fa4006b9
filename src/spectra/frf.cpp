// The frequency response functions H1 and H2, their magnitude and phase, and the coherence.
#include <cmath>

#include "spectra/products.hpp"
#include "spectra/record.hpp"
#include "spectra/spectra.hpp"
#include "textio/console.hpp"
#include "textio/print.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf {
namespace {

using textio::console_out;
using textio::print;

void write_magnitude_and_phase(textio::Stream& out, double freq, Line h, double degrees) {
  print(out, "%12.5g %12.4g %12.4g \n", freq, std::sqrt(power(h)), std::atan2(h.im, h.re) * degrees);
}

// H1 of line i into entry i of `work`, and its conjugate into the mirror entry limit − 1 − i.
void load_work(std::int32_t i, Line h1) {
  const Complex entry{static_cast<float>(h1.re), static_cast<float>(h1.im)};
  wa.work[static_cast<std::size_t>(i)] = entry;
  const std::int64_t mirror = static_cast<std::int64_t>(wa.limit) - 1 - i;
  if (mirror >= 0 && mirror < static_cast<std::int64_t>(work_capacity))
    wa.work[static_cast<std::size_t>(mirror)] = {entry.re, -entry.im};
}

}  // namespace

void h_functions() {
  print(console_out(), "\n h_functions ");
  print(console_out(), "\n limit2 = %ld ", wa.limit2);
  textio::Stream& gab_in = open_slot(3, "cross_spectrum_gab.out", "rb");
  textio::Stream& gba_in = open_slot(4, "cross_spectrum_gba.out", "rb");
  textio::Stream& gaa_in = open_slot(5, "cross_spectrum_gaa.out", "rb");
  textio::Stream& gbb_in = open_slot(6, "cross_spectrum_gbb.out", "rb");
  textio::Stream& h1_out = open_slot(7, "H1.out", "w");
  textio::Stream& h2_out = open_slot(8, "H2.out", "w");
  textio::Stream& coherence_out = open_slot(9, "coherence.out", "w");
  textio::Stream& h1_mp_out = open_slot(10, "H1_mp.out", "w");
  textio::Stream& h2_mp_out = open_slot(11, "H2_mp.out", "w");
  const double degrees = 180.0 / wa.pi;
  Line gab, gba, gaa, gbb;
  for (std::int32_t i = 0; i < wa.limit2 && static_cast<std::size_t>(i) < work_capacity; ++i) {
    if (!read_line(gab_in, wa.freq, gab) || !read_line(gba_in, wa.freq, gba) ||
        !read_line(gaa_in, wa.freq, gaa) || !read_line(gbb_in, wa.freq, gbb))
      break;
    Line h1 = divide(gab, gaa);
    Line h2 = divide(gbb, gba);
    const bool zeroed = wa.freq < wa.highpass || i == 0;
    if (zeroed) h1 = h2 = {};
    print(h1_out, "%12.5g %12.4g %12.4g \n", wa.freq, h1.re, h1.im);
    print(h2_out, "%12.5g %12.4g %12.4g \n", wa.freq, h2.re, h2.im);
    load_work(i, h1);
    write_magnitude_and_phase(h1_mp_out, wa.freq, h1, degrees);
    write_magnitude_and_phase(h2_mp_out, wa.freq, h2, degrees);
    double coherence = 0.0;
    if (!zeroed) {
      const Line ratio = divide(h1, h2);  // its real part is the coherence, its imaginary part q
      coherence = ratio.re;
      if (std::fabs(ratio.im) > 0.0001) print(console_out(), "\n Coherence error \n");
    }
    print(coherence_out, "%12.5g %12.4g \n", wa.freq, coherence);
  }
  for (std::size_t k = 3; k <= 11; ++k) close_slot(k);
}

}  // namespace vibfrf
