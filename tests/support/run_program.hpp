// Runs the built program as a user would: in a given directory, with the answers on standard
// input, in a session of its own (so it has no terminal and never waits for a key), bounded by
// a timeout.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace vibfrf::testing {

struct RunResult {
  std::string transcript;  // everything the program wrote to standard output
  std::string errors;      // everything it wrote to standard error
  int exit_status = -1;    // the status passed to exit, or -1 when it did not exit normally
  int signal = 0;          // the signal that ended it, 0 when none did
  bool timed_out = false;  // killed after the timeout
};

// The path of the built program under test.
std::filesystem::path program_path();

RunResult run_program(const std::filesystem::path& dir, std::string_view standard_input,
                      std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace vibfrf::testing
