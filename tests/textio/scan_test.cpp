#include "textio/scan.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scan_harness.hpp"
#include "stream_text.hpp"

namespace vibfrf::textio {
namespace {

using namespace scan_harness;

std::string rest(Stream& in) { return vibfrf::testing::unread_text(in); }

struct DoubleRow {
  const char* input;
  int result;
  double value;  // expected when result is 1
  const char* left;
};

TEST(Scan, OneDouble) {
  const double inf = INFINITY;
  const DoubleRow rows[] = {
      {"  1.5e3 x", 1, 1500.0, " x"},
      {"+.5", 1, 0.5, ""},
      {"-7", 1, -7.0, ""},
      {"1e", 1, 1.0, ""},        // the 'e' is taken and the number is what precedes it
      {"1e+x", 1, 1.0, "x"},
      {"1.2.3", 1, 1.2, ".3"},
      {"0x1.8p1 ", 1, 3.0, " "},
      {"0x.g", 1, 0.0, "g"},     // only the "0" converts
      {"INF", 1, inf, ""},
      {"-Infinity;", 1, -inf, ";"},
      {"infx", 1, inf, "x"},
      {"1e400", 1, inf, ""},     // beyond the range: infinity, as strtod gives
      {"-1e-400", 1, -0.0, ""},  // below the least subnormal: zero
      {"4e-320", 1, 4e-320, ""},
      {"abc", 0, 0, "abc"},
      {"e5", 0, 0, "e5"},
      {"-x", 0, 0, "x"},         // the sign is gone
      {"infix", 0, 0, ""},       // scanf reads the mismatching letter too
      {"0xg", 0, 0, "g"},
      {".", 0, 0, ""},
      {"", scan_eof, 0, ""},
      {" \r\n\t", scan_eof, 0, ""},
  };
  for (const DoubleRow& row : rows) {
    SCOPED_TRACE(std::string("input \"") + row.input + "\"");
    Stream in;
    in.open_memory_input(row.input);
    double v = -99.0;
    EXPECT_EQ(scan(in, "%lf", &v), row.result);
    if (row.result == 1) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(row.value)) << v;
    } else {
      EXPECT_EQ(v, -99.0);
    }
    EXPECT_EQ(rest(in), row.left);
  }
}

TEST(Scan, NanKeepsItsSign) {
  Stream in;
  in.open_memory_input("nan -NaN");
  double a = 0, b = 0;
  EXPECT_EQ(scan(in, "%lf %lf", &a, &b), 2);
  EXPECT_TRUE(std::isnan(a) && !std::signbit(a));
  EXPECT_TRUE(std::isnan(b) && std::signbit(b));
}

TEST(Scan, FloatIsRoundedOnceFromTheText) {
  // Halfway between two floats, plus a little: through double it would round to the even float.
  Stream in;
  in.open_memory_input("1.000000059604644775390625000001 1e39 1e-50");
  float a = 0, b = 0, c = 1;
  EXPECT_EQ(scan(in, " %f %f %f ", &a, &b, &c), 3);
  EXPECT_EQ(a, std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(b, INFINITY);
  EXPECT_EQ(c, 0.0f);
}

TEST(Scan, RecordOfTimeAndAmplitude) {
  Stream in;
  in.open_memory_input("0.0 1.5\r\n0.001\t-2.5\n\n 0.002 3 0.003 x");
  double t = 0;
  float x = 0;
  EXPECT_EQ(scan(in, " %lf %f ", &t, &x), 2);
  EXPECT_EQ(x, 1.5f);
  EXPECT_EQ(scan(in, " %lf %f ", &t, &x), 2);
  EXPECT_EQ(x, -2.5f);
  EXPECT_EQ(scan(in, " %lf %f ", &t, &x), 2);
  EXPECT_EQ(t, 0.002);
  EXPECT_EQ(scan(in, " %lf %f ", &t, &x), 1);  // a time with no amplitude
  EXPECT_EQ(t, 0.003);
  EXPECT_EQ(x, 3.0f);
  EXPECT_EQ(scan(in, " %lf %f ", &t, &x), 0);
  EXPECT_EQ(rest(in), "x");
}

TEST(Scan, WholeNumbersAndWords) {
  Stream in;
  in.open_memory_input("1.5 abc 4294967297 99999999999999999999 -x  name.txt\tnext");
  int a = 0, b = 0, c = 0;
  EXPECT_EQ(scan(in, "%d", &a), 1);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(scan(in, "%d", &b), 0);  // ".5" is no whole number and stays
  double half = 0;
  EXPECT_EQ(scan(in, "%lf", &half), 1);
  EXPECT_EQ(half, 0.5);
  EXPECT_EQ(scan(in, "%d", &b), 0);
  std::string word;
  EXPECT_EQ(scan(in, "%s", &word), 1);
  EXPECT_EQ(word, "abc");
  EXPECT_EQ(scan(in, "%d", &b), 1);
  EXPECT_EQ(b, 1);  // the long 4294967297 stored in an int keeps its low bits
  EXPECT_EQ(scan(in, "%d", &c), 1);
  EXPECT_EQ(c, -1);  // strtol saturates at LONG_MAX, whose low bits are all ones
  EXPECT_EQ(scan(in, "%d", &c), 0);
  EXPECT_EQ(scan(in, "%s", &word), 1);
  EXPECT_EQ(word, "x");
  EXPECT_EQ(scan(in, "%s", &word), 1);
  EXPECT_EQ(word, "name.txt");
  EXPECT_EQ(scan(in, "%s", &word), 1);
  EXPECT_EQ(word, "next");
  EXPECT_EQ(scan(in, "%s", &word), scan_eof);
}

TEST(Scan, ItemLongerThanTheBufferThroughAFile) {
  // A number and a word that straddle the stream's buffer boundary are read whole.
  char path[] = "/tmp/vibfrf-scan-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  std::string text(Stream::buffer_size - 3, ' ');
  text += "12345.5 ";
  text += std::string(Stream::buffer_size + 10, 'w');
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(fd);
  Stream in;
  ASSERT_TRUE(in.open(path, "rb"));
  double v = 0;
  std::string word;
  EXPECT_EQ(scan(in, "%lf %s", &v, &word), 2);
  EXPECT_EQ(v, 12345.5);
  EXPECT_EQ(word.size(), Stream::buffer_size + 10);
  ::unlink(path);
}

// Text made of the pieces that numbers and their failures are made of.
std::string random_text(std::mt19937_64& rng) {
  static const std::vector<std::string> pieces = {
      "0", "1", "7", "9", "12", "3.25", ".", "-", "+", "e", "E", "e-", "e+", "x", "X", "0x",
      "p", "P", "a", "f", "inf", "INF", "inity", "nan", "NaN", "n", "i", " ", "  ", "\n", "\r\n",
      "\t", "1e400", "1e-400", "4e-320", "3.4028236e38", "0x1p-150", "g", "(", ",", "\v", "\f",
      "1.000000059604644775390625", "99999999999999999999", "2147483648", "-2147483649",
      // Where the one-step conversion stops: long mantissas, leading zeros, 2^53 + 1 and 2^24 + 1,
      // and exponents at and beyond 10^22 (double) and 10^10 (float).
      "12345678901234567890123", "00000000000000000000", "9007199254740993", "16777217", "e22",
      "e23", "e-22", "e-23", "e10", "e-11", ".000000000000000000000001", "1.953125e+003",
      "-2.500000e-001"};
  std::string text;
  const int n = static_cast<int>(rng() % 12);
  for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
  return text;
}

TEST(ScanAgainstCLibrary, RandomTextsForEveryFormat) {
  std::mt19937_64 rng(42);
  for (Form form : {Form::time_record, Form::three_doubles, Form::whole_number, Form::one_double,
                    Form::word}) {
    int failures = 0;
    for (int i = 0; i < 60000 && failures < 10; ++i) {
      const std::string text = random_text(rng);
      const auto want = c_library(form, text);
      const auto got = ours(form, text);
      if (got != want) {
        ++failures;
        ADD_FAILURE() << "form " << static_cast<int>(form) << " text \"" << text << "\"\n  ours "
                      << show(got) << "\n  C    " << show(want);
      }
    }
  }
}

// Numbers at the edges of the one-step conversion, each read as a double and as a float.
TEST(ScanAgainstCLibrary, NumbersAtTheLimitsOfTheExactConversion) {
  const char* const texts[] = {
      "9007199254740992",  // 2^53: exact
      "9007199254740993",  // 2^53 + 1: not, to even
      "9007199254740993e-22",
      "9007199254740993e22",
      "1234567890123456789",      // 19 digits
      "12345678901234567891",     // 20: one dropped
      "12345678901234567890000",  // dropped zeros
      "1.0000000000000000000000000001",
      "0.000000000000000000000000000000000000000000001953125",
      "00000000000000000000000000000000012.5e-2",
      "16777216 16777217 16777219",  // 2^24 and beyond, for floats
      "1e22 1e23 1e-22 1e-23 4.5e22 4.5e-22",
      "1e10 1e11 1e-10 1e-11 3.3e10 3.3e-10 3.3e11 7.7e-12 1.234567e13",
      "8.589973e9 8.589974e9",  // near a float tie
      "1.5e999999999999 1e-99999999999 0e999999 -0.0e-5",
      "7.038531e-26 2.4703282292062327e-324 2.4703282292062328e-324",
      // Long mantissas a hair either side of the float midpoint 1 + 2^-24, and at it; a float
      // midpoint that a double reaches exactly; the smallest normal float and the largest.
      "1.000000059604644775 1.000000059604644776 1.0000000596046447753906",
      "16777217.0000000001 16777216.9999999999 3.3554434e7 33554435.00000000001",
      "1.1754943508222875e-38 1.1754942e-38 3.4028234663852886e38 3.4028235677973366e38",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(std::string("text \"") + text + "\"");
    EXPECT_EQ(show(ours(Form::one_double, text)), show(c_library(Form::one_double, text)));
    EXPECT_EQ(show(ours(Form::time_record, text)), show(c_library(Form::time_record, text)));
  }
}

// A random decimal number: a sign, digits with leading zeros, a point, digits, an exponent.
std::string random_number(std::mt19937_64& rng) {
  std::string s;
  if (rng() % 3 == 0) s += (rng() & 1) ? '-' : '+';
  const auto digits = [&](int most) {
    const int n = static_cast<int>(rng() % static_cast<unsigned>(most + 1));
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + rng() % 10);
  };
  s.append(rng() % 4 == 0 ? rng() % 25 : 0, '0');
  digits(rng() % 4 == 0 ? 24 : 9);
  if (rng() % 2 == 0) {
    s += '.';
    s.append(rng() % 4 == 0 ? rng() % 25 : 0, '0');
    digits(rng() % 4 == 0 ? 24 : 9);
  }
  if (s.find_first_of("0123456789") == std::string::npos) s += '5';  // a number, always
  if (rng() % 2 == 0) {
    s += (rng() & 1) ? 'e' : 'E';
    if (rng() % 2 == 0) s += (rng() & 1) ? '-' : '+';
    s += std::to_string(rng() % 4 == 0 ? rng() % 400 : rng() % 30);
  }
  return s;
}

// Every value is the C library's, to the bit: many numbers in one text, read as doubles and as
// time records (a double and a float).
TEST(ScanAgainstCLibrary, RandomDecimalNumbers) {
  std::mt19937_64 rng(7);
  int failures = 0;
  for (int round = 0; round < 3000 && failures < 10; ++round) {
    std::string text;
    for (int i = 0; i < 38; ++i) text += random_number(rng) + (i % 2 ? "\n" : " ");
    for (Form form : {Form::one_double, Form::time_record}) {
      const auto want = c_library(form, text);
      const auto got = ours(form, text);
      if (got != want) {
        ++failures;
        ADD_FAILURE() << "form " << static_cast<int>(form) << " text \"" << text << "\"\n  ours "
                      << show(got) << "\n  C    " << show(want);
      }
    }
  }
}

}  // namespace
}  // namespace vibfrf::textio
