// FOR TESTS ONLY: a switch that sends every %e and %g conversion the program prints, and every
// floating-point number it scans, through other functions instead of its own fast conversions.
// The byte-identity test (tests/e2e/byte_identity_test.cpp) sets it to deliberately simple
// conversions (snprintf and strtod) and checks that a run gives the same bytes either way. The
// program never sets it; while it is unset, each conversion pays one load and one branch that is
// always predicted.
#pragma once

#include "textio/scan.hpp"
#include "textio/stream.hpp"

namespace vibfrf::textio {

struct ReferenceRoute {
  char* (*put_e)(char* out, double v, int width, int precision);
  char* (*put_g)(char* out, double v, int width, int precision);
  ScanStatus (*read_double)(Stream& in, double& out);
  ScanStatus (*read_float)(Stream& in, float& out);
};

// Sets the route, or takes it away with nullptr. `route` must outlive its use.
void set_reference_route_for_tests(const ReferenceRoute* route);

namespace detail {
extern const ReferenceRoute* reference_route;  // nullptr: the program's own conversions
}

}  // namespace vibfrf::textio
