// The analysis driver: the dialogue, the order of the stages, the summary and the key press.
#include "driver/driver.hpp"

#include "input/input.hpp"
#include "spectra/spectra.hpp"
#include "transform/transform.hpp"

#include "textio/console.hpp"
#include "textio/print.hpp"
#include "textio/scan.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf {
namespace {

using textio::console_in;
using textio::console_out;
using textio::print;

void print_banner() {
  textio::Stream& out = console_out();
  print(out, "\n   ");
  print(out,
        "\n This program calculates the cross spectrum of a force time history \n and an "
        "acceleration time history. ");
  print(out, "\n\n The program also calculates:   \n");
  print(out, "\n    H1 and H2 frequency response functions (FRFs) ");
  print(out, "\n    coherence function ");
  print(out, "\n    h1 impulse response function \n\n");
  print(out, "\n The input files must have the same sample rate and record length. \n");
  print(out, "\n Each input file must be time(sec) and amplitude(units) ");
  print(out, "\n The format is free, but no header lines allowed.\n");
  print(out, "\n");
}

// Answers are not validated: one that cannot be read leaves its field as it was and its text
// for the next read.
void ask_questions() {
  textio::Stream& out = console_out();
  print(out, "\n Mean removal? 1=yes 2=no \n");
  textio::scan(console_in(), "%d", &wa.mean_choice);
  print(out, "\n");
  print(out, "\n Window? 1=rectangular 2=Hanning \n");
  textio::scan(console_in(), "%d", &wa.window_choice);
  print(out, "\n");
  print(out, "\n Enter frequency domain highpass frequency. \n");
  textio::scan(console_in(), "%lf", &wa.highpass);
}

void run_channel() {
  clear(wa.work);
  clear(wa.aux);
  open_channel_files();
  read_time_history();
  if (wa.mean_choice == 1) mean_removal();
  if (wa.window_choice == 2) hanning_window();
  reorder();
  clear(wa.aux);
  print(console_out(), "\n call function ctfourier ");
  ctfourier();
  close_slot(2);
  close_slot(3);
  close_slot(4);
}

void run_cross_spectra() {
  clear(wa.work);
  cross_s();
  cross_g();
  h_functions();
}

// The impulse-response files stay open to the end of the run; they are flushed before the
// summary so that a file that could not be written is told instead of a success.
void run_impulse_response() {
  open_slot(2, "complex_impulse_h1.out", "w");
  open_slot(3, "impulse_h1.out", "w");
  open_slot(4, "temp2.out", "w");
  clear(wa.aux);
  reorder();
  inverse_fourier();
  for (std::size_t k = 2; k <= 4; ++k) flush_slot(k);
}

void print_summary() {
  textio::Stream& out = console_out();
  print(out, "\n\n The format for the following output files is: ");
  print(out, "\n  freq (Hz)  real amp(units)  imaginary amp(units)\n");
  print(out, "\n\n Two-sided complex output data written to: \n");
  for (const char* name : {"cross_spectrum_sab.out", "cross_spectrum_sba.out",
                           "cross_spectrum_saa.out", "cross_spectrum_sbb.out"})
    print(out, "\n %s ", name);
  print(out, "\n\n One-sided complex output data written to: \n");
  for (const char* name : {"cross_spectrum_gab.out", "cross_spectrum_gba.out",
                           "cross_spectrum_gaa.out", "cross_spectrum_gbb.out"})
    print(out, "\n %s ", name);
  print(out, "\n");
  print(out, "\n H1.out ");
  print(out, "\n H2.out ");
  print(out, "\n\n The format for the following output files is: ");
  print(out, "\n  freq (Hz)  magnitude   phase(deg)\n");
  print(out, "\n H1_mp.out ");
  print(out, "\n H2_mp.out ");
  print(out, "\n\n Additional output files: \n");
  print(out, "\n coherence.out \n");
  print(out, "\n impulse_h1.out  - displacement vs. time \n");
  print(out, "\n\n Please call the output files into your own plotting program.");
  print(out, "\n Press any key to exit.");
}

// Runs the stages of a run in order and turns the ways it can stop into the exit status, after
// telling them: 1 when standard input ended where a file name was expected, 2 when an output file
// could not be opened or written or a file could not be read; 0 when every stage went through.
int run_stages(void (*stages)()) {
  try {
    stages();
  } catch (const InputEnded&) {
    close_all_slots();
    print(console_out(), "\n\n Standard input ended where a file name was expected; stopping. \n");
    console_out().flush();
    return 1;
  } catch (const textio::FileError& e) {
    close_all_slots();
    if (e.action() == textio::FileError::Action::open) {
      print(console_out(), "\n\n Cannot open file: %s (%s) \n", e.name(), e.reason());
    } else if (e.action() == textio::FileError::Action::write) {
      print(console_out(), "\n\n Cannot write file: %s (%s) \n", e.name(), e.reason());
    } else {
      print(console_out(), "\n\n Cannot read file: %s (%s) \n", e.name(), e.reason());
    }
    print(console_out(), " Stopping: the results are incomplete. \n");
    console_out().flush();
    return 2;
  }
  return 0;
}

void for_each_channel(void (*channel_stage)()) {
  for (wa.channel = 1; wa.channel <= 2; ++wa.channel) channel_stage();
}

void banner_and_questions() {
  print_banner();
  ask_questions();
}

void whole_run() {
  banner_and_questions();
  for_each_channel(run_channel);
  run_cross_spectra();
  run_impulse_response();
  print_summary();
}

// The channel's files as the run sets them up, closed again at once: nothing is read or written.
void set_up_and_close_channel() {
  open_channel_files();
  for (std::size_t k = 1; k <= 4; ++k) close_slot(k);
}

void dialogue_and_file_setup() {
  banner_and_questions();
  for_each_channel(set_up_and_close_channel);
}

}  // namespace

int run_analysis() {
  const int status = run_stages(whole_run);
  if (status != 0) return status;
  textio::wait_for_key();
  for (std::size_t k = 2; k <= 4; ++k) wa.streams[k].close();  // already flushed and checked
  return 0;
}

int run_dialogue_and_file_setup() { return run_stages(dialogue_and_file_setup); }

}  // namespace vibfrf
