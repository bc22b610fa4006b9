// The cross-spectral stages. Channel a is the force input (channel 1), channel b the
// acceleration response turned displacement (channel 2).
#pragma once

namespace vibfrf {

// Reads "fft_1.out" and "fft_2.out" line by line and writes the two-sided spectra Sab, Sba, Saa
// and Sbb; `limit` counts their lines.
void cross_s();

// Keeps the lower `limit2` = limit/2 lines of each two-sided spectrum, doubled: the one-sided
// spectra Gab, Gba, Gaa and Gbb.
void cross_g();

// H1 = Gab/Gaa and H2 = Gbb/Gba, their magnitude and phase, and the coherence, written line by
// line; H1 loaded into `work` with its conjugate mirrored into the upper half.
void h_functions();

}  // namespace vibfrf
