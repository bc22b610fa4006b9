#include "transform/bit_reverse.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "stage_fixture.hpp"
#include "transform/transform.hpp"

namespace vibfrf {
namespace {

// Entries that carry their index, in both parts so that the parts are seen to travel together.
std::vector<Complex> indexed(std::size_t m) {
  std::vector<Complex> v(m);
  for (std::size_t k = 0; k < m; ++k) v[k] = {static_cast<float>(k), -static_cast<float>(k)};
  return v;
}

std::vector<int> order_after_reversal(std::size_t m, unsigned nstages) {
  std::vector<Complex> data = indexed(m);
  bit_reverse_order(data, nstages);
  std::vector<int> order;
  for (const Complex& c : data) {
    EXPECT_EQ(c.im, -c.re);
    order.push_back(static_cast<int>(c.re));
  }
  return order;
}

TEST(BitReverse, SmallOrders) {
  EXPECT_EQ(order_after_reversal(1, 0), (std::vector<int>{0}));
  EXPECT_EQ(order_after_reversal(2, 1), (std::vector<int>{0, 1}));
  EXPECT_EQ(order_after_reversal(8, 3), (std::vector<int>{0, 4, 2, 6, 1, 5, 3, 7}));
  EXPECT_EQ(order_after_reversal(16, 4),
            (std::vector<int>{0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15}));
}

TEST(BitReverse, LongestRecordMatchesTheBitReversalOfEveryIndex) {
  const unsigned nstages = 18;
  const std::vector<int> order = order_after_reversal(std::size_t{1} << nstages, nstages);
  for (std::uint32_t k = 0; k < order.size(); ++k) {
    std::uint32_t reversed = 0;
    for (unsigned b = 0; b < nstages; ++b) reversed |= ((k >> b) & 1u) << (nstages - 1 - b);
    ASSERT_EQ(order[k], static_cast<int>(reversed)) << k;
  }
}

TEST(BitReverse, TwiceGivesBackTheStart) {
  std::vector<Complex> data = indexed(1024);
  bit_reverse_order(data, 10);
  bit_reverse_order(data, 10);
  for (std::size_t k = 0; k < data.size(); ++k) EXPECT_EQ(data[k].re, static_cast<float>(k));
}

class Reorder : public testing::StageTest {};

TEST_F(Reorder, ReordersWorkInPlaceAndSaysSo) {
  wa.m = 8;
  wa.nstages = 3;
  wa.ns = 5;  // only printed
  for (int k = 0; k < 9; ++k) wa.work[k] = {static_cast<float>(k), 0.5f};
  wa.work[1] = {1.0f, 2.0f};
  reorder();
  EXPECT_EQ(console(), "\n nm1= 3  md2=4  ns=5 ");
  EXPECT_EQ(wa.work[4].re, 1.0f);  // entry 1 went to 4, both parts together
  EXPECT_EQ(wa.work[4].im, 2.0f);
  EXPECT_EQ(wa.work[1].re, 4.0f);
  EXPECT_EQ(wa.work[8].re, 8.0f);  // past m: not touched
}

TEST_F(Reorder, LengthOneMovesNothing) {
  wa.m = 1;
  wa.nstages = 0;
  wa.ns = 1;
  wa.work[0] = {3.0f, 0.0f};
  reorder();
  EXPECT_EQ(console(), "\n nm1= 0  md2=0  ns=1 ");
  EXPECT_EQ(wa.work[0].re, 3.0f);
}

}  // namespace
}  // namespace vibfrf
