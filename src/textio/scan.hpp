// scan(stream, " %lf %f ", &t, &x): formatted reading with the rules of C's scanf for what the
// program reads: %d, %lf, %f, %s, and white space in the format, which skips any white space.
// A number is what scanf reads: an optional sign ('+' too), digits with an optional point and an
// optional exponent, "inf", "infinity" and "nan" in any case, and hexadecimal floating notation;
// it is converted with correct rounding, %f straight to float. As with scanf, the characters a
// failed conversion had already taken are gone and the one that stopped it stays unread, so
// "abc" stays for the next read and "1.5" read with %d yields 1 and leaves ".5".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "textio/stream.hpp"

namespace vibfrf::textio {

// What scan() returns when the input ended before the first conversion.
inline constexpr int scan_eof = -1;

// The single conversions, for callers that read one item.
enum class ScanStatus {
  assigned,  // the item was read and stored
  mismatch,  // the text there is not such an item; nothing was stored
  ended,     // the input ended before the item began
};
void skip_space(Stream& in);
ScanStatus read_double(Stream& in, double& out);
ScanStatus read_float(Stream& in, float& out);
ScanStatus read_int(Stream& in, int& out);
// One word: everything up to the next white space, however long.
ScanStatus read_word(Stream& in, std::string& out);

// The value of the longest prefix of `text` that C's strtod (strtof) would convert; false when
// there is none. `text` is one number as scanf delimits it, sign included.
bool number_prefix_value(std::string_view text, double& out);
bool number_prefix_value(std::string_view text, float& out);

namespace detail {

enum class Directive : unsigned char { space, int_value, double_value, float_value, word };

void scan_format_error(const char* why);  // reached only in constant evaluation

template <class T>
consteval Directive directive_for() {
  if constexpr (std::is_same_v<T, int*>) return Directive::int_value;
  if constexpr (std::is_same_v<T, double*>) return Directive::double_value;
  if constexpr (std::is_same_v<T, float*>) return Directive::float_value;
  if constexpr (std::is_same_v<T, std::string*>) return Directive::word;
  return Directive::space;  // not a target type; rejected by the format check
}

constexpr bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline ScanStatus read_item(Stream& in, int* target) { return read_int(in, *target); }
inline ScanStatus read_item(Stream& in, double* target) { return read_double(in, *target); }
inline ScanStatus read_item(Stream& in, float* target) { return read_float(in, *target); }
inline ScanStatus read_item(Stream& in, std::string* target) { return read_word(in, *target); }

}  // namespace detail

// A format, checked against the targets' types when the program is compiled. Every conversion it
// allows skips the white space before its item, as scanf's do, so white space between conversions
// changes nothing; only white space at the end of the format does something of its own.
template <class... Ptrs>
class ScanFormat {
 public:
  template <std::size_t N>
  consteval ScanFormat(const char (&text)[N]) {  // NOLINT: implicit from a string literal
    constexpr detail::Directive wanted[] = {detail::directive_for<Ptrs>()...,
                                            detail::Directive::space};
    std::size_t arg = 0;
    for (std::size_t i = 0; i + 1 < N;) {
      if (detail::is_space(text[i])) {
        while (i + 1 < N && detail::is_space(text[i])) ++i;
        ends_with_space_ = true;
        continue;
      }
      if (text[i] != '%') detail::scan_format_error("literal text is not supported");
      ++i;
      const bool is_long = i + 1 < N && text[i] == 'l';
      if (is_long) ++i;
      detail::Directive d = detail::Directive::space;
      if (i + 1 < N && text[i] == 'd' && !is_long) d = detail::Directive::int_value;
      if (i + 1 < N && text[i] == 'f') d = is_long ? detail::Directive::double_value
                                                   : detail::Directive::float_value;
      if (i + 1 < N && text[i] == 's' && !is_long) d = detail::Directive::word;
      if (d == detail::Directive::space) detail::scan_format_error("unsupported conversion");
      ++i;
      if (arg >= sizeof...(Ptrs) || wanted[arg] != d)
        detail::scan_format_error("conversion does not match its target");
      ++arg;
      ends_with_space_ = false;
    }
    if (arg != sizeof...(Ptrs)) detail::scan_format_error("more targets than conversions");
  }
  // Whether the format ends with white space, which skips any white space after the last item.
  bool ends_with_space() const { return ends_with_space_; }

 private:
  bool ends_with_space_ = false;
};

// Returns the number of items assigned, or scan_eof when the input ended before the first one.
// The conversions run in order and stop at the first that fails.
template <class... Ptrs>
int scan(Stream& in, std::type_identity_t<ScanFormat<Ptrs...>> format, Ptrs... targets) {
  int assigned = 0;
  ScanStatus status = ScanStatus::assigned;
  const bool all_assigned =
      (((status = detail::read_item(in, targets)) == ScanStatus::assigned && (++assigned, true)) &&
       ...);
  if (!all_assigned) return status == ScanStatus::ended && assigned == 0 ? scan_eof : assigned;
  if (format.ends_with_space()) skip_space(in);
  return assigned;
}

}  // namespace vibfrf::textio
