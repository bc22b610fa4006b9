// The analysis driver and the channel file set-up.
#pragma once

#include <exception>

namespace vibfrf {

// Standard input ended where a file name was expected: the run cannot go on.
struct InputEnded : std::exception {
  const char* what() const noexcept override { return "standard input ended"; }
};

// The whole run on the console: banner, questions, both channels, the cross-spectral and
// impulse-response stages, the summary and the final key press. Returns the exit status:
// 0 after a complete run, 1 when standard input ended where a file name was expected, 2 when an
// output file could not be opened or written, or a file could not be read.
int run_analysis();

// The same run up to and including both channels' file set-up, each channel's files closed again
// as soon as they are open, for fuzzing the dialogue. Returns the status the whole run would have
// when it stops there, and 0 when both channels' files were set up.
int run_dialogue_and_file_setup();

// Asks for the current channel's input file until one can be read, then opens the channel's
// three spectrum files and reports the four opens. Throws InputEnded, or textio::FileError when
// a spectrum file cannot be opened.
void open_channel_files();

}  // namespace vibfrf
