// The two-sided and one-sided cross spectra, from the channels' spectrum files.
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

// The two channels' lines lie on the same frequency, to 1 % of channel a's (skipped at or below
// 0.01 Hz, so the zero-frequency line always passes).
bool in_synch(double freq_a, double freq_b) {
  return !(freq_a > 0.01 && std::fabs(freq_a - freq_b) / freq_a > 0.01);
}

}  // namespace

void cross_s() {
  print(console_out(), "\n\n cross_s \n");
  wa.limit = 0;
  textio::Stream& fft_a = open_slot(1, "fft_1.out", "rb");
  textio::Stream& fft_b = open_slot(2, "fft_2.out", "rb");
  textio::Stream& sab = open_slot(3, "cross_spectrum_sab.out", "w");
  textio::Stream& sba = open_slot(4, "cross_spectrum_sba.out", "w");
  textio::Stream& saa = open_slot(5, "cross_spectrum_saa.out", "w");
  textio::Stream& sbb = open_slot(6, "cross_spectrum_sbb.out", "w");
  Line a, b;
  while (read_line(fft_a, wa.freq, a) && read_line(fft_b, wa.freq2, b)) {
    if (!in_synch(wa.freq, wa.freq2)) {
      print(console_out(), "\n\n Frequency synch error. \n\n");
      break;
    }
    const Line ab = cross(a, b);
    const Line ba = cross(b, a);
    print(sab, "%12.4g %12.4g %12.4g \n", wa.freq, ab.re, ab.im);
    print(sba, "%12.4g %12.4g %12.4g \n", wa.freq, ba.re, ba.im);
    print(saa, "%12.4g %12.4g %12.4g \n", wa.freq, power(a), 0.0);
    print(sbb, "%12.4g %12.4g %12.4g \n", wa.freq, power(b), 0.0);
    ++wa.limit;
  }
  for (std::size_t k = 1; k <= 6; ++k) close_slot(k);
  print(console_out(), "\n limit = %ld ", wa.limit);
}

void cross_g() {
  print(console_out(), "\n cross_g \n");
  wa.limit2 = static_cast<std::int32_t>(static_cast<double>(wa.limit) * 0.5);
  print(console_out(), "\n limit2 = %ld ", wa.limit2);
  struct Pass {
    std::size_t input_slot;
    const char* input;
    const char* output;
  };
  const Pass passes[4] = {{3, "cross_spectrum_sab.out", "cross_spectrum_gab.out"},
                          {4, "cross_spectrum_sba.out", "cross_spectrum_gba.out"},
                          {5, "cross_spectrum_saa.out", "cross_spectrum_gaa.out"},
                          {6, "cross_spectrum_sbb.out", "cross_spectrum_gbb.out"}};
  for (const Pass& pass : passes) open_slot(pass.input_slot, pass.input, "rb");
  for (const Pass& pass : passes) {
    textio::Stream& in = wa.streams[pass.input_slot];
    textio::Stream& out = open_slot(7, pass.output, "w");
    const bool last_pass = pass.input_slot == 6;
    Line line;
    for (std::int32_t k = 0; k < wa.limit2; ++k) {
      if (!read_line(in, wa.freq, line)) {
        // The first three passes write limit2 lines whatever their input holds; a line with
        // no record behind it is written as zero at the last frequency read.
        if (last_pass) break;
        line = {};
      }
      print(out, "%12.5g %12.4g %12.4g \n", wa.freq, 2.0 * line.re, 2.0 * line.im);
    }
    close_slot(pass.input_slot);
    close_slot(7);
  }
}

}  // namespace vibfrf
