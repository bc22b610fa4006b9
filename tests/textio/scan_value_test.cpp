// The scanner's values where its quick routes end: the scaled route (digits times a power of ten
// beyond the exact ones), numbers a hair from a rounding midpoint, and the texts the program's
// own tables hold, each against the C library.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "scan_harness.hpp"
#include "textio/print.hpp"
#include "textio/scan_value.hpp"

namespace vibfrf::textio {
namespace {

using namespace scan_harness;

// Whenever the scaled route gives a value, it is strtod's (strtof's), for digits of every length
// and powers of ten beyond the table's both ends; and for normal results from the table's powers
// it declines rarely: where a rounding tie cannot be told from a value a hair off it (an exact
// tie too, like 9568869.5 as a float, once the power of ten is not exact).
TEST(ScaledValue, AgreesWithTheCLibraryWheneverItAnswers) {
  std::mt19937_64 rng(11);
  long answered[2] = {}, declined_inside[2] = {}, inside[2] = {};
  for (int i = 0; i < 400000; ++i) {
    const int length = 1 + static_cast<int>(rng() % 19);
    std::uint64_t m = 1 + rng() % 9;
    for (int d = 1; d < length; ++d) m = m * 10 + rng() % 10;
    const int e10 = static_cast<int>(rng() % 700) - 360;
    char text[48];
    std::snprintf(text, sizeof text, "%llue%d", static_cast<unsigned long long>(m), e10);
    double d = 0;
    float f = 0;
    const bool got_double = detail::scaled_value(m, e10, d);
    const bool got_float = detail::scaled_value(m, e10, f);
    const double want_double = std::strtod(text, nullptr);
    const float want_float = std::strtof(text, nullptr);
    if (got_double) {
      ++answered[0];
      ASSERT_EQ(std::bit_cast<std::uint64_t>(d), std::bit_cast<std::uint64_t>(want_double)) << text;
    }
    if (got_float) {
      ++answered[1];
      ASSERT_EQ(std::bit_cast<std::uint32_t>(f), std::bit_cast<std::uint32_t>(want_float)) << text;
    }
    if (e10 < detail::min_decimal_power) continue;
    // Normal results: the route should answer nearly all of them.
    if (std::fabs(want_double) >= 0x1p-1021 && std::fabs(want_double) <= 0x1p1022) {
      ++inside[0];
      declined_inside[0] += got_double ? 0 : 1;
    }
    if (std::fabs(want_float) >= 0x1p-125f && std::fabs(want_float) <= 0x1p126f) {
      ++inside[1];
      declined_inside[1] += got_float ? 0 : 1;
    }
  }
  EXPECT_GT(inside[0], 100000);
  EXPECT_GT(inside[1], 10000);
  EXPECT_LT(declined_inside[0], inside[0] / 100);
  EXPECT_LT(declined_inside[1], inside[1] / 1000);
  EXPECT_GT(answered[0], 0);
}

// Midpoints between neighbouring doubles (and floats), written to 17, 19 and 25 significant
// digits: a hair above or below the midpoint, or on it, which rounding to even must settle.
TEST(ScanAgainstCLibrary, NumbersNextToRoundingMidpoints) {
  std::mt19937_64 rng(13);
  for (int round = 0; round < 400; ++round) {
    std::string text;
    for (int i = 0; i < 40; ++i) {
      char number[80];
      const int digits[] = {16, 18, 24};
      const int precision = digits[rng() % 3];
      if (i % 2 == 0) {
        // A double of any normal exponent, and the midpoint to the next one, exact in long double.
        const std::uint64_t bits = (rng() % 0x7FE0000000000000ULL) + 0x0010000000000000ULL;
        const double low = std::bit_cast<double>(bits);
        const long double middle = (static_cast<long double>(low) +
                                    static_cast<long double>(std::nextafter(low, INFINITY))) / 2;
        std::snprintf(number, sizeof number, "%.*Le", precision, middle);
      } else {
        // A float's midpoint, exact in double, read by the float conversion of the time record.
        const std::uint32_t bits = static_cast<std::uint32_t>(rng() % 0x7F000000U) + 0x00800000U;
        const float low = std::bit_cast<float>(bits);
        const double middle = (static_cast<double>(low) +
                               static_cast<double>(std::nextafter(low, INFINITY))) / 2;
        std::snprintf(number, sizeof number, "%.*e", precision, middle);
      }
      text += number;
      text += i % 2 ? "\n" : " ";
    }
    for (Form form : {Form::one_double, Form::time_record}) {
      const auto want = c_library(form, text);
      const auto got = ours(form, text);
      ASSERT_EQ(show(got), show(want)) << "form " << static_cast<int>(form) << " text \"" << text << "\"";
    }
  }
}

// The program's own tables, as print writes them: every conversion, values over the whole range of
// doubles and of floats widened, read back by the stages' formats.
TEST(ScanAgainstCLibrary, TheTablesTexts) {
  std::mt19937_64 rng(17);
  const auto value = [&rng]() {
    switch (rng() % 4) {
      case 0:
        return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(rng())));
      case 1:
        return std::bit_cast<double>(rng());
      case 2:
        return std::ldexp(static_cast<double>(rng() % 1000000), static_cast<int>(rng() % 200) - 120);
      default:
        return (rng() & 1 ? -1.0 : 1.0) * std::pow(10.0, static_cast<int>(rng() % 80) - 40);
    }
  };
  for (int round = 0; round < 300; ++round) {
    std::string text;
    Stream out;
    out.open_memory_output(text);
    for (int line = 0; line < 30; ++line) {
      switch (line % 3) {
        case 0:
          print(out, "%15.6e %15.6e %15.6e \n", value(), value(), value());
          break;
        case 1:
          print(out, "%12.4g %12.4g %12.4g \n", value(), value(), value());
          break;
        default:
          print(out, "%12.5g %12.4g %12.4g \n", value(), value(), value());
      }
    }
    out.close();
    for (Form form : {Form::three_doubles, Form::time_record}) {
      const auto want = c_library(form, text);
      const auto got = ours(form, text);
      ASSERT_EQ(show(got), show(want)) << "form " << static_cast<int>(form) << " text \"" << text << "\"";
    }
  }
}

}  // namespace
}  // namespace vibfrf::textio
