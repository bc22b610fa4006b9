#include "textio/scan.hpp"

#include "textio/reference_route.hpp"
#include "textio/scan_decimal.hpp"

#include <bit>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vibfrf::textio {
namespace {

constexpr int end_mark = Stream::end_of_input;

constexpr bool is_digit(int c) { return c >= '0' && c <= '9'; }
constexpr bool is_hex_digit(int c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr int lower(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// The lexers below decide which characters a conversion takes, character by character, as
// scanf does with its one character of look-ahead. They run over one of two cursors: straight
// over the bytes in the stream's buffer (the usual case), or byte by byte through the stream,
// collecting the text, when the item may run past the buffer's end.
struct BufferCursor {
  const char* p;
  const char* end;
  bool hit_end = false;
  int peek() {
    if (p == end) {
      hit_end = true;
      return end_mark;
    }
    return static_cast<unsigned char>(*p);
  }
  void take() { ++p; }
};

struct StreamCursor {
  Stream& in;
  std::string& text;
  int peek() { return in.peek(); }
  void take() {
    text.push_back(static_cast<char>(in.peek()));
    in.skip();
  }
};

// Takes the letters of `word` while they match, case-insensitively. A mismatching character is
// taken too before the failure is told: scanf has read it and does not put it back.
template <class Cursor>
bool take_word(Cursor& c, const char* word) {
  for (; *word != 0; ++word) {
    const int ch = c.peek();
    if (ch == end_mark) return false;
    c.take();
    if (lower(ch) != *word) return false;
  }
  return true;
}

// The characters of a floating-point item. False: the item failed already while being read.
// lex_decimal (scan_decimal.cpp) takes the same characters for a decimal number in the buffer;
// the two change together.
template <class Cursor>
bool lex_floating(Cursor& c) {
  std::size_t size = 0;
  bool got_sign = false;
  int ch = c.peek();
  if (ch == '+' || ch == '-') {
    c.take();
    ++size;
    got_sign = true;
    ch = c.peek();
  }
  if (lower(ch) == 'n') {
    c.take();
    return take_word(c, "an");
  }
  if (lower(ch) == 'i') {
    c.take();
    if (!take_word(c, "nf")) return false;
    if (lower(c.peek()) == 'i') {
      c.take();
      return take_word(c, "nity");
    }
    return true;  // "inf" not followed by "inity"
  }
  bool hex = false;
  bool got_digit = false;
  bool got_dot = false;
  bool got_e = false;
  bool last_was_e = false;
  int exp_char = 'e';
  if (ch == '0') {
    c.take();
    ++size;
    ch = c.peek();
    if (lower(ch) == 'x') {
      c.take();
      ++size;
      hex = true;
      exp_char = 'p';
    } else if (ch != end_mark) {
      got_digit = true;
    }
  }
  for (;;) {
    ch = c.peek();
    const bool was_e = last_was_e;
    last_was_e = false;
    if (is_digit(ch) || (hex && !got_e && is_hex_digit(ch))) {
      got_digit = true;
    } else if (was_e && (ch == '+' || ch == '-')) {
      // the exponent's sign
    } else if (got_digit && !got_e && lower(ch) == exp_char) {
      got_e = got_dot = true;
      last_was_e = true;
    } else if (!got_dot && ch == '.') {
      got_dot = true;
    } else {
      break;  // not part of the number: stays unread
    }
    c.take();
    ++size;
  }
  const std::size_t bare = got_sign ? 1 : 0;
  return size != bare && !(hex && size == bare + 2);
}

template <class Cursor>
bool lex_integer(Cursor& c) {
  int ch = c.peek();
  if (ch == '+' || ch == '-') {
    c.take();
    ch = c.peek();
  }
  bool got_digit = false;
  while (is_digit(ch)) {
    c.take();
    got_digit = true;
    ch = c.peek();
  }
  return got_digit;
}

// Runs `lex` over the buffer, or through the stream when the item reaches the buffer's end
// before the input's end. The item's text is left in `text`; the stream is positioned after it.
template <class Lex>
bool lex_item(Stream& in, Lex lex, std::string_view& text) {
  BufferCursor fast{in.read_pos(), in.read_end()};
  const bool ok = lex(fast);
  if (!fast.hit_end || in.ended()) {
    text = std::string_view(in.read_pos(), static_cast<std::size_t>(fast.p - in.read_pos()));
    in.set_read_pos(fast.p);
    return ok;
  }
  std::string& collected = in.scratch();
  collected.clear();
  StreamCursor slow{in, collected};
  const bool slow_ok = lex(slow);
  text = collected;
  return slow_ok;
}

// strtod and strtof, for the rare number whose value lies beyond the type's range (to infinity)
// or below its least subnormal (to zero): std::from_chars reports these without a value.
double strto(const std::string& s, double*) { return std::strtod(s.c_str(), nullptr); }
float strto(const std::string& s, float*) { return std::strtof(s.c_str(), nullptr); }

template <class T>
bool prefix_value(std::string_view text, T& out) {
  const char* p = text.data();
  const char* end = p + text.size();
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  T value{};
  std::from_chars_result r{};
  const bool hex = end - p >= 2 && p[0] == '0' && lower(p[1]) == 'x';
  if (hex) {
    r = std::from_chars(p + 2, end, value, std::chars_format::hex);
    if (r.ec == std::errc::invalid_argument) {
      value = 0;  // only the "0" before the 'x' is a number
      r.ec = std::errc{};
    }
  } else {
    r = std::from_chars(p, end, value, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return false;
  }
  if (r.ec == std::errc::result_out_of_range) {
    value = strto(std::string(p, r.ptr), static_cast<T*>(nullptr));
  }
  out = negative ? -value : value;
  return true;
}

// scanf stores the long that strtol gives (saturated at the range of long) into the int.
int int_value(std::string_view text) {
  std::size_t i = 0;
  const bool negative = text[0] == '-';
  if (text[0] == '-' || text[0] == '+') i = 1;
  unsigned long magnitude = 0;
  const unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1UL : LONG_MAX;
  for (; i < text.size(); ++i) {
    const unsigned long digit = static_cast<unsigned long>(text[i] - '0');
    if (magnitude > (limit - digit) / 10) {
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  const long value = negative ? static_cast<long>(0UL - magnitude) : static_cast<long>(magnitude);
  return static_cast<int>(value);  // keeps the low 32 bits, as the C library's store does
}

// skip_space, with the usual case (the blanks end within the buffer) where the caller can have it
// inlined and so keep the read position in a register.
// Blanks, the usual white space of the tables, are passed eight at a time.
inline void skip_blanks(Stream& in) {
  const char* p = in.read_pos();
  const char* const end = in.read_end();
  while (end - p >= 8) {
    const std::uint64_t not_blank = detail::load_word(p) ^ 0x2020202020202020ULL;
    if (not_blank == 0) {
      p += 8;
      continue;
    }
    p += std::countr_zero(not_blank) / 8;  // the first byte that is not a blank
    if (!detail::is_space(static_cast<unsigned char>(*p))) break;
    ++p;  // a line end or a tab: passed, and on
  }
  while (p != end && detail::is_space(static_cast<unsigned char>(*p))) ++p;
  in.set_read_pos(p);
  if (p == end) skip_space(in);  // refills, when more input can come
}

// Any floating-point item, anywhere: the white space, refilling the buffer as it goes, then a
// decimal number that lies whole in the buffer, then everything else (hexadecimal, "inf" and
// "nan", a number that may go on past the buffer's end). Kept out of line, so that the usual case
// in read_floating does not pay for its registers.
template <class T>
[[gnu::noinline]] ScanStatus read_floating_anywhere(Stream& in, T& out) {
  skip_blanks(in);
  if (in.peek() == end_mark) return ScanStatus::ended;
  const char* const start = in.read_pos();
  const char* p = start;
  detail::DecimalText decimal;
  const detail::DecimalLex kind = detail::lex_decimal(p, in.read_end(), decimal);
  if (kind != detail::DecimalLex::other && (p != in.read_end() || in.ended())) {
    in.set_read_pos(p);
    if (kind == detail::DecimalLex::no_number) return ScanStatus::mismatch;
    if (detail::exact_value(decimal, out)) return ScanStatus::assigned;
    if (decimal.exact && detail::decimal_value(decimal.mantissa, decimal.exponent, out)) {
      if (decimal.negative) out = -out;
      return ScanStatus::assigned;
    }
    const std::string_view taken(start, static_cast<std::size_t>(p - start));
    return prefix_value(taken, out) ? ScanStatus::assigned : ScanStatus::mismatch;
  }
  std::string_view text;
  const bool lexed = lex_item(in, [](auto& c) { return lex_floating(c); }, text);
  if (!lexed) return ScanStatus::mismatch;
  return prefix_value(text, out) ? ScanStatus::assigned : ScanStatus::mismatch;
}

// The usual case: white space and a plain decimal number with plain_room bytes of the buffer
// ahead, read in one pass without checks of the buffer's end.
template <class T>
inline ScanStatus read_floating(Stream& in, T& out) {
  const char* p = in.read_pos();
  if (in.read_end() - p >= detail::plain_room) [[likely]] {
    p = detail::skip_space_in_room(p);
    T value;
    const char* const end = p != nullptr ? detail::scan_plain_decimal(p, value) : nullptr;
    if (end != nullptr) [[likely]] {
      in.set_read_pos(end);
      out = value;
      return ScanStatus::assigned;
    }
  }
  return read_floating_anywhere(in, out);
}

}  // namespace

void skip_space(Stream& in) {
  for (;;) {
    const char* p = in.read_pos();
    const char* end = in.read_end();
    while (p != end && detail::is_space(static_cast<unsigned char>(*p))) ++p;
    in.set_read_pos(p);
    if (p != end) return;
    const int c = in.peek();  // refills the buffer when more input can come
    if (c == end_mark || !detail::is_space(c)) return;
  }
}

bool number_prefix_value(std::string_view text, double& out) { return prefix_value(text, out); }
bool number_prefix_value(std::string_view text, float& out) { return prefix_value(text, out); }

ScanStatus read_double(Stream& in, double& out) {
  if (detail::reference_route != nullptr) [[unlikely]]
    return detail::reference_route->read_double(in, out);
  return read_floating(in, out);
}
ScanStatus read_float(Stream& in, float& out) {
  if (detail::reference_route != nullptr) [[unlikely]]
    return detail::reference_route->read_float(in, out);
  return read_floating(in, out);
}

ScanStatus read_int(Stream& in, int& out) {
  skip_blanks(in);
  if (in.peek() == end_mark) return ScanStatus::ended;
  std::string_view text;
  if (!lex_item(in, [](auto& c) { return lex_integer(c); }, text)) return ScanStatus::mismatch;
  out = int_value(text);
  return ScanStatus::assigned;
}

ScanStatus read_word(Stream& in, std::string& out) {
  skip_blanks(in);
  if (in.peek() == end_mark) return ScanStatus::ended;
  out.clear();
  for (;;) {  // the word's run within the buffer, then the next buffer's, while it goes on
    const char* const begin = in.read_pos();
    const char* const end = in.read_end();
    const char* p = begin;
    while (p != end && !detail::is_space(static_cast<unsigned char>(*p))) ++p;
    out.append(begin, p);
    in.set_read_pos(p);
    if (p != end || in.peek() == end_mark) return ScanStatus::assigned;
  }
}

namespace detail {

void scan_format_error(const char* why) { throw std::logic_error(why); }

}  // namespace detail
}  // namespace vibfrf::textio
