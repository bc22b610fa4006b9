// The work area: the one body of state that every stage shares. Two complex arrays of fixed
// capacity, the scalars that carry values from one stage to a later one, and twelve stream slots,
// each paired with the buffer that holds the name of the file open in it. All of it has static
// storage and a fixed size; nothing here is allocated during a run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "textio/stream.hpp"

namespace vibfrf {

// One spectral line or sample: real part first, both single precision.
struct Complex {
  float re = 0.0f;
  float im = 0.0f;
};

inline constexpr std::size_t work_capacity = 262144;
// The transforms' twiddle table, which never needs more than half the longest transform.
inline constexpr std::size_t aux_capacity = 131072;
inline constexpr std::size_t slot_count = 12;
inline constexpr std::size_t name_capacity = 260;  // 259 characters and the terminator

struct WorkArea {
  std::array<Complex, work_capacity> work;
  std::array<Complex, aux_capacity> aux;

  std::uint32_t channel;      // 1 force input, 2 acceleration response
  std::int32_t mean_choice;   // 1 removes the mean
  std::int32_t window_choice; // 2 applies the Hann window
  double highpass;            // Hz; lines below it are cleared
  double pi;
  double two_pi;
  std::uint32_t m;            // transform length, a power of two
  std::uint32_t nstages;      // log2 of m
  std::uint32_t ns;           // samples loaded for the transform
  double ave;                 // mean of the record
  double dt;                  // time step, s
  double df;                  // frequency resolution, Hz
  std::int32_t limit;         // lines of the two-sided spectra
  std::int32_t limit2;        // lines of the one-sided spectra
  double freq;                // frequency of the spectrum line just read
  double freq2;               // the same, for channel b's line in the two-sided stage

  std::array<textio::Stream, slot_count> streams;
  std::array<std::array<char, name_capacity>, slot_count> names;
};

// The program's one work area. Every entry, scalar, slot and name starts zero or empty.
extern WorkArea wa;

// The start-up constants: pi from atan2(0, -1), then two_pi = pi + pi.
void start_up();
// Closes every slot without reporting and puts the whole work area back to its state at load
// (all zero, pi and two_pi included). For tests and fuzzing.
void reset_work_area();

// Sets both parts of every entry to zero.
void clear(std::span<Complex> entries);

// The one way a slot is opened: the name is copied into buffer k, and the stream is opened from
// that buffer with the C mode "rb" or "w". open_slot throws textio::FileError when the file
// cannot be opened; try_open_slot returns false instead, leaving the slot with no stream.
textio::Stream& open_slot(std::size_t k, const char* name, const char* mode);
bool try_open_slot(std::size_t k, const char* name, const char* mode);
// Closes slot k. Throws textio::FileError when what was written to it did not reach the file, or
// when reading it failed: a failing disk must not pass for the end of a file.
void close_slot(std::size_t k);
// Writes out what slot k holds. Throws textio::FileError when it did not reach the file.
void flush_slot(std::size_t k);
// Closes every open slot, ignoring errors: the way out after a failure has been reported.
void close_all_slots() noexcept;
// Copies a name into buffer k, as much of it as fits (259 characters).
void set_slot_name(std::size_t k, std::string_view name);
// The text of name buffer k.
const char* slot_name(std::size_t k);

// Every file the program writes, in the current directory.
inline constexpr std::array<const char*, 22> output_file_names = {
    "fft_1.out",              "fft_half_1.out",         "fft_full_1.out",
    "fft_2.out",              "fft_half_2.out",         "fft_full_2.out",
    "cross_spectrum_sab.out", "cross_spectrum_sba.out", "cross_spectrum_saa.out",
    "cross_spectrum_sbb.out", "cross_spectrum_gab.out", "cross_spectrum_gba.out",
    "cross_spectrum_gaa.out", "cross_spectrum_gbb.out", "H1.out",
    "H2.out",                 "H1_mp.out",              "H2_mp.out",
    "coherence.out",          "complex_impulse_h1.out", "impulse_h1.out",
    "temp2.out"};

}  // namespace vibfrf
