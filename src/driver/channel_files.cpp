// The channel file set-up: the prompt, the typed name, and the four opens of one channel.
#include <cstring>
#include <string>

#include "driver/driver.hpp"
#include "textio/console.hpp"
#include "textio/print.hpp"
#include "textio/scan.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf {
namespace {

using textio::console_out;
using textio::print;

// Why the typed name cannot serve as the channel's input, or nullptr when slot 1 now holds it.
// The name is checked against the program's own output files before any of them is opened, so
// a run never empties the file it is about to read.
const char* open_input(const std::string& typed) {
  set_slot_name(1, typed);
  if (typed.size() >= name_capacity) return "the name is longer than 259 characters";
  if (typed.find('\0') != std::string::npos) return "the name contains a NUL character";
  if (!try_open_slot(1, typed.c_str(), "rb")) return std::strerror(wa.streams[1].error());
  const auto input = wa.streams[1].identity();
  const char* problem = nullptr;
  if (!input || !input->regular) {
    problem = "not a regular file";
  } else {
    for (const char* output : output_file_names) {
      if (textio::identity_of(output) == input) {
        problem = "it is one of the files this program writes";
        break;
      }
    }
  }
  if (problem != nullptr) wa.streams[1].close();
  return problem;
}

}  // namespace

void open_channel_files() {
  const bool force = wa.channel == 1;
  const char* const spectrum_files[3] = {force ? "fft_1.out" : "fft_2.out",
                                         force ? "fft_half_1.out" : "fft_half_2.out",
                                         force ? "fft_full_1.out" : "fft_full_2.out"};
  std::string typed;
  for (;;) {
    if (force) {
      print(console_out(), "\n\n Please enter the force input file: \n");
    } else {
      print(console_out(), "\n\n Please enter the acceleration response file: \n");
    }
    if (textio::read_word(textio::console_in(), typed) != textio::ScanStatus::assigned)
      throw InputEnded{};
    const char* problem = open_input(typed);
    if (problem == nullptr) break;
    // Buffer 1 holds the name as far as it fits, which is what the failure line shows.
    print(console_out(), " Failed to open file: %s \n", slot_name(1));
    print(console_out(), "   (%s) \n", problem);
  }
  for (std::size_t k = 2; k <= 4; ++k) open_slot(k, spectrum_files[k - 2], "w");
  for (std::size_t k = 1; k <= 4; ++k) print(console_out(), " File: %s opened. \n", slot_name(k));
}

}  // namespace vibfrf
