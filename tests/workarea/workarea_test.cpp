#include "workarea/workarea.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "temp_dir.hpp"

namespace vibfrf {
namespace {

using testing::ScopedChdir;
using testing::TempDir;

class WorkAreaTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_work_area(); }
  void TearDown() override { reset_work_area(); }
};

TEST_F(WorkAreaTest, StartUpSetsPiAndTwoPiAndNothingElse) {
  start_up();
  EXPECT_EQ(wa.pi, 3.141592653589793);
  EXPECT_EQ(wa.two_pi, wa.pi + wa.pi);
  EXPECT_EQ(wa.m, 0u);
  EXPECT_EQ(wa.ns, 0u);
  EXPECT_EQ(wa.highpass, 0.0);
  EXPECT_EQ(wa.limit, 0);
  EXPECT_EQ(wa.freq, 0.0);
  EXPECT_EQ(wa.work[work_capacity - 1].im, 0.0f);
  EXPECT_EQ(wa.aux.size(), wa.work.size() / 2);  // the longest transform's twiddle table
  for (const auto& s : wa.streams) EXPECT_FALSE(s.is_open());
  for (const auto& n : wa.names) EXPECT_EQ(n[0], '\0');
}

TEST_F(WorkAreaTest, OpenSlotCopiesTheNameFirst) {
  TempDir dir;
  ScopedChdir here(dir.path());
  open_slot(7, "H1.out", "w");
  EXPECT_STREQ(slot_name(7), "H1.out");
  EXPECT_TRUE(wa.streams[7].is_open());
  close_slot(7);
  EXPECT_FALSE(wa.streams[7].is_open());
  EXPECT_STREQ(slot_name(7), "H1.out");  // the buffer keeps the name the slot was last opened with
}

TEST_F(WorkAreaTest, NameOf259CharactersFitsAndLongerIsCut) {
  const std::string fits(259, 'a');
  set_slot_name(1, fits);
  EXPECT_EQ(std::string(slot_name(1)), fits);
  set_slot_name(1, fits + "bc");
  EXPECT_EQ(std::string(slot_name(1)), fits);
}

TEST_F(WorkAreaTest, FailedOpensLeaveTheSlotEmpty) {
  TempDir dir;
  ScopedChdir here(dir.path());
  EXPECT_FALSE(try_open_slot(1, "missing.txt", "rb"));
  EXPECT_FALSE(wa.streams[1].is_open());
  EXPECT_STREQ(slot_name(1), "missing.txt");
  EXPECT_THROW(open_slot(3, "missing.txt", "rb"), textio::FileError);
}

TEST_F(WorkAreaTest, CloseSlotTellsAWriteThatDidNotReachTheFile) {
  open_slot(2, "/dev/full", "w");
  wa.streams[2].write("lost");
  EXPECT_THROW(close_slot(2), textio::FileError);
  EXPECT_FALSE(wa.streams[2].is_open());
  EXPECT_NO_THROW(close_slot(2));  // closing again does nothing
}

// /proc/self/mem is a regular file whose first page cannot be read: a disk failing under a read.
TEST_F(WorkAreaTest, CloseSlotTellsAReadThatFailed) {
  textio::Stream& in = open_slot(1, "/proc/self/mem", "rb");
  EXPECT_EQ(in.peek(), textio::Stream::end_of_input);
  try {
    close_slot(1);
    ADD_FAILURE() << "a failed read was not told";
  } catch (const textio::FileError& e) {
    EXPECT_EQ(e.action(), textio::FileError::Action::read);
    EXPECT_EQ(e.name(), "/proc/self/mem");
    EXPECT_EQ(e.reason(), "Input/output error");
  }
  EXPECT_FALSE(wa.streams[1].is_open());
  open_slot(1, "/dev/null", "rb");
  EXPECT_EQ(wa.streams[1].peek(), textio::Stream::end_of_input);
  EXPECT_NO_THROW(close_slot(1));  // the end of a file is no failure
}

}  // namespace
}  // namespace vibfrf
