// The layout of the program's 22 result files, for tests that check what a run left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "temp_dir.hpp"

namespace vibfrf::testing {

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "the last line ends with a line end";
  return lines;
}

// A printed field: right-aligned in `width` ('e' exponent notation, 'g' general).
struct Field {
  int width;
  char style;
};

// `file` has `count` lines made of `fields`, each followed by one blank, then `tail` (more
// blanks) before the line end; every exponent has three digits.
inline void expect_layout(const std::filesystem::path& file, std::size_t count,
                          const std::vector<Field>& fields, const std::string& tail = "") {
  static const std::regex e_field(R"( *(-?\d\.\d{6}e[+-]\d{3}|-?inf|-?nan))");
  static const std::regex g_field(R"( *(-?\d+(\.\d+)?(e[+-]\d{3})?|-?\d*\.\d+|-?inf|-?nan))");
  const std::vector<std::string> lines = lines_of(read_file(file));
  ASSERT_EQ(lines.size(), count) << file;
  for (const std::string& line : lines) {
    std::size_t at = 0;
    for (const Field& f : fields) {
      const std::size_t end = line.find(' ', line.find_first_not_of(' ', at));
      ASSERT_NE(end, std::string::npos) << file << ": " << line;
      const std::string text = line.substr(at, end - at);
      EXPECT_GE(text.size(), static_cast<std::size_t>(f.width)) << file << ": " << line;
      if (text.size() > static_cast<std::size_t>(f.width)) {
        EXPECT_NE(text[0], ' ') << "padded beyond its width: " << file << ": " << line;
      }
      EXPECT_TRUE(std::regex_match(text, f.style == 'e' ? e_field : g_field)) << file << ": [" << text << "]";
      at = end + 1;
    }
    EXPECT_EQ(line.substr(at), tail) << file << ": " << line;
  }
}

struct OutputLayout {
  std::string name;
  std::size_t lines;
  std::vector<Field> fields;
  std::string tail;  // blanks after the last field's own
};

// Every result file of a complete run whose channels were transformed with m1 and m2 lines and
// whose two-sided spectra have `limit` lines.
inline std::vector<OutputLayout> output_layouts(std::size_t m1, std::size_t m2, std::size_t limit) {
  const std::vector<Field> e3 = {{15, 'e'}, {15, 'e'}, {15, 'e'}};
  const std::vector<Field> e2 = {{15, 'e'}, {15, 'e'}};
  const std::vector<Field> g3 = {{12, 'g'}, {12, 'g'}, {12, 'g'}};
  const std::vector<Field> g2 = {{12, 'g'}, {12, 'g'}};
  std::vector<OutputLayout> files;
  for (const auto& [c, m] : {std::pair{"1", m1}, std::pair{"2", m2}}) {
    files.push_back({std::string("fft_") + c + ".out", m, e3, ""});
    files.push_back({std::string("fft_half_") + c + ".out", m, e2, ""});
    files.push_back({std::string("fft_full_") + c + ".out", m / 2, e2, ""});
  }
  for (const char* s : {"sab", "sba", "saa", "sbb"})
    files.push_back({std::string("cross_spectrum_") + s + ".out", limit, g3, ""});
  for (const char* g : {"gab", "gba", "gaa", "gbb"})
    files.push_back({std::string("cross_spectrum_") + g + ".out", limit / 2, g3, ""});
  for (const char* h : {"H1.out", "H2.out", "H1_mp.out", "H2_mp.out"})
    files.push_back({h, limit / 2, g3, ""});
  files.push_back({"coherence.out", limit / 2, g2, ""});
  files.push_back({"complex_impulse_h1.out", m2, e3, ""});
  files.push_back({"impulse_h1.out", m2, e2, " "});  // two blanks before the line end
  files.push_back({"temp2.out", 0, {}, ""});
  return files;
}

}  // namespace vibfrf::testing
