// Reading the program's text tables back in tests: one row of numbers per line.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "temp_dir.hpp"

namespace vibfrf::testing {

using Table = std::vector<std::vector<double>>;

// Numbers are read with strtod, so "inf" and "nan" come back as such.
inline Table read_table(const std::filesystem::path& file) {
  Table rows;
  std::istringstream lines(read_file(file));
  for (std::string line; std::getline(lines, line);) {
    std::vector<double> row;
    const char* p = line.c_str();
    for (char* end;; p = end) {
      const double v = std::strtod(p, &end);
      if (end == p) break;
      row.push_back(v);
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace vibfrf::testing
