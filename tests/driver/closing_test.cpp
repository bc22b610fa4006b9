// After a result cannot be written, the run closes every slot again on its way out: each file is
// closed exactly once, and none is left open. The run happens in-process, where every close() the
// program makes is seen here: a second close of a descriptor fails with EBADF.
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>

#include "console_capture.hpp"
#include "driver/driver.hpp"
#include "temp_dir.hpp"
#include "workarea/workarea.hpp"

namespace {
int closes_of_closed_descriptors = 0;
}

// Stands in for the C library's close() in this test program.
extern "C" int close(int fd) {
  const long result = ::syscall(SYS_close, fd);
  if (result != 0 && errno == EBADF) ++closes_of_closed_descriptors;
  return static_cast<int>(result);
}

namespace vibfrf {
namespace {

namespace fs = std::filesystem;
using testing::ConsoleCapture;
using testing::ScopedChdir;
using testing::TempDir;

std::size_t open_descriptors() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

struct Failure {
  const char* output;
  bool folder;  // otherwise a link to /dev/full
};

void PrintTo(const Failure& f, std::ostream* os) {
  *os << f.output << (f.folder ? " as a folder" : " linked to /dev/full");
}

class Closing : public ::testing::TestWithParam<Failure> {};

TEST_P(Closing, EveryFileIsClosedOnceAfterAFailure) {
  TempDir dir;
  ScopedChdir here(dir.path());
  std::string record;
  for (int k = 0; k < 64; ++k) record += std::to_string(k * 0.001) + " " + std::to_string(k % 7) + "\n";
  testing::write_file("force.txt", record);
  testing::write_file("accel.txt", record);
  if (GetParam().folder) {
    fs::create_directory(GetParam().output);
  } else {
    fs::create_symlink("/dev/full", GetParam().output);
  }
  reset_work_area();
  start_up();
  const std::size_t before = open_descriptors();
  closes_of_closed_descriptors = 0;
  {
    ConsoleCapture console("1 2 0 force.txt accel.txt\n");
    EXPECT_EQ(run_analysis(), 2) << console.text();
  }
  EXPECT_EQ(closes_of_closed_descriptors, 0);
  for (const auto& slot : wa.streams) EXPECT_FALSE(slot.is_open());
  EXPECT_EQ(open_descriptors(), before);
  reset_work_area();
}

INSTANTIATE_TEST_SUITE_P(Outputs, Closing,
                         ::testing::Values(Failure{"fft_half_1.out", false},
                                           Failure{"cross_spectrum_sba.out", false},
                                           Failure{"cross_spectrum_gaa.out", false},
                                           Failure{"H1.out", false}, Failure{"impulse_h1.out", false},
                                           Failure{"H2.out", true}),
                         [](const auto& info) {
                           std::string name = info.param.output;
                           for (char& c : name)
                             if (c == '.') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace vibfrf
