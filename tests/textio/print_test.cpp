#include "textio/print.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace vibfrf::textio {
namespace {

class PrintTest : public ::testing::Test {
 protected:
  PrintTest() { out.open_memory_output(text); }
  const std::string& written() {
    out.flush();
    return text;
  }
  std::string text;
  Stream out;
};

TEST_F(PrintTest, SpectrumLineOfDoubleAndWidenedFloats) {
  const float re = 0.5f, im = -0.25f;
  print(out, "%15.6e %15.6e %15.6e \n", 1953.125, re, im);
  EXPECT_EQ(written(), "  1.953125e+003   5.000000e-001  -2.500000e-001 \n");
}

TEST_F(PrintTest, CountsNamesAndLiteralText) {
  const std::uint32_t m = 262144;
  std::array<char, 260> name{"fft_1.out"};
  print(out, "\n nm1= %ld  md2=%ld  ns=%ld ", 18u, m / 2, m);
  print(out, " File: %s opened. \n", name.data());
  print(out, "\n limit2 = %ld ", -3);
  EXPECT_EQ(written(), "\n nm1= 18  md2=131072  ns=262144  File: fft_1.out opened. \n\n limit2 = -3 ");
}

TEST_F(PrintTest, GeneralNotationWithMixedWidths) {
  print(out, "%12.5g %12.4g %12.4g \n", 0.0, 3.0, -0.5);
  print(out, "\n dt = %10.5g sec  sr= %12.6e samples/sec", 0.001, 1000.0);
  EXPECT_EQ(written(),
            "           0            3         -0.5 \n"
            "\n dt =      0.001 sec  sr= 1.000000e+003 samples/sec");
}

TEST_F(PrintTest, OutputLargerThanTheBufferArrivesWhole) {
  for (int i = 0; i < 20000; ++i) print(out, "%15.6e %15.6e  \n", i * 0.5, -1.0);
  EXPECT_EQ(written().size(), 20000u * 34u);
  EXPECT_EQ(written().substr(0, 34), "  0.000000e+000  -1.000000e+000  \n");
  EXPECT_EQ(written().substr(34 * 19999), "  9.999500e+003  -1.000000e+000  \n");
}

}  // namespace
}  // namespace vibfrf::textio
