// The console dialogue of the built program: questions, file names, open reports, re-asked
// prompts and the stops, run as a user would run it.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "run_program.hpp"
#include "temp_dir.hpp"
#include "transcript.hpp"

namespace vibfrf {
namespace {

using testing::read_file;
using testing::run_program;
using testing::RunResult;
using testing::TempDir;
using testing::write_file;
using testing::accel_prompt;
using testing::banner_and_questions;
using testing::force_prompt;
using testing::opened;

class Dialogue : public ::testing::Test {
 protected:
  Dialogue() {
    std::string record;
    for (int i = 0; i < 16; ++i) record += std::to_string(i * 0.001) + " " + std::to_string(i % 4) + "\n";
    write_file(dir / "force.txt", record);
    write_file(dir / "accel.txt", record);
  }
  RunResult run(const std::string& answers) { return run_program(dir.path(), answers); }
  TempDir dir;
};

TEST_F(Dialogue, BannerQuestionsPromptsAndReportsInOrder) {
  const RunResult r = run("1\n2\n0\nforce.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  ASSERT_EQ(r.transcript.rfind(banner_and_questions + force_prompt + opened("force.txt", 1), 0), 0u)
      << r.transcript;
  const auto second = r.transcript.find(accel_prompt + opened("accel.txt", 2));
  EXPECT_NE(second, std::string::npos);
  EXPECT_EQ(r.transcript.find(" Failed"), std::string::npos);
  const std::string ending =
      "\n\n Please call the output files into your own plotting program.\n Press any key to exit.";
  EXPECT_EQ(r.transcript.substr(r.transcript.size() - ending.size()), ending);
}

TEST_F(Dialogue, AnswersOnOneLineOrManyReadTheSame) {
  const RunResult one_line = run("1 2 0 force.txt accel.txt\n");
  const RunResult many = run("1\n\n  2\n0\r\nforce.txt\n\naccel.txt");
  EXPECT_EQ(one_line.exit_status, 0);
  EXPECT_EQ(many.exit_status, 0);
  EXPECT_EQ(one_line.transcript, many.transcript);
}

TEST_F(Dialogue, UnreadableAnswerReachesTheFileNameRead) {
  // "abc" is no number: every question leaves it, and it arrives as the force file's name.
  const RunResult r = run("abc force.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.transcript.find(banner_and_questions + force_prompt + " Failed to open file: abc \n"),
            std::string::npos)
      << r.transcript;
  EXPECT_NE(r.transcript.find(force_prompt + opened("force.txt", 1)), std::string::npos);
  EXPECT_NE(r.transcript.find(accel_prompt + opened("accel.txt", 2)), std::string::npos);
}

TEST_F(Dialogue, NameWithABlankGivesItsFirstWordAndTheRestFollows) {
  write_file(dir / "my", "0 1\n1 2\n");
  const RunResult r = run("1 2 0\nmy force.txt\n");  // the user meant "my force.txt"
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.transcript.find(force_prompt + opened("my", 1)), std::string::npos);
  EXPECT_NE(r.transcript.find(accel_prompt + opened("force.txt", 2)), std::string::npos);
}

struct RefusedInput {
  const char* label;
  std::string name;
  const char* reason;
};

TEST_F(Dialogue, UnusableInputIsReportedAndAskedForAgain) {
  ASSERT_EQ(::mkdir((dir / "folder").c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  write_file(dir / "fft_1.out", "0 0 0\n");
  write_file(dir / "H1.out", "1 2 3\n");
  ASSERT_EQ(::symlink("H1.out", (dir / "results.txt").c_str()), 0);
  const RefusedInput rows[] = {
      {"missing", "nothing.txt", "No such file or directory"},
      {"directory", "folder", "not a regular file"},
      {"fifo", "pipe", "not a regular file"},
      {"device", "/dev/null", "not a regular file"},
      {"output name", "fft_1.out", "it is one of the files this program writes"},
      {"link to an output", "results.txt", "it is one of the files this program writes"},
      {"260 characters", std::string(260, 'n'), "the name is longer than 259 characters"},
  };
  for (const RefusedInput& row : rows) {
    SCOPED_TRACE(row.label);
    const RunResult r = run("1 2 0 " + row.name + " force.txt accel.txt\n");
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_FALSE(r.timed_out);
    const std::string shown = row.name.substr(0, 259);
    EXPECT_NE(r.transcript.find(force_prompt + " Failed to open file: " + shown + " \n   (" +
                                row.reason + ") \n" + force_prompt + opened("force.txt", 1)),
              std::string::npos)
        << r.transcript;
  }
}

TEST_F(Dialogue, RefusedOutputNameIsNotEmptied) {
  write_file(dir / "fft_1.out", "0 0 0\n");
  ASSERT_EQ(::symlink("fft_1.out", (dir / "mine.txt").c_str()), 0);
  // Refused twice, then the answers end: nothing was opened for writing.
  const RunResult r = run("1 2 0 fft_1.out mine.txt");
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(read_file(dir / "fft_1.out"), "0 0 0\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "fft_half_1.out"));
}

TEST_F(Dialogue, NameOf259CharactersIsUsedWhole) {
  // A file name has at most 255 bytes here, so the 259 characters are a folder and a file.
  const std::string folder(200, 'd');
  const std::string name = folder + "/" + std::string(58, 'r');
  ASSERT_EQ(name.size(), 259u);
  ASSERT_EQ(::mkdir((dir / folder).c_str(), 0700), 0);
  write_file(dir / name, "0 1\n1 2\n");
  const RunResult r = run("1 2 0 " + name + " accel.txt\n");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.transcript.find(force_prompt + opened(name, 1)), std::string::npos);
}

TEST_F(Dialogue, InputEndingBeforeAFileNameStopsWithStatusOne) {
  const std::string stop = "\n\n Standard input ended where a file name was expected; stopping. \n";
  for (const char* answers : {"", "1\n", "1 2\n", "1 2 0\n", "1 2 0 force.txt\n", "x y z"}) {
    SCOPED_TRACE(std::string("answers \"") + answers + "\"");
    const RunResult r = run(answers);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_FALSE(r.timed_out);
    ASSERT_GE(r.transcript.size(), stop.size());
    EXPECT_EQ(r.transcript.substr(r.transcript.size() - stop.size()), stop);
    EXPECT_EQ(r.transcript.find("Press any key"), std::string::npos);
  }
}

TEST_F(Dialogue, SpectrumFileThatCannotBeOpenedStopsWithStatusTwo) {
  ASSERT_EQ(::mkdir((dir / "fft_half_1.out").c_str(), 0700), 0);
  const RunResult r = run("1 2 0 force.txt accel.txt\n");
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.transcript.find("\n\n Cannot open file: fft_half_1.out (Is a directory) \n"),
            std::string::npos)
      << r.transcript;
  EXPECT_EQ(r.transcript.find("Press any key"), std::string::npos);
  EXPECT_EQ(r.transcript.find("written to"), std::string::npos);  // no summary over missing files
}

}  // namespace
}  // namespace vibfrf
