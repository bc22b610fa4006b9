// A fresh directory under /tmp for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vibfrf::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Makes a directory the current one for the lifetime of the object.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::filesystem::path& dir);
  ~ScopedChdir();
  ScopedChdir(const ScopedChdir&) = delete;
  ScopedChdir& operator=(const ScopedChdir&) = delete;

 private:
  std::filesystem::path previous_;
};

std::string read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, std::string_view bytes);

}  // namespace vibfrf::testing
