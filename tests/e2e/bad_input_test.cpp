// The bad-input catalogue: the built program, run as a user would, on input files and answers
// that are wrong in every way a test engineer's data can be. Whatever the row, the program ends
// by itself with the status the row names and the lines that tell what happened, the user's
// files are as they were, and each result file is either complete or absent.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "output_layout.hpp"
#include "run_program.hpp"
#include "temp_dir.hpp"
#include "transcript.hpp"
#include "user_files.hpp"

namespace vibfrf {
namespace {

using namespace testing;

// 16 samples 1 ms apart, in the layout a data logger writes.
std::string sixteen_records(const char* separator = " ", const char* line_end = "\n") {
  std::string text;
  for (int k = 0; k < 16; ++k)
    text += std::to_string(k * 0.001) + separator + std::to_string((k * 7) % 5 - 2) + line_end;
  return text;
}

std::string many_records(int n) {
  std::string text;
  for (int k = 0; k < n; ++k) text += std::to_string(k) + "e-4 " + std::to_string(k % 9) + "\n";
  return text;
}

void bad_file(const TempDir& dir, const std::string& bytes) { write_file(dir / "bad.txt", bytes); }

const std::string stop_line = "\n\n Standard input ended where a file name was expected; stopping. \n";
const std::string dt_error = "\n\n  1 samples will be used for FFT\n\n  dt error ";
std::string refused(const std::string& name, const std::string& reason) {
  return " Failed to open file: " + name.substr(0, 259) + " \n   (" + reason + ") \n";
}
const std::string long_name = std::string(200, 'd') + "/" + std::string(58, 'r');  // 259

struct Row {
  const char* name;
  std::function<void(const TempDir&)> prepare;  // besides force.txt and accel.txt
  std::string answers;
  std::vector<std::string> shown;  // each appears in the transcript
  int status;
  std::size_t m1, m2, limit;  // the lines of the result files that a run writes
};

const std::vector<Row>& catalogue() {
  const std::string both_bad = "1 2 0 bad.txt bad.txt\n";
  const std::string refused_then_good = "1 2 0 bad.txt force.txt accel.txt\n";
  static const std::vector<Row> rows = {
      {"EmptyFile", [](auto& d) { bad_file(d, ""); }, both_bad, {"\n fscanf error " + dt_error}, 0, 1, 1, 1},
      {"HeaderLine", [](auto& d) { bad_file(d, "time(sec) force(lbf)\n" + sixteen_records()); },
       both_bad, {"\n fscanf error " + dt_error}, 0, 1, 1, 1},
      {"CommaSeparated", [](auto& d) { bad_file(d, sixteen_records(",")); }, both_bad,
       {"\n\n reading time history " + dt_error}, 0, 1, 1, 1},
      {"TabSeparated", [](auto& d) { bad_file(d, sixteen_records("\t")); }, both_bad,
       {"\n samples= 16 "}, 0, 16, 16, 16},
      {"CrOnlyLineEnds", [](auto& d) { bad_file(d, sixteen_records(" ", "\r")); }, both_bad,
       {"\n samples= 16 "}, 0, 16, 16, 16},
      {"BinaryAndNulBytes",
       [](auto& d) {
         static const char bytes[] = "0 1\n0.001 2\n\0\x01\xff\xfe 3 4\n";
         bad_file(d, std::string(bytes, sizeof bytes - 1) + sixteen_records());
       },
       both_bad, {"\n samples= 2 "}, 0, 2, 2, 2},
      {"ByteOrderMark", [](auto& d) { bad_file(d, "\xef\xbb\xbf" + sixteen_records()); }, both_bad,
       {"\n fscanf error " + dt_error}, 0, 1, 1, 1},
      {"NanAndInfText", [](auto& d) { bad_file(d, "0 nan\n0.001 inf\n0.002 -INF\n0.003 NaN\n"); },
       both_bad, {"\n samples= 4 ", "ave=       nan G"}, 0, 4, 4, 4},
      {"OutOfFloatRange", [](auto& d) { bad_file(d, "0 1e39\n0.001 1e-50\n0.002 -1e39\n0.003 1\n"); },
       both_bad, {"\n samples= 4 "}, 0, 4, 4, 4},
      {"SingleRecord", [](auto& d) { bad_file(d, "0 1\n"); }, both_bad,
       {"\n\n reading time history " + dt_error}, 0, 1, 1, 1},
      {"TwoIdenticalTimes", [](auto& d) { bad_file(d, "1 1\n1 2\n"); }, both_bad,
       {"sr=          inf samples/sec"}, 0, 2, 2, 2},
      {"DecreasingTimes", [](auto& d) { bad_file(d, "0.003 1\n0.002 2\n0.001 3\n0 4\n"); }, both_bad,
       {"\n dt =     -0.001 sec"}, 0, 4, 4, 4},
      {"ThreeHundredThousandRecords", [](auto& d) { bad_file(d, many_records(300000)); }, both_bad,
       {"\n\n  262144 samples will be used for FFT\n", "\n samples= 262144 "}, 0, 262144, 262144, 262144},
      {"TenMegabyteLineWithoutLineEnd",
       [](auto& d) { bad_file(d, "0." + std::string(10 << 20, '7')); }, both_bad,
       {"\n\n reading time history " + dt_error}, 0, 1, 1, 1},
      {"Directory", [](auto& d) { std::filesystem::create_directory(d / "bad.txt"); },
       refused_then_good, {refused("bad.txt", "not a regular file") + force_prompt}, 0, 16, 16, 16},
      {"DevNull", nullptr, "1 2 0 /dev/null force.txt accel.txt\n",
       {refused("/dev/null", "not a regular file") + force_prompt}, 0, 16, 16, 16},
      {"Fifo", [](auto& d) { ASSERT_EQ(::mkfifo((d / "bad.txt").c_str(), 0600), 0); },
       refused_then_good, {refused("bad.txt", "not a regular file") + force_prompt}, 0, 16, 16, 16},
      {"NameOf259Characters",
       [](auto& d) {
         std::filesystem::create_directory(d / long_name.substr(0, 200));
         write_file(d / long_name, sixteen_records());
       },
       "1 2 0 " + long_name + " accel.txt\n", {force_prompt + opened(long_name, 1)}, 0, 16, 16, 16},
      {"NameOf260Characters", nullptr, "1 2 0 " + std::string(260, 'n') + " force.txt accel.txt\n",
       {refused(std::string(260, 'n'), "the name is longer than 259 characters") + force_prompt},
       0, 16, 16, 16},
      {"NameOf5000Characters", nullptr, "1 2 0 " + std::string(5000, 'n') + " force.txt accel.txt\n",
       {refused(std::string(5000, 'n'), "the name is longer than 259 characters") + force_prompt},
       0, 16, 16, 16},
      {"InputsNamedLikeOutputs",
       [](auto& d) {
         write_file(d / "fft_1.out", sixteen_records());
         write_file(d / "H1.out", sixteen_records());
       },
       "1 2 0 fft_1.out force.txt H1.out accel.txt\n",
       {refused("fft_1.out", "it is one of the files this program writes") + force_prompt,
        refused("H1.out", "it is one of the files this program writes") + accel_prompt},
       0, 16, 16, 16},
      {"AnswersThatAreNotNumbers", nullptr, "yes Hann none force.txt accel.txt\n",
       {banner_and_questions + force_prompt + refused("yes", "No such file or directory"),
        refused("Hann", "No such file or directory"), refused("none", "No such file or directory")},
       0, 16, 16, 16},
      {"InputEndsAtMeanRemoval", nullptr, "", {banner_and_questions + force_prompt + stop_line}, 1, 16, 16, 16},
      {"InputEndsAtWindow", nullptr, "1\n", {banner_and_questions + force_prompt + stop_line}, 1, 16, 16, 16},
      {"InputEndsAtHighpass", nullptr, "1 2\n", {banner_and_questions + force_prompt + stop_line}, 1, 16, 16, 16},
      {"InputEndsAtForceFile", nullptr, "1 2 0\n", {banner_and_questions + force_prompt + stop_line}, 1, 16, 16, 16},
      {"InputEndsAtAccelerationFile", nullptr, "1 2 0 force.txt\n", {accel_prompt + stop_line}, 1, 16, 16, 16},
  };
  return rows;
}

class BadInput : public ::testing::TestWithParam<Row> {};
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

void expect_unchanged(const FileContents& before, const FileContents& after) {
  for (const auto& [name, bytes] : before) {
    const auto kept = after.find(name);
    ASSERT_NE(kept, after.end()) << name << " is gone";
    EXPECT_TRUE(kept->second == bytes) << name << " was changed";
  }
}

TEST_P(BadInput, EndsWithItsStatusAndLosesNothing) {
  const Row& row = GetParam();
  TempDir dir;
  write_file(dir / "force.txt", sixteen_records());
  write_file(dir / "accel.txt", sixteen_records(" ", "\r\n"));
  if (row.prepare) row.prepare(dir);
  const FileContents before = user_files(dir.path());

  const RunResult r = run_program(dir.path(), row.answers, std::chrono::minutes(5));
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.exit_status, row.status);
  EXPECT_EQ(r.errors, "");
  for (const std::string& text : row.shown)
    EXPECT_NE(r.transcript.find(text), std::string::npos) << "[" << text << "] in\n" << r.transcript;
  EXPECT_EQ(r.transcript.find("Press any key") != std::string::npos, row.status == 0);

  expect_unchanged(before, user_files(dir.path()));
  for (const OutputLayout& file : output_layouts(row.m1, row.m2, row.limit)) {
    if (!std::filesystem::exists(dir / file.name)) continue;  // absent is as good as complete
    SCOPED_TRACE(file.name);
    expect_layout(dir / file.name, file.lines, file.fields, file.tail);
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInput, ::testing::ValuesIn(catalogue()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vibfrf
