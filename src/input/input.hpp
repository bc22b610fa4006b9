// The input stages: reading one channel's time history and conditioning it.
#pragma once

namespace vibfrf {

// Reads the time history open in slot 1 into the real parts of `work` in two passes (count, then
// load), chooses the transform length `m` and `nstages`, sets `ns`, and prints the record's
// statistics, setting `ave`, `dt` and `df`. Closes slot 1 on every path. Throws textio::FileError
// when a read failed (the pass that met it stops there).
void read_time_history();

// Subtracts `ave` from the real parts of the first `m` entries of `work`.
void mean_removal();

// Weights the real parts of the first `m` entries of `work` with the Hann window over `ns`
// points, scaled by sqrt(8/3).
void hanning_window();

}  // namespace vibfrf
