// The fuzz regression run: one target over every file of the corpus folders (or files) it is
// given, in name order. A failed check aborts with its message; an empty corpus is an error too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int k = 1; k < argc; ++k) {
    const fs::path where = fs::absolute(argv[k]);  // the dialogue target changes directory
    if (!fs::is_directory(where)) {
      inputs.push_back(where);
      continue;
    }
    for (const auto& entry : fs::directory_iterator(where))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    std::printf("%s\n", input.filename().c_str());
    std::fflush(stdout);
    const std::string bytes = vibfrf::fuzz::read_bytes(input);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu passed, 0 failed\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
