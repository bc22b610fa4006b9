// What the fuzz targets share: a failed check ends the run at once with a message, so that the
// fuzzer keeps the input and the regression run fails; and a scratch directory per process.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "textio/console.hpp"

namespace vibfrf::fuzz {

[[noreturn]] inline void fail(const char* condition, const char* file, int line,
                              const std::string& detail) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n%s\n", file, line, condition, detail.c_str());
  std::abort();
}

// A fresh directory under the temporary directory, removed with its contents at exit.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The console in memory for one run: `input` (which must outlive it) is read, what is printed is
// kept, and the standard console is back when it goes, before the kept text does.
class MemoryConsole {
 public:
  explicit MemoryConsole(std::string_view input) { textio::use_memory_console(input, shown_); }
  ~MemoryConsole() { textio::use_standard_console(); }
  MemoryConsole(const MemoryConsole&) = delete;
  MemoryConsole& operator=(const MemoryConsole&) = delete;
  const std::string& shown() {
    textio::console_out().flush();
    return shown_;
  }

 private:
  std::string shown_;
};

void write_bytes(const std::filesystem::path& file, const std::string& bytes);
std::string read_bytes(const std::filesystem::path& file);

}  // namespace vibfrf::fuzz

#define FUZZ_CHECK(condition, detail)                                              \
  ((condition) ? static_cast<void>(0)                                                \
               : ::vibfrf::fuzz::fail(#condition, __FILE__, __LINE__, (detail)))
