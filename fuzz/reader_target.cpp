// The time-history reader, the real stage read_time_history(), on any file contents: from memory
// in slot 1 for inputs of even length, from a file for odd ones (the passes then rewind a file).
// The records are also counted and loaded by the C library's fscanf, with the reader's rules:
// the two must agree on the count, the transform length, the samples loaded, the times and every
// amplitude stored; nothing is written past the records, and the input is closed.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "check.hpp"
#include "input/input.hpp"
#include "input/statistics.hpp"
#include "textio/console.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf::fuzz {
namespace {

// What every entry the reader does not load keeps.
constexpr Complex untouched{-12345.5f, 6789.25f};
constexpr double kept = 7.0;  // ave, dt and df as a channel before left them

// The records as the C library reads them, with the reader's two passes.
struct Expected {
  std::uint32_t records = 1;  // the first record counts even when it could not be read
  std::uint32_t m = 1;
  std::uint32_t loaded = 0;
  bool first_read = false;
  double t_first = 0.0;
  double t_last = 0.0;
  std::vector<Complex> entries;
};

std::uint32_t largest_power_of_two_in(std::uint32_t n) {
  return std::uint32_t{1} << (std::bit_width(n) - 1);
}

Expected read_with_fscanf(const std::string& text, std::size_t window) {
  Expected e;
  e.entries.assign(window, untouched);
  std::string bytes = text.empty() ? std::string(" ") : text;
  FILE* f = ::fmemopen(bytes.data(), bytes.size(), "r");
  FUZZ_CHECK(f != nullptr, "fmemopen failed");
  if (text.empty()) std::fgetc(f);
  double t = 0.0;
  const int first = std::fscanf(f, " %lf %f ", &e.t_first, &e.entries[0].re);
  e.first_read = first >= 1;
  while (e.records < max_records && std::fscanf(f, " %lf %f ", &t, &e.entries[e.records].re) >= 1)
    ++e.records;
  e.m = largest_power_of_two_in(e.records);
  std::fseek(f, text.empty() ? 1 : 0, SEEK_SET);
  while (e.loaded < e.m && std::fscanf(f, " %lf %f ", &e.t_last, &e.entries[e.loaded].re) >= 1)
    ++e.loaded;
  std::fclose(f);
  return e;
}

void prepare_work_area(std::size_t window) {
  close_all_slots();
  for (std::size_t k = 0; k < window; ++k) wa.work[k] = untouched;
  wa.m = wa.nstages = wa.ns = 12345;
  wa.ave = wa.dt = wa.df = kept;
  start_up();
}

void clean_up(std::size_t window) {
  for (std::size_t k = 0; k < window; ++k) wa.work[k] = {};
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

void check_against(const Expected& e, const std::string& shown) {
  const std::string counts = "records " + std::to_string(e.records) + " loaded " +
                             std::to_string(e.loaded) + "\n" + shown;
  FUZZ_CHECK(!wa.streams[1].is_open(), counts);
  FUZZ_CHECK(wa.m == e.m && wa.m == (std::uint32_t{1} << wa.nstages), counts);
  FUZZ_CHECK(wa.m <= work_capacity && wa.ns <= wa.m && wa.ns == e.loaded, counts);
  FUZZ_CHECK(contains(shown, "\n\n  " + std::to_string(wa.m) + " samples will be used for FFT\n"),
             counts);
  FUZZ_CHECK(contains(shown, "\n fscanf error ") == !e.first_read, counts);
  for (std::size_t k = 0; k < e.entries.size(); ++k) {
    const bool same = std::bit_cast<std::uint64_t>(wa.work[k]) ==
                      std::bit_cast<std::uint64_t>(e.entries[k]);
    FUZZ_CHECK(same, "entry " + std::to_string(k) + "\n" + counts);
  }
  if (e.loaded < 2) {
    FUZZ_CHECK(contains(shown, "\n  dt error ") && wa.ave == kept && wa.dt == kept && wa.df == kept,
               counts);
    return;
  }
  FUZZ_CHECK(contains(shown, "\n samples= " + std::to_string(e.records) + " "), counts);
  const double dt = (e.t_last - e.t_first) / static_cast<double>(e.loaded - 1);
  FUZZ_CHECK(std::bit_cast<std::uint64_t>(wa.dt) == std::bit_cast<std::uint64_t>(dt) ||
                 (dt != dt && wa.dt != wa.dt),
             counts);
}

}  // namespace
}  // namespace vibfrf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vibfrf;
  using namespace vibfrf::fuzz;
  static const ScratchDir scratch;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Every record takes at least one byte, and one entry more is checked for staying untouched.
  const std::size_t window = std::min<std::size_t>(work_capacity, size + 2);
  const Expected expected = read_with_fscanf(text, window);

  prepare_work_area(window);
  MemoryConsole console("");
  if (size % 2 == 1) {
    const std::string path = (scratch.path() / "record.txt").string();
    write_bytes(path, text);
    FUZZ_CHECK(try_open_slot(1, path.c_str(), "rb"), path);
  } else {
    wa.streams[1].open_memory_input(text);
  }
  read_time_history();
  check_against(expected, console.shown());
  clean_up(window);
  return 0;
}
