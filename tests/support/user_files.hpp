// What a user keeps in the directory a run works in: every regular file but the program's own 22
// result files, with its bytes, to show afterwards that none of it was touched.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "temp_dir.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf::testing {

using FileContents = std::map<std::filesystem::path, std::string>;

inline bool is_result_file(const std::filesystem::path& relative) {
  for (const char* name : output_file_names)
    if (relative == name) return true;
  return false;
}

// Regular files only, under their path relative to `dir`; links are not followed.
inline FileContents user_files(const std::filesystem::path& dir) {
  FileContents files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    const std::filesystem::path relative = std::filesystem::relative(entry.path(), dir);
    if (!is_result_file(relative)) files[relative] = read_file(entry.path());
  }
  return files;
}

}  // namespace vibfrf::testing
