// The transform stages: the reordering, the forward transform with the channel's spectrum files,
// and the inverse transform with the impulse-response files.
#pragma once

namespace vibfrf {

// Puts the first `m` entries of `work` into bit-reversed order.
void reorder();

// The forward transform of the reordered record in `work`, divided by m; channel 2 turned into
// displacement, the high-pass and the cleared DC line applied; written to slots 2, 3 and 4.
void ctfourier();

// The inverse transform (not divided by m) of the reordered H1 in `work`, with line 0 cleared
// and the last lines tapered; written to slots 2 and 3.
void inverse_fourier();

}  // namespace vibfrf
