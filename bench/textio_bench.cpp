// Throughput of the text layer for the conversions the program prints and the formats it scans.
// Every benchmark reports numbers (or items) per second.
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "textio/print.hpp"
#include "textio/scan.hpp"

namespace vibfrf::textio {
namespace {

constexpr std::size_t value_count = 1 << 14;

// Spectrum-like values: floats of any sign over twelve decades, widened to double.
std::vector<double> widened_floats() {
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> decade(-9, 3);
  std::vector<double> v(value_count);
  for (double& x : v) {
    const float f = static_cast<float>(std::pow(10.0, decade(rng)));
    x = (rng() & 1) ? -f : f;
  }
  return v;
}

// Doubles as the program computes them: frequencies i*df, times i*dt, and general quotients.
std::vector<double> general_doubles() {
  std::mt19937_64 rng(2);
  std::uniform_real_distribution<double> unit(-1, 1);
  std::vector<double> v(value_count);
  const double df = 1000.0 / 4096.0 / 3.0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    switch (i % 3) {
      case 0:
        v[i] = static_cast<double>(i) * df;
        break;
      case 1:
        v[i] = static_cast<double>(i) * 0.000123;
        break;
      default:
        v[i] = unit(rng) / 7.0 * std::pow(10.0, static_cast<int>(rng() % 12) - 6);
    }
  }
  return v;
}

// Magnitudes, phases in degrees and coherences, as the %g tables hold them.
std::vector<double> table_values() {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<double> v(value_count);
  for (std::size_t i = 0; i < v.size(); ++i) {
    switch (i % 3) {
      case 0:
        v[i] = std::pow(10.0, unit(rng) * 8 - 4);
        break;
      case 1:
        v[i] = unit(rng) * 360.0 - 180.0;
        break;
      default:
        v[i] = unit(rng);
    }
  }
  return v;
}

// Prints every value with one conversion into a memory stream whose text is dropped as it goes.
template <class Print>
void print_all(benchmark::State& state, const std::vector<double>& values, Print print_one) {
  std::string sink;
  Stream out;
  out.open_memory_output(sink);
  for (auto _ : state) {
    for (double v : values) print_one(out, v);
    out.flush();
    benchmark::DoNotOptimize(sink.data());
    sink.clear();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
}

#define VIBFRF_PRINT_BENCH(name, values, fmt)                                  \
  void name(benchmark::State& state) {                                         \
    static const std::vector<double> data = values();                          \
    print_all(state, data, [](Stream& out, double v) { print(out, fmt, v); }); \
  }                                                                            \
  BENCHMARK(name)

VIBFRF_PRINT_BENCH(Print_e15_6_widened_floats, widened_floats, "%15.6e");
VIBFRF_PRINT_BENCH(Print_e15_6_doubles, general_doubles, "%15.6e");
VIBFRF_PRINT_BENCH(Print_g12_4, table_values, "%12.4g");
VIBFRF_PRINT_BENCH(Print_g12_5, table_values, "%12.5g");
VIBFRF_PRINT_BENCH(Print_g10_5, general_doubles, "%10.5g");
VIBFRF_PRINT_BENCH(Print_e12_6, general_doubles, "%12.6e");
VIBFRF_PRINT_BENCH(Print_g12_6, general_doubles, "%12.6g");
VIBFRF_PRINT_BENCH(Print_g9_4, table_values, "%9.4g");
VIBFRF_PRINT_BENCH(Print_g14_4, table_values, "%14.4g");

// Scans the whole text again and again; `per_pass` items are read from it each time.
template <class ScanOne>
void scan_all(benchmark::State& state, const std::string& text, std::size_t per_pass,
              ScanOne scan_one) {
  Stream in;
  for (auto _ : state) {
    in.open_memory_input(text);
    std::size_t items = 0;
    while (scan_one(in, items)) {
    }
    if (items != per_pass) state.SkipWithError("the text was not read whole");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * per_pass));
}

// The program's own spectrum tables: three %15.6e numbers a line.
void Scan_three_doubles(benchmark::State& state) {
  static const std::string text = [] {
    std::string s;
    Stream out;
    out.open_memory_output(s);
    const std::vector<double> a = general_doubles(), b = widened_floats();
    for (std::size_t i = 0; i + 1 < value_count; i += 2)
      print(out, "%15.6e %15.6e %15.6e \n", a[i], b[i], b[i + 1]);
    out.close();
    return s;
  }();
  scan_all(state, text, value_count / 2 * 3, [](Stream& in, std::size_t& items) {
    double a, b, c;
    const int n = scan(in, "%lf %lf %lf", &a, &b, &c);
    benchmark::DoNotOptimize(a + b + c);
    if (n > 0) items += static_cast<std::size_t>(n);
    return n == 3;
  });
}
BENCHMARK(Scan_three_doubles);

// A user's time history: short fixed-point times and amplitudes, and exponent notation.
void Scan_time_history(benchmark::State& state) {
  static const std::string text = [] {
    std::string s;
    std::mt19937_64 rng(4);
    std::uniform_real_distribution<double> unit(-1, 1);
    char line[64];
    for (std::size_t i = 0; i < value_count / 2; ++i) {
      if (i % 2 == 0) {
        std::snprintf(line, sizeof line, "%g %.4f\n", static_cast<double>(i) * 0.001, unit(rng));
      } else {
        std::snprintf(line, sizeof line, "%.6e %.1f\n", static_cast<double>(i) * 0.001,
                      unit(rng) * 10);
      }
      s += line;
    }
    return s;
  }();
  scan_all(state, text, value_count, [](Stream& in, std::size_t& items) {
    double t;
    float x;
    const int n = scan(in, " %lf %f ", &t, &x);
    benchmark::DoNotOptimize(t + x);
    if (n > 0) items += static_cast<std::size_t>(n);
    return n == 2;
  });
}
BENCHMARK(Scan_time_history);

void Scan_whole_numbers(benchmark::State& state) {
  static const std::string text = [] {
    std::string s;
    for (std::size_t i = 0; i < value_count; ++i) s += std::to_string(i * 37 % 100000) + "\n";
    return s;
  }();
  scan_all(state, text, value_count, [](Stream& in, std::size_t& items) {
    int v;
    const int n = scan(in, "%d", &v);
    benchmark::DoNotOptimize(v);
    if (n > 0) items += static_cast<std::size_t>(n);
    return n == 1;
  });
}
BENCHMARK(Scan_whole_numbers);

void Scan_words(benchmark::State& state) {
  static const std::string text = [] {
    std::string s;
    for (std::size_t i = 0; i < value_count; ++i) s += "channel_" + std::to_string(i) + ".txt ";
    return s;
  }();
  scan_all(state, text, value_count, [](Stream& in, std::size_t& items) {
    static std::string word;
    const int n = scan(in, "%s", &word);
    benchmark::DoNotOptimize(word.data());
    if (n > 0) items += static_cast<std::size_t>(n);
    return n == 1;
  });
}
BENCHMARK(Scan_words);

}  // namespace
}  // namespace vibfrf::textio

BENCHMARK_MAIN();
