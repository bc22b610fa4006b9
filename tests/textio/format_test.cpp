#include "textio/format.hpp"

#include "textio/decimal_power.hpp"
#include "textio/format_fast.hpp"

#include <gtest/gtest.h>

#include <algorithm>
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

// The kinds of value the comparison with printf draws from.
enum class Family {
  widened_float,      // any float bit pattern, widened: the program's spectrum values
  any_double,         // any double bit pattern: huge and tiny exponents, subnormals, inf, nan
  short_decimal,      // a few decimal digits scaled by a power of ten, nudged by a few ulps
  near_power_of_ten,  // 10^k and the tie below it, nudged: carries into a new digit; half of
                      // these lie so near a tie that far from 10^0 the fast path declines
  exact_tie,          // exactly halfway between two P-digit results: ties to even
  subnormal,          // below the least normal double
};

int digits_of(Conversion c) {
  return c.style == 'e' ? c.precision + 1 : std::max(c.precision, 1);
}

double nudge(double v, std::mt19937_64& rng) {
  const std::int64_t ulps = static_cast<std::int64_t>(rng() % 7) - 3;
  return std::bit_cast<double>(std::bit_cast<std::int64_t>(v) + ulps);
}

// A double that lies exactly halfway between two `digits`-digit decimals, D + 1/2 times 10^t:
// for t >= 0 the odd integer (2D + 1) * 5^t times 2^(t-1); for t < 0 an odd c over 2^(1-t) with
// c * 5^-t = 2D + 1 of the right length. Zero when the draw has no such value.
double exact_tie(int digits, std::mt19937_64& rng) {
  const int t = static_cast<int>(rng() % 20) - 8;
  const std::uint64_t low = static_cast<std::uint64_t>(std::pow(10.0, digits - 1));
  std::uint64_t five_t = 1;
  for (int i = 0; i < std::abs(t); ++i) five_t *= 5;
  if (t >= 0) {
    // Now and then the largest D, whose rounding up carries into a new digit.
    const std::uint64_t d = rng() % 8 == 0 ? 10 * low - 1 : low + rng() % (9 * low);
    const std::uint64_t odd = (2 * d + 1) * five_t;
    if (odd >= (std::uint64_t{1} << 53)) return 0;
    return std::ldexp(static_cast<double>(odd), t - 1);
  }
  const std::uint64_t first = (2 * low + five_t - 1) / five_t;  // c * 5^-t >= 2 * 10^(digits-1)
  const std::uint64_t last = (20 * low - 1) / five_t;           // c * 5^-t < 2 * 10^digits
  if (first > last) return 0;
  const std::uint64_t c = (first + rng() % (last - first + 1)) | 1;
  if (c > last) return 0;
  return std::ldexp(static_cast<double>(c), t - 1);
}

double draw(Family family, int digits, std::mt19937_64& rng) {
  const double sign = (rng() & 1) ? -1.0 : 1.0;
  switch (family) {
    case Family::widened_float:
      return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(rng())));
    case Family::any_double:
      return std::bit_cast<double>(rng());
    case Family::short_decimal: {
      const double v = static_cast<double>(rng() % 100000000) *
                       std::pow(10.0, static_cast<int>(rng() % 40) - 24);
      return sign * nudge(v, rng);
    }
    case Family::near_power_of_ten: {
      const int k = static_cast<int>(rng() % 631) - 322;
      const double power = std::pow(10.0, k);
      const double v = (rng() & 1) ? power : power * (1.0 - 0.5 * std::pow(10.0, -digits));
      return sign * nudge(v, rng);
    }
    case Family::exact_tie:
      return sign * exact_tie(digits, rng);
    case Family::subnormal:
      return sign * std::bit_cast<double>(rng() >> (12 + rng() % 52));
  }
  return 0;
}

struct FamilyRow {
  Family family;
  int count;
  // The largest share of finite values the fast path may leave to the reference conversion.
  double most_declined;
};

void PrintTo(const Conversion& c, std::ostream* os) { *os << describe(c); }

class FormatAgainstPrintf : public ::testing::TestWithParam<Conversion> {};

// put_e and put_g give printf's text for every kind of value. The fast path, where the precision
// allows it, decides nearly every finite value and every exact tie (put_e and put_g print what it
// decides, so its text is checked by the same comparison).
TEST_P(FormatAgainstPrintf, EveryKindOfValue) {
  const Conversion c = GetParam();
  const bool fast = digits_of(c) <= max_fast_digits;
  const FamilyRow rows[] = {
      {Family::widened_float, 200'000, 0.0001}, {Family::any_double, 200'000, 0.0001},
      {Family::short_decimal, 100'000, 0.0001}, {Family::near_power_of_ten, 20'000, 0.5},
      {Family::exact_tie, 20'000, 0.0},         {Family::subnormal, 20'000, 0.0001},
  };
  std::mt19937_64 rng(20261211 + static_cast<unsigned>(c.width * 100 + c.precision));
  for (const FamilyRow& row : rows) {
    SCOPED_TRACE("family " + std::to_string(static_cast<int>(row.family)));
    int failures = 0;
    int declined = 0;
    int ties = 0;
    for (int i = 0; i < row.count && failures < 10; ++i) {
      const double v = draw(row.family, digits_of(c), rng);
      const std::string want = reference(c, v);
      const std::string got = put(c, v);
      if (got != want) {
        ++failures;
        ADD_FAILURE() << describe(c) << " of " << std::hexfloat << v << ": got \"" << got
                      << "\", printf gives \"" << want << "\"";
      }
      char out[max_number_chars];
      const bool decided =
          (c.style == 'e' ? try_put_e_fast(out, v, c.width, c.precision)
                          : try_put_g_fast(out, v, c.width, c.precision)) != nullptr;
      if (std::isfinite(v) && !decided) ++declined;
      if (row.family == Family::exact_tie && v != 0) ++ties;
    }
    if (fast) {
      EXPECT_LE(declined, row.most_declined * row.count);
    }
    if (row.family == Family::exact_tie) {
      EXPECT_GT(ties, row.count / 4);
    }
  }
}

// Every conversion the program prints, and the fast path's limits: one digit, and the most
// digits it handles and one more.
INSTANTIATE_TEST_SUITE_P(
    ProgramConversions, FormatAgainstPrintf,
    ::testing::Values(Conversion{'e', 15, 6}, Conversion{'e', 12, 6}, Conversion{'g', 12, 4},
                      Conversion{'g', 12, 5}, Conversion{'g', 10, 5}, Conversion{'g', 12, 6},
                      Conversion{'g', 9, 4}, Conversion{'g', 14, 4}, Conversion{'e', 0, 0},
                      Conversion{'g', 3, 0}, Conversion{'g', 0, 1}, Conversion{'e', 20, 8},
                      Conversion{'g', 20, 9}, Conversion{'e', 0, 9}, Conversion{'g', 0, 10}),
    [](const auto& info) {
      return std::string(1, info.param.style) + std::to_string(info.param.width) + "_" +
             std::to_string(info.param.precision);
    });

// Each entry of the table of powers is the one before it times ten, truncated: the leading 64
// bits of 10^(j+1) lie within ten units of 10 times those of 10^j, and never below.
TEST(DecimalPowers, EachIsTenTimesThePrevious) {
  __extension__ typedef unsigned __int128 uint128;
  for (int j = detail::min_decimal_power; j < detail::max_decimal_power; ++j) {
    const detail::DecimalPower& a = detail::decimal_power(j);
    const detail::DecimalPower& b = detail::decimal_power(j + 1);
    ASSERT_GE(a.mantissa, std::uint64_t{1} << 63) << j;
    const int shift = b.binary_exponent - a.binary_exponent;  // 3 or 4
    ASSERT_TRUE(shift == 3 || shift == 4) << j;
    const uint128 tenfold = (static_cast<uint128>(a.mantissa) * 10) >> shift;
    EXPECT_GE(b.mantissa, tenfold) << j;
    EXPECT_LE(b.mantissa, tenfold + 10) << j;
  }
  // Anchors: 1 and 10^27 exactly, 1/10 truncated.
  EXPECT_EQ(detail::decimal_power(0).mantissa, std::uint64_t{1} << 63);
  EXPECT_EQ(detail::decimal_power(0).binary_exponent, -63);
  EXPECT_EQ(detail::decimal_power(27).mantissa, 0xcecb8f27f4200f3aULL);
  EXPECT_EQ(detail::decimal_power(-1).mantissa, 0xccccccccccccccccULL);
  EXPECT_EQ(detail::decimal_power(-1).binary_exponent, -67);
}

}  // namespace
}  // namespace vibfrf::textio
