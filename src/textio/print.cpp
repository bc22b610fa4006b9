#include "textio/print.hpp"

#include <bit>
#include <cstdint>
#include <cstring>

#include "textio/reference_route.hpp"
#include <stdexcept>

namespace vibfrf::textio::detail {

void format_error(const char* why) { throw std::logic_error(why); }

namespace {

// One piece at a time, each reserving its own room: for formats with a %s.
void print_piecewise(Stream& out, const Piece* pieces, std::size_t count, const Arg* args) {
  for (std::size_t i = 0; i < count; ++i) {
    const Piece& p = pieces[i];
    switch (p.conversion) {
      case 0:
        out.write(p.text, p.length);
        break;
      case 's':
        out.write(args->text);
        ++args;
        break;
      default: {
        char* at = out.reserve(max_number_chars);
        if (p.conversion == 'e') at = put_e(at, args->floating, p.width, p.precision);
        if (p.conversion == 'g') at = put_g(at, args->floating, p.width, p.precision);
        if (p.conversion == 'd') at = put_long(at, args->integer, p.width);
        out.commit(at);
        ++args;
      }
    }
  }
}

// The texts of numbers printed lately. A line of one table often repeats a number that a line
// of another has just printed (the frequency or the time heads the lines of up to five files),
// and copying its text back is cheaper than converting it again. Sixteen entries, each chosen by
// a hash of the value's bits, keyed by the bits and the conversion.
struct RecentNumber {
  std::uint64_t bits = 0;
  NumberWriter writer = nullptr;
  int shape = 0;  // width and precision
  int length = 0;
  char text[48] = {};  // the text, then whatever the conversion left behind it
};
RecentNumber recent[16];

// One number at `at`, which has room for max_number_chars bytes.
inline char* write_number(char* at, const Piece& p, double v) {
  static_assert(sizeof RecentNumber::text <= max_number_chars && max_width < 48);
  if (reference_route != nullptr) [[unlikely]]  // the test's conversions, never remembered
    return p.writer(at, v, p.width, p.precision);
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  const int shape = p.width * 64 + p.precision;
  RecentNumber& r = recent[(bits * 0x9E3779B97F4A7C15ULL) >> 60];
  if (r.bits == bits && r.writer == p.writer && r.shape == shape) {
    std::memcpy(at, r.text, sizeof r.text);
    return at + r.length;
  }
  char* const end = p.writer(at, v, p.width, p.precision);
  r.bits = bits;
  r.writer = p.writer;
  r.shape = shape;
  r.length = static_cast<int>(end - at);
  std::memcpy(r.text, at, sizeof r.text);
  return end;
}

}  // namespace

// The usual case, a table line: room for the whole line is reserved once, and each piece is
// written straight into the buffer, a short literal as one 16-byte copy.
void print_pieces(Stream& out, const Piece* pieces, std::size_t count, const Arg* args,
                  std::size_t line_room) {
  if (line_room == 0) {
    print_piecewise(out, pieces, count, args);
    return;
  }
  char* at = out.reserve(line_room);
  for (std::size_t i = 0; i < count; ++i) {
    const Piece& p = pieces[i];
    switch (p.conversion) {
      case 0:
        if (p.length <= p.short_text.size()) {
          std::memcpy(at, p.short_text.data(), p.short_text.size());
        } else {
          std::memcpy(at, p.text, p.length);
        }
        at += p.length;
        break;
      case 'e':
      case 'g':
        at = write_number(at, p, args++->floating);
        break;
      default:  // 'd'
        at = put_long(at, args++->integer, p.width);
    }
  }
  out.commit(at);
}

}  // namespace vibfrf::textio::detail
