// print(stream, "%15.6e %15.6e \n", f, a): formatted writing with C's printf conventions for the
// conversions the program uses (%W.Pe, %W.Pg, %d, %ld, %s; see format.hpp). The format is parsed
// and checked against the argument types when the program is compiled, so a wrong conversion is a
// compile error, and printing does no parsing and no allocation.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "textio/format.hpp"
#include "textio/stream.hpp"

namespace vibfrf::textio {
namespace detail {

enum class ArgKind : unsigned char { floating, integer, text };

struct Piece {
  const char* text = nullptr;  // literal text, when conversion is 0
  std::size_t length = 0;
  // A literal of up to 16 characters again, padded with zeros, so that it is copied as one
  // fixed-size block.
  std::array<char, 16> short_text{};
  char conversion = 0;  // 'e', 'g', 'd' (also %ld) or 's'
  int width = 0;
  int precision = 6;
  NumberWriter writer = nullptr;  // for 'e' and 'g'
};

// One argument, held by the kind its conversion reads (the format has checked the kinds).
struct Arg {
  double floating = 0.0;
  long integer = 0;
  std::string_view text;
};

template <class T>
consteval ArgKind kind_of() {
  if constexpr (std::is_floating_point_v<T>) {
    return ArgKind::floating;
  } else if constexpr (std::is_integral_v<T>) {
    return ArgKind::integer;
  } else {
    static_assert(std::is_convertible_v<T, std::string_view>, "unsupported print argument");
    return ArgKind::text;
  }
}

template <class T>
Arg make_arg(const T& v) {
  Arg a;
  if constexpr (std::is_floating_point_v<T>) {
    a.floating = static_cast<double>(v);
  } else if constexpr (std::is_integral_v<T>) {
    a.integer = static_cast<long>(v);
  } else {
    a.text = std::string_view(v);
  }
  return a;
}

// Called only from constant evaluation, where reaching it makes the format a compile error.
void format_error(const char* why);

// Writes the pieces. `line_room` is the most that one print of the format can write when it has
// no %s (its literals, max_number_chars for each number, and 16 to spare for the block copies);
// 0 when it has a %s, whose text has no bound.
void print_pieces(Stream& out, const Piece* pieces, std::size_t count, const Arg* args,
                  std::size_t line_room);

}  // namespace detail

template <class... Args>
class PrintFormat {
 public:
  template <std::size_t N>
  consteval PrintFormat(const char (&text)[N]) {  // NOLINT: implicit from a string literal
    constexpr detail::ArgKind kinds[] = {detail::kind_of<Args>()..., detail::ArgKind::text};
    std::size_t arg = 0;
    std::size_t i = 0;
    const std::size_t end = N - 1;
    while (i < end) {
      if (text[i] != '%') {
        const std::size_t start = i;
        while (i < end && text[i] != '%') ++i;
        detail::Piece literal{text + start, i - start};
        for (std::size_t k = 0; k < literal.length && k < literal.short_text.size(); ++k)
          literal.short_text[k] = text[start + k];
        add(literal);
        line_room_ += literal.length;
        continue;
      }
      detail::Piece p;
      ++i;
      while (i < end && text[i] >= '0' && text[i] <= '9') p.width = p.width * 10 + (text[i++] - '0');
      if (i < end && text[i] == '.') {
        ++i;
        p.precision = 0;
        while (i < end && text[i] >= '0' && text[i] <= '9')
          p.precision = p.precision * 10 + (text[i++] - '0');
      }
      if (i < end && text[i] == 'l') ++i;  // %ld: every integer is printed from a long
      if (i == end) detail::format_error("conversion without a letter");
      p.conversion = text[i++];
      if (p.width > max_width || p.precision > max_precision)
        detail::format_error("width or precision too large");
      if (arg >= sizeof...(Args)) detail::format_error("more conversions than arguments");
      const detail::ArgKind k = kinds[arg++];
      switch (p.conversion) {
        case 'e':
        case 'g':
          if (k != detail::ArgKind::floating) detail::format_error("%e and %g take a floating value");
          p.writer = number_writer(p.conversion, p.width, p.precision);
          break;
        case 'd':
          if (k != detail::ArgKind::integer) detail::format_error("%d takes an integer");
          break;
        case 's':
          if (k != detail::ArgKind::text) detail::format_error("%s takes a text");
          has_text_ = true;
          break;
        default:
          detail::format_error("unsupported conversion");
      }
      add(p);
      line_room_ += max_number_chars;
    }
    if (arg != sizeof...(Args)) detail::format_error("more arguments than conversions");
    line_room_ = has_text_ || line_room_ + 16 > Stream::buffer_size ? 0 : line_room_ + 16;
  }

  const detail::Piece* pieces() const { return pieces_.data(); }
  std::size_t count() const { return count_; }
  std::size_t line_room() const { return line_room_; }

 private:
  consteval void add(detail::Piece p) {
    if (count_ == pieces_.size()) detail::format_error("too many literal pieces");
    pieces_[count_++] = p;
  }
  std::array<detail::Piece, 2 * sizeof...(Args) + 1> pieces_{};
  std::size_t count_ = 0;
  std::size_t line_room_ = 0;
  bool has_text_ = false;
};

// Writes the formatted text to `out`. Throws FileError when a file stream cannot be written.
template <class... Args>
void print(Stream& out, const PrintFormat<std::decay_t<Args>...>& format, const Args&... args) {
  const std::array<detail::Arg, sizeof...(Args) + 1> packed{detail::make_arg(args)...};
  detail::print_pieces(out, format.pieces(), format.count(), packed.data(), format.line_room());
  out.end_of_print();
}

}  // namespace vibfrf::textio
