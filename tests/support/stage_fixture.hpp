// A stage test runs stage operations in-process: in a fresh current directory, on a work area at
// its start-up state, with the console collected in memory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "console_capture.hpp"
#include "temp_dir.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf::testing {

class StageTest : public ::testing::Test {
 protected:
  StageTest() : here_(dir_.path()) {
    reset_work_area();
    start_up();
  }
  ~StageTest() override { reset_work_area(); }

  // Everything the stages printed so far.
  const std::string& console() { return console_.text(); }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  ScopedChdir here_;
  ConsoleCapture console_;
};

}  // namespace vibfrf::testing
