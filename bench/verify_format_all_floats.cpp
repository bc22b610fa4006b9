// Checks the fast %15.6e, %12.4g and %12.5g conversions against the reference conversion for
// every one of the 2^32 float bit patterns, widened to double, as the program prints spectrum
// values. Prints its progress, the first mismatches it finds and their count; exits non-zero when
// there is any. Takes about twelve minutes on two cores (695 s when last run, nice'd on a busy
// machine).
//
//   verify_format_all_floats [threads] [first_pattern last_pattern]   (patterns in hex)
#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "textio/format.hpp"
#include "textio/format_fast.hpp"

namespace {

using vibfrf::textio::max_number_chars;

struct Conversion {
  const char* name;
  char style;
  int width;
  int precision;
};

constexpr Conversion conversions[] = {
    {"%15.6e", 'e', 15, 6}, {"%12.4g", 'g', 12, 4}, {"%12.5g", 'g', 12, 5}};
constexpr int conversion_count = 3;

struct Tally {
  std::atomic<std::uint64_t> checked[conversion_count] = {};
  std::atomic<std::uint64_t> declined[conversion_count] = {};
  std::atomic<std::uint64_t> mismatches{0};
};

std::mutex report_mutex;

void report_mismatch(const Conversion& c, std::uint32_t bits, const char* fast,
                     const char* fast_end, const char* ref, const char* ref_end) {
  std::lock_guard lock(report_mutex);
  std::printf("MISMATCH %s of float 0x%08x (%a): fast \"%.*s\", reference \"%.*s\"\n", c.name,
              static_cast<unsigned>(bits), static_cast<double>(std::bit_cast<float>(bits)),
              static_cast<int>(fast_end - fast), fast, static_cast<int>(ref_end - ref), ref);
}

// Checks the patterns [first, last] and adds to the tally.
void check_range(std::uint64_t first, std::uint64_t last, Tally& tally) {
  std::uint64_t checked[conversion_count] = {};
  std::uint64_t declined[conversion_count] = {};
  for (std::uint64_t pattern = first; pattern <= last; ++pattern) {
    const std::uint32_t bits = static_cast<std::uint32_t>(pattern);
    const double v = static_cast<double>(std::bit_cast<float>(bits));
    for (int i = 0; i < conversion_count; ++i) {
      const Conversion& c = conversions[i];
      char fast[max_number_chars];
      char ref[max_number_chars];
      char* fast_end = c.style == 'e'
                           ? vibfrf::textio::try_put_e_fast(fast, v, c.width, c.precision)
                           : vibfrf::textio::try_put_g_fast(fast, v, c.width, c.precision);
      if (fast_end == nullptr) {
        ++declined[i];  // put_e and put_g then print the reference text itself
        continue;
      }
      char* ref_end = c.style == 'e'
                          ? vibfrf::textio::put_e_reference(ref, v, c.width, c.precision)
                          : vibfrf::textio::put_g_reference(ref, v, c.width, c.precision);
      ++checked[i];
      if (fast_end - fast != ref_end - ref ||
          std::memcmp(fast, ref, static_cast<std::size_t>(ref_end - ref)) != 0) {
        if (tally.mismatches.fetch_add(1) < 20)
          report_mismatch(c, bits, fast, fast_end, ref, ref_end);
      }
    }
  }
  for (int i = 0; i < conversion_count; ++i) {
    tally.checked[i] += checked[i];
    tally.declined[i] += declined[i];
  }
}

}  // namespace

int main(int argc, char** argv) {
  unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
  std::uint64_t first = 0;
  std::uint64_t last = 0xffffffff;
  if (argc >= 2) threads = static_cast<unsigned>(std::max(1, std::atoi(argv[1])));
  if (argc >= 4) {
    first = std::strtoull(argv[2], nullptr, 16);
    last = std::min<std::uint64_t>(std::strtoull(argv[3], nullptr, 16), 0xffffffff);
  }
  constexpr std::uint64_t chunk = std::uint64_t{1} << 22;  // 1024 chunks over all patterns
  const std::uint64_t total = last - first + 1;
  const std::uint64_t chunks = (total + chunk - 1) / chunk;
  std::printf("checking float patterns 0x%08llx to 0x%08llx on %u threads\n",
              static_cast<unsigned long long>(first), static_cast<unsigned long long>(last),
              threads);
  std::fflush(stdout);

  Tally tally;
  std::atomic<std::uint64_t> next_chunk{0};
  std::atomic<std::uint64_t> done_chunks{0};
  const auto start = std::chrono::steady_clock::now();
  auto work = [&] {
    for (std::uint64_t n = next_chunk++; n < chunks; n = next_chunk++) {
      const std::uint64_t from = first + n * chunk;
      check_range(from, std::min(last, from + chunk - 1), tally);
      const std::uint64_t done = ++done_chunks;
      if (done % 32 == 0 || done == chunks) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::lock_guard lock(report_mutex);
        std::printf("%6.2f%% done, %.0f s, %llu mismatches\n", 100.0 * done / chunks, seconds,
                    static_cast<unsigned long long>(tally.mismatches.load()));
        std::fflush(stdout);
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work);
  for (std::thread& t : pool) t.join();

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (int i = 0; i < conversion_count; ++i) {
    std::printf("%s: %llu values compared, %llu left to the reference path\n", conversions[i].name,
                static_cast<unsigned long long>(tally.checked[i].load()),
                static_cast<unsigned long long>(tally.declined[i].load()));
  }
  std::printf("%llu float patterns, %llu mismatches, %.0f s\n",
              static_cast<unsigned long long>(total),
              static_cast<unsigned long long>(tally.mismatches.load()), seconds);
  return tally.mismatches.load() == 0 ? 0 : 1;
}
