#include "textio/format.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace vibfrf::textio {
namespace {

struct Conversion {
  char style;  // 'e' or 'g'
  int width;
  int precision;
};

std::string put(Conversion c, double v) {
  char out[max_number_chars];
  char* end = c.style == 'e' ? put_e(out, v, c.width, c.precision)
                             : put_g(out, v, c.width, c.precision);
  return std::string(out, end);
}

std::string describe(Conversion c) {
  return "%" + std::to_string(c.width) + "." + std::to_string(c.precision) + c.style;
}

struct Row {
  Conversion conversion;
  double value;
  const char* expected;
};

TEST(Format, MatchesLiteralTexts) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Row rows[] = {
      {{'e', 15, 6}, 1.0, "  1.000000e+000"},
      {{'e', 15, 6}, 0.0, "  0.000000e+000"},
      {{'e', 15, 6}, -0.0, " -0.000000e+000"},
      {{'e', 15, 6}, -1.5e-5, " -1.500000e-005"},
      {{'e', 15, 6}, 123456.75, "  1.234568e+005"},  // a tie, to even
      {{'e', 15, 6}, 123456.25, "  1.234562e+005"},  // a tie, to even
      {{'e', 15, 6}, 9.9999996, "  1.000000e+001"},  // the carry makes a new digit
      {{'e', 15, 6}, 1e-300, "  1.000000e-300"},
      {{'e', 15, 6}, 1e200, "  1.000000e+200"},
      {{'e', 15, 6}, 4.9406564584124654e-324, "  4.940656e-324"},  // least subnormal
      {{'e', 15, 6}, 1.1754942106924411e-38, "  1.175494e-038"},   // a float's least normal
      {{'e', 15, 6}, inf, "            inf"},
      {{'e', 15, 6}, -inf, "           -inf"},
      {{'e', 15, 6}, nan, "            nan"},
      {{'e', 15, 6}, -nan, "           -nan"},
      {{'e', 12, 6}, 1000.0, "1.000000e+003"},  // wider than its field: never cut
      {{'e', 12, 6}, -2.5e-10, "-2.500000e-010"},
      {{'g', 12, 4}, 0.0001234, "   0.0001234"},
      {{'g', 12, 4}, 1.234e-5, "  1.234e-005"},
      {{'g', 12, 4}, 9.99995, "          10"},      // rounds up into a new digit
      {{'g', 12, 4}, 99995.0, "      1e+005"},      // ... and into exponent notation
      {{'g', 12, 4}, 9999.4, "        9999"},       // the largest fixed value
      {{'g', 12, 4}, 12345.0, "  1.234e+004"},      // a tie, to even
      {{'g', 12, 4}, 0.00009999, "  9.999e-005"},   // just below the fixed range
      {{'g', 12, 4}, 0.0000999951, "      0.0001"},  // rounds up into it
      {{'g', 12, 4}, 0.0, "           0"},
      {{'g', 12, 4}, -0.0, "          -0"},
      {{'g', 12, 4}, 1.5, "         1.5"},
      {{'g', 12, 4}, -180.0, "        -180"},
      {{'g', 12, 4}, 1e-320, "      1e-320"},  // a subnormal that rounds to one digit
      {{'g', 12, 4}, nan, "         nan"},
      {{'g', 12, 5}, 12345.6, "       12346"},
      {{'g', 12, 5}, 123456.0, " 1.2346e+005"},
      {{'g', 12, 5}, 1234.56, "      1234.6"},
      {{'g', 10, 5}, 0.001, "     0.001"},
      {{'g', 10, 5}, 1.0 / 3.0, "   0.33333"},
      {{'g', 12, 6}, 1e-5, "      1e-005"},
      {{'g', 12, 6}, 999999.5, "      1e+006"},
      {{'g', 9, 4}, -1.234e-100, "-1.234e-100"},  // wider than its field
      {{'g', 9, 4}, 2.0, "        2"},
      {{'g', 14, 4}, inf, "           inf"},
      {{'g', 14, 4}, 0.9765625, "        0.9766"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(describe(row.conversion) + " of " + std::to_string(row.value));
    EXPECT_EQ(put(row.conversion, row.value), row.expected);
  }
}

TEST(Format, WholeNumbers) {
  char out[max_number_chars];
  EXPECT_EQ(std::string(out, put_long(out, 262144, 0)), "262144");
  EXPECT_EQ(std::string(out, put_long(out, -1, 0)), "-1");
  EXPECT_EQ(std::string(out, put_long(out, 0, 0)), "0");
  EXPECT_EQ(std::string(out, put_long(out, 42, 5)), "   42");
}

// What C's printf writes, with the exponent widened to three digits and then padded to width.
std::string reference(Conversion c, double v) {
  char text[128];
  std::snprintf(text, sizeof text, c.style == 'e' ? "%.*e" : "%.*g", c.precision, v);
  std::string s = text;
  const std::size_t e = s.find('e');
  if (e != std::string::npos) {
    const std::string digits = s.substr(e + 2);
    s = s.substr(0, e + 2) + std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
  }
  const int pad = c.width - static_cast<int>(s.size());
  return pad > 0 ? std::string(static_cast<std::size_t>(pad), ' ') + s : s;
}

// Doubles of every kind: any bit pattern, and values near the fixed/exponent switch of %g with
// few significant digits, where rounding ties and carries live.
double random_double(std::mt19937_64& rng) {
  switch (rng() % 3) {
    case 0:
      return std::bit_cast<double>(rng());
    case 1: {
      const double magnitude = std::pow(10.0, std::uniform_real_distribution<double>(-9, 9)(rng));
      return (rng() & 1) ? -magnitude : magnitude;
    }
    default: {
      // A short decimal: digits, then scaled, then nudged by a few units in the last place.
      const double digits = static_cast<double>(rng() % 100000000);
      const double v = digits * std::pow(10.0, static_cast<int>(rng() % 24) - 16);
      const long nudge = static_cast<long>(rng() % 5) - 2;
      return std::bit_cast<double>(std::bit_cast<std::int64_t>(v) + nudge);
    }
  }
}

void PrintTo(const Conversion& c, std::ostream* os) { *os << describe(c); }

class FormatAgainstPrintf : public ::testing::TestWithParam<Conversion> {};

TEST_P(FormatAgainstPrintf, MillionFloatsAndMillionDoubles) {
  const Conversion c = GetParam();
  std::mt19937_64 rng(20261211 + static_cast<unsigned>(c.width * 100 + c.precision));
  constexpr int count = 1'000'000;
  int failures = 0;
  for (int i = 0; i < 2 * count && failures < 10; ++i) {
    const double v = i < count ? static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(rng())))
                               : random_double(rng);
    const std::string want = reference(c, v);
    const std::string got = put(c, v);
    if (got != want) {
      ++failures;
      ADD_FAILURE() << describe(c) << " of " << std::hexfloat << v << ": got \"" << got
                    << "\", printf gives \"" << want << "\"";
    }
  }
}

// Every conversion the program prints.
INSTANTIATE_TEST_SUITE_P(ProgramConversions, FormatAgainstPrintf,
                         ::testing::Values(Conversion{'e', 15, 6}, Conversion{'e', 12, 6},
                                           Conversion{'g', 12, 4}, Conversion{'g', 12, 5},
                                           Conversion{'g', 10, 5}, Conversion{'g', 12, 6},
                                           Conversion{'g', 9, 4}, Conversion{'g', 14, 4}),
                         [](const auto& info) {
                           return std::string(1, info.param.style) +
                                  std::to_string(info.param.width) + "_" +
                                  std::to_string(info.param.precision);
                         });

}  // namespace
}  // namespace vibfrf::textio
