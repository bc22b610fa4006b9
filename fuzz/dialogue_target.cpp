// The console dialogue on any standard input: the questions and both channels' file set-up, run
// by the driver's own run_dialogue_and_file_setup(), in a scratch directory that holds what a
// user's directory may hold: two records, a folder, a FIFO, an earlier run's H1.out, a link to
// it and a link to a record. Names that leave the directory (a leading '/' or "..") are not run:
// the files outside are none of this target's business. Checked: the status and the transcript
// agree, no slot stays open, and the user's files are as they were.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check.hpp"
#include "driver/driver.hpp"
#include "textio/console.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf::fuzz {
namespace {

namespace fs = std::filesystem;

constexpr const char* spectrum_files[] = {"fft_1.out", "fft_half_1.out", "fft_full_1.out",
                                          "fft_2.out", "fft_half_2.out", "fft_full_2.out"};
const std::string stop_line = "\n\n Standard input ended where a file name was expected; stopping. \n";

struct UserDirectory {
  ScratchDir scratch;
  std::vector<std::pair<std::string, std::string>> files = {
      {"force.txt", "0 1\n0.001 2\n0.002 1\n0.003 0\n"},
      {"accel.txt", "0 0.5\n0.001 -1\n0.002 0.25\n0.003 0\n"},
      {"H1.out", "1 2 3\n"},
  };
  UserDirectory() {
    for (const auto& [name, bytes] : files) write_bytes(scratch.path() / name, bytes);
    fs::create_directory(scratch.path() / "folder");
    ::mkfifo((scratch.path() / "pipe").c_str(), 0600);
    fs::create_symlink("H1.out", scratch.path() / "results.txt");
    fs::create_symlink("force.txt", scratch.path() / "link.txt");
    fs::current_path(scratch.path());
  }
  // Everything in the directory but the spectrum files a set-up leaves, which are removed.
  std::vector<std::string> listing_without_spectrum_files() const {
    for (const char* name : spectrum_files) ::unlink(name);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool leaves_the_directory(const std::string& input) {
  if (input.find("..") != std::string::npos) return true;
  for (std::size_t k = 0; k < input.size(); ++k)
    if (input[k] == '/' && (k == 0 || is_space(input[k - 1]))) return true;
  return false;
}

bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

void check_run(int status, const std::string& shown) {
  const std::size_t failures = count(shown, " Failed to open file: ");
  const std::size_t prompts = count(shown, "\n\n Please enter the ");
  FUZZ_CHECK(status == 0 || status == 1, std::to_string(status) + "\n" + shown);
  FUZZ_CHECK(ends_with(shown, stop_line) == (status == 1), shown);
  FUZZ_CHECK(count(shown, " File: fft_full_2.out opened. \n") == (status == 0 ? 1u : 0u), shown);
  // Every refusal tells its reason and asks again; the stop leaves one prompt unanswered.
  FUZZ_CHECK(count(shown, ") \n\n\n Please enter the ") == failures, shown);
  FUZZ_CHECK(prompts == failures + 2 || (status == 1 && prompts <= failures + 2), shown);
  for (const auto& slot : wa.streams) FUZZ_CHECK(!slot.is_open(), shown);
}

}  // namespace
}  // namespace vibfrf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vibfrf;
  using namespace vibfrf::fuzz;
  static const UserDirectory user;
  static const std::vector<std::string> listing = user.listing_without_spectrum_files();
  const std::string input(reinterpret_cast<const char*>(data), size);
  if (leaves_the_directory(input)) return 0;

  reset_work_area();
  start_up();
  MemoryConsole console(input);
  const int status = run_dialogue_and_file_setup();
  const std::string& shown = console.shown();
  check_run(status, shown);
  for (const auto& [name, bytes] : user.files) FUZZ_CHECK(read_bytes(name) == bytes, name);
  FUZZ_CHECK(user.listing_without_spectrum_files() == listing, shown);
  return 0;
}
