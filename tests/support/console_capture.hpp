// Points the program's console at memory for the lifetime of the object: what the code under
// test reads comes from a given text, what it prints is collected.
#pragma once

#include <string>
#include <string_view>

#include "textio/console.hpp"

namespace vibfrf::testing {

class ConsoleCapture {
 public:
  explicit ConsoleCapture(std::string input = {}) : input_(std::move(input)) {
    textio::use_memory_console(input_, output_);
  }
  ~ConsoleCapture() { textio::use_standard_console(); }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  // Everything printed so far.
  const std::string& text() {
    textio::console_out().flush();
    return output_;
  }

 private:
  std::string input_;
  std::string output_;
};

}  // namespace vibfrf::testing
