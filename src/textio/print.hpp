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

// How one conversion is written. The three conversions of the tables have kinds of their own,
// their width and precision built in.
enum class Conversion : unsigned char { e_15_6, g_12_4, g_12_5, e, g, integer, text };

// Literal text. One of up to 16 characters is held again in a block padded with zeros, so that
// it is copied as one fixed-size block.
struct Literal {
  const char* text = nullptr;
  std::size_t length = 0;
  std::array<char, 16> block{};
};

// A conversion and the literal text after it.
struct Field {
  Conversion conversion = Conversion::text;
  int width = 0;
  int precision = 6;
  Literal after;
};

// One argument, held as the kind its conversion reads (the format has checked the kinds).
union Arg {
  double floating;
  long integer;
  struct {
    const char* data;
    std::size_t size;
  } text;
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
    const std::string_view text(v);
    a.text = {text.data(), text.size()};
  }
  return a;
}

// Called only from constant evaluation, where reaching it makes the format a compile error.
void format_error(const char* why);

consteval Conversion conversion_of(char letter, int width, int precision) {
  if (letter == 'e') return width == 15 && precision == 6 ? Conversion::e_15_6 : Conversion::e;
  if (letter == 'g' && width == 12 && precision == 4) return Conversion::g_12_4;
  if (letter == 'g' && width == 12 && precision == 5) return Conversion::g_12_5;
  if (letter == 'g') return Conversion::g;
  return letter == 'd' ? Conversion::integer : Conversion::text;
}

// Writes the leading literal, then each field with its argument. `line_room` is the most that
// one print of the format can write when it has no %s (its literals, max_number_chars for each
// number, and 16 to spare for the block copies); 0 when it has a %s, whose text has no bound.
void print_fields(Stream& out, const Literal& lead, const Field* fields, std::size_t count,
                  const Arg* args, std::size_t line_room);

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
        detail::Literal& literal = arg == 0 ? lead_ : fields_[arg - 1].after;
        literal = {text + start, i - start};
        for (std::size_t k = 0; k < literal.length && k < literal.block.size(); ++k)
          literal.block[k] = text[start + k];
        line_room_ += literal.length;
        continue;
      }
      ++i;
      int width = 0;
      int precision = 6;
      while (i < end && text[i] >= '0' && text[i] <= '9') width = width * 10 + (text[i++] - '0');
      if (i < end && text[i] == '.') {
        ++i;
        precision = 0;
        while (i < end && text[i] >= '0' && text[i] <= '9')
          precision = precision * 10 + (text[i++] - '0');
      }
      if (i < end && text[i] == 'l') ++i;  // %ld: every integer is printed from a long
      if (i == end) detail::format_error("conversion without a letter");
      const char letter = text[i++];
      if (width > max_width || precision > max_precision)
        detail::format_error("width or precision too large");
      if (arg >= sizeof...(Args)) detail::format_error("more conversions than arguments");
      const detail::ArgKind k = kinds[arg];
      switch (letter) {
        case 'e':
        case 'g':
          if (k != detail::ArgKind::floating) detail::format_error("%e and %g take a floating value");
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
      fields_[arg++] = {detail::conversion_of(letter, width, precision), width, precision, {}};
      line_room_ += max_number_chars;
    }
    if (arg != sizeof...(Args)) detail::format_error("more arguments than conversions");
    line_room_ = has_text_ || line_room_ + 16 > Stream::buffer_size ? 0 : line_room_ + 16;
  }

  const detail::Literal& lead() const { return lead_; }
  const detail::Field* fields() const { return fields_.data(); }
  std::size_t line_room() const { return line_room_; }

 private:
  detail::Literal lead_;  // the text before the first conversion
  std::array<detail::Field, sizeof...(Args) + 1> fields_{};
  std::size_t line_room_ = 0;
  bool has_text_ = false;
};

// Writes the formatted text to `out`. Throws FileError when a file stream cannot be written.
template <class... Args>
void print(Stream& out, const PrintFormat<std::decay_t<Args>...>& format, const Args&... args) {
  const detail::Arg packed[] = {detail::make_arg(args)..., detail::Arg{}};
  detail::print_fields(out, format.lead(), format.fields(), sizeof...(Args), packed,
                       format.line_room());
  out.end_of_print();
}

}  // namespace vibfrf::textio
