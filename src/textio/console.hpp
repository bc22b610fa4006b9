// The console: standard input and output as streams, and the final key press.
#pragma once

#include <string>
#include <string_view>

#include "textio/stream.hpp"

namespace vibfrf::textio {

// Standard output. On a terminal every print is shown at once; otherwise it is written in
// whole buffers, and always before the program waits for input.
Stream& console_out();
// Standard input. Reading it flushes console_out() first, so a prompt is seen before the wait.
Stream& console_in();

// Points the console at memory: input read from `input` (which must outlive the use), output
// appended to `output`. For tests and fuzzing; use_standard_console() goes back.
void use_memory_console(std::string_view input, std::string& output);
void use_standard_console();

// Waits for one key pressed at the controlling terminal, read without echo and without waiting
// for Enter; keys typed before the wait began do not count. The terminal's settings are restored
// afterwards. Returns at once when the process has no terminal or runs in the background.
void wait_for_key();

}  // namespace vibfrf::textio
