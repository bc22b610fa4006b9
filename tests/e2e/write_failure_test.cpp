// Failing disks: a result file that cannot be opened (its name is a folder) or cannot be written
// (its name links to /dev/full, which refuses every byte), and an input that cannot be read. The
// program names the file and the reason, stops with status 2 without the summary, and the user's
// own files are as they were.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "run_program.hpp"
#include "temp_dir.hpp"
#include "user_files.hpp"

namespace vibfrf {
namespace {

using namespace testing;
namespace fs = std::filesystem;

enum class Failure { folder, full_disk };

struct Row {
  const char* output;
  Failure failure;
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << row.output << (row.failure == Failure::folder ? " as a folder" : " linked to /dev/full");
}

class WriteFailure : public ::testing::TestWithParam<Row> {
 protected:
  WriteFailure() {
    std::string record;
    for (int k = 0; k < 32; ++k) record += std::to_string(k * 0.002) + " " + std::to_string(k % 5) + "\n";
    write_file(dir / "force.txt", record);
    write_file(dir / "accel.txt", record);
    write_file(dir / "notes.txt", "hammer tip: medium\n");
    fs::create_directory(dir / "earlier");
    write_file(dir / "earlier" / "H1.out", "1 2 3\n");
  }
  TempDir dir;
};

TEST_P(WriteFailure, NamesTheFileStopsWithStatusTwoAndKeepsTheUsersFiles) {
  const Row& row = GetParam();
  const fs::path output = dir / row.output;
  if (row.failure == Failure::folder) {
    fs::create_directory(output);
  } else {
    fs::create_symlink("/dev/full", output);
  }
  const FileContents before = user_files(dir.path());

  const RunResult r = run_program(dir.path(), "1 2 0 force.txt accel.txt\n");
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.exit_status, 2);
  const std::string told = row.failure == Failure::folder
                               ? "\n\n Cannot open file: " + std::string(row.output) + " (Is a directory) \n"
                               : "\n\n Cannot write file: " + std::string(row.output) +
                                     " (No space left on device) \n";
  const std::string ending = told + " Stopping: the results are incomplete. \n";
  ASSERT_GE(r.transcript.size(), ending.size()) << r.transcript;
  EXPECT_EQ(r.transcript.substr(r.transcript.size() - ending.size()), ending) << r.transcript;
  EXPECT_EQ(r.transcript.find("written to"), std::string::npos);
  EXPECT_EQ(r.transcript.find("Press any key"), std::string::npos);

  EXPECT_TRUE(user_files(dir.path()) == before);
  if (row.failure == Failure::folder) {
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(output)));
  } else {
    EXPECT_EQ(fs::read_symlink(output), "/dev/full");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, WriteFailure,
    ::testing::Values(Row{"fft_1.out", Failure::full_disk}, Row{"fft_full_2.out", Failure::full_disk},
                      Row{"cross_spectrum_saa.out", Failure::full_disk},
                      Row{"cross_spectrum_gab.out", Failure::full_disk}, Row{"H1.out", Failure::full_disk},
                      Row{"coherence.out", Failure::full_disk},
                      Row{"complex_impulse_h1.out", Failure::full_disk},
                      Row{"impulse_h1.out", Failure::full_disk}, Row{"fft_2.out", Failure::folder},
                      Row{"cross_spectrum_sba.out", Failure::folder}, Row{"H2_mp.out", Failure::folder},
                      Row{"impulse_h1.out", Failure::folder}, Row{"temp2.out", Failure::folder}),
    [](const auto& info) {
      std::string name = std::string(info.param.failure == Failure::folder ? "Folder_" : "FullDisk_") +
                         info.param.output;
      for (char& c : name)
        if (c == '.') c = '_';
      return name;
    });

// A disk that fails under the reader: /proc/self/mem is a regular file whose first page cannot be
// read. The run stops as for a result that cannot be written, instead of going on with no data.
TEST(ReadFailure, TimeHistoryThatCannotBeReadStopsWithStatusTwo) {
  TempDir dir;
  write_file(dir / "accel.txt", "0 1\n0.5 2\n");
  const RunResult r = run_program(dir.path(), "1 2 0 /proc/self/mem accel.txt\n");
  EXPECT_EQ(r.exit_status, 2);
  const std::string ending =
      " File: fft_full_1.out opened. \n\n\n reading time history \n fscanf error "
      "\n\n Cannot read file: /proc/self/mem (Input/output error) "
      "\n Stopping: the results are incomplete. \n";
  ASSERT_GE(r.transcript.size(), ending.size()) << r.transcript;
  EXPECT_EQ(r.transcript.substr(r.transcript.size() - ending.size()), ending) << r.transcript;
}

// Nothing is ever written to temp2.out, so a link from it to /dev/full fails nothing: an empty
// file reaches the device whole, and the run is complete.
TEST(WriteFailure, EmptyTemp2LinkedToAFullDiskIsNoFailure) {
  TempDir dir;
  std::string record;
  for (int k = 0; k < 8; ++k) record += std::to_string(k * 0.25) + " " + std::to_string(k % 3) + "\n";
  write_file(dir / "force.txt", record);
  write_file(dir / "accel.txt", record);
  fs::create_symlink("/dev/full", dir / "temp2.out");
  const RunResult r = run_program(dir.path(), "1 2 0 force.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.transcript.find("Press any key"), std::string::npos);
  EXPECT_EQ(fs::read_symlink(dir / "temp2.out"), "/dev/full");
}

}  // namespace
}  // namespace vibfrf
