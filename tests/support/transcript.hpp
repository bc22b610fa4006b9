// The fixed texts of the program's console dialogue, for tests that check a transcript.
#pragma once

#include <string>

namespace vibfrf::testing {

inline const std::string banner_and_questions =
    "\n   "
    "\n This program calculates the cross spectrum of a force time history \n and an "
    "acceleration time history. "
    "\n\n The program also calculates:   \n"
    "\n    H1 and H2 frequency response functions (FRFs) "
    "\n    coherence function "
    "\n    h1 impulse response function \n\n"
    "\n The input files must have the same sample rate and record length. \n"
    "\n Each input file must be time(sec) and amplitude(units) "
    "\n The format is free, but no header lines allowed.\n"
    "\n"
    "\n Mean removal? 1=yes 2=no \n"
    "\n"
    "\n Window? 1=rectangular 2=Hanning \n"
    "\n"
    "\n Enter frequency domain highpass frequency. \n";

inline const std::string force_prompt = "\n\n Please enter the force input file: \n";
inline const std::string accel_prompt = "\n\n Please enter the acceleration response file: \n";

// The four open reports of a channel whose input file is `input`.
inline std::string opened(const std::string& input, int channel) {
  const std::string c = std::to_string(channel);
  return " File: " + input + " opened. \n File: fft_" + c + ".out opened. \n File: fft_half_" + c +
         ".out opened. \n File: fft_full_" + c + ".out opened. \n";
}

inline const std::string summary =
    "\n\n The format for the following output files is: "
    "\n  freq (Hz)  real amp(units)  imaginary amp(units)\n"
    "\n\n Two-sided complex output data written to: \n"
    "\n cross_spectrum_sab.out "
    "\n cross_spectrum_sba.out "
    "\n cross_spectrum_saa.out "
    "\n cross_spectrum_sbb.out "
    "\n\n One-sided complex output data written to: \n"
    "\n cross_spectrum_gab.out "
    "\n cross_spectrum_gba.out "
    "\n cross_spectrum_gaa.out "
    "\n cross_spectrum_gbb.out \n"
    "\n H1.out "
    "\n H2.out "
    "\n\n The format for the following output files is: "
    "\n  freq (Hz)  magnitude   phase(deg)\n"
    "\n H1_mp.out "
    "\n H2_mp.out "
    "\n\n Additional output files: \n"
    "\n coherence.out \n"
    "\n impulse_h1.out  - displacement vs. time \n"
    "\n\n Please call the output files into your own plotting program."
    "\n Press any key to exit.";

}  // namespace vibfrf::testing
