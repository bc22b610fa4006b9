#include "textio/format_fast.hpp"

#include "textio/format.hpp"
#include "textio/format_digits.hpp"
#include "textio/format_table.hpp"
#include "textio/reference_route.hpp"

namespace vibfrf::textio {

using detail::fast::is_finite;
using detail::fast::put_e_digits;
using detail::fast::put_g_digits;

// Every byte up to max_number_chars past `out` may be written; the text ends at the pointer
// returned. The conversions the program's tables use have their own instances, with the width a
// constant; the others share one instance per precision.
char* try_put_e_fast(char* out, double v, int width, int precision) {
  if (!is_finite(v)) return nullptr;
  if (width == 15 && precision == 6) return detail::fast::table_e_15_6(out, v);
  switch (precision + 1) {
    case 1: return put_e_digits<1>(out, v, width);
    case 2: return put_e_digits<2>(out, v, width);
    case 3: return put_e_digits<3>(out, v, width);
    case 4: return put_e_digits<4>(out, v, width);
    case 5: return put_e_digits<5>(out, v, width);
    case 6: return put_e_digits<6>(out, v, width);
    case 7: return put_e_digits<7>(out, v, width);
    case 8: return put_e_digits<8>(out, v, width);
    case 9: return put_e_digits<9>(out, v, width);
    default: return nullptr;
  }
}

char* try_put_g_fast(char* out, double v, int width, int precision) {
  if (!is_finite(v)) return nullptr;
  if (width == 12 && precision == 4) return detail::fast::table_g_12_4(out, v);
  if (width == 12 && precision == 5) return detail::fast::table_g_12_5(out, v);
  switch (precision) {
    case 0:  // %.0g shows one digit, as %.1g does
    case 1: return put_g_digits<1>(out, v, width);
    case 2: return put_g_digits<2>(out, v, width);
    case 3: return put_g_digits<3>(out, v, width);
    case 4: return put_g_digits<4>(out, v, width);
    case 5: return put_g_digits<5>(out, v, width);
    case 6: return put_g_digits<6>(out, v, width);
    case 7: return put_g_digits<7>(out, v, width);
    case 8: return put_g_digits<8>(out, v, width);
    case 9: return put_g_digits<9>(out, v, width);
    default: return nullptr;
  }
}

// put_e and put_g live here, so that the fast path is inlined into them.
char* put_e(char* out, double v, int width, int precision) {
  if (detail::reference_route != nullptr) [[unlikely]]
    return detail::reference_route->put_e(out, v, width, precision);
  char* end = try_put_e_fast(out, v, width, precision);
  return end != nullptr ? end : put_e_reference(out, v, width, precision);
}

char* put_g(char* out, double v, int width, int precision) {
  if (detail::reference_route != nullptr) [[unlikely]]
    return detail::reference_route->put_g(out, v, width, precision);
  char* end = try_put_g_fast(out, v, width, precision);
  return end != nullptr ? end : put_g_reference(out, v, width, precision);
}

namespace detail {

const ReferenceRoute* reference_route = nullptr;

}  // namespace detail

void set_reference_route_for_tests(const ReferenceRoute* route) { detail::reference_route = route; }

}  // namespace vibfrf::textio
