// print(stream, "%15.6e %15.6e \n", f, a): formatted writing with C's printf conventions for the
// conversions the program uses (%W.Pe, %W.Pg, %d, %ld, %s; see format.hpp). The format is parsed
// and checked against the argument types when the program is compiled, so a wrong conversion is a
// compile error, and printing does no parsing and no allocation.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
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

// Literal text: where it starts in the format and its length; one of up to 8 characters is held
// again in a word, so that it is written with one store.
struct Literal {
  std::uint64_t word = 0;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// A conversion and the literal text after it.
struct Field {
  Literal after;
  Conversion conversion = Conversion::text;
  std::uint8_t width = 0;
  std::uint8_t precision = 6;
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

// Writes the leading literal, then each field with its argument; the literals' text is read from
// `text`, the format. `line_room` is the most that one print of the format can write when it has
// no %s (its literals, max_number_chars for each number, and 8 to spare for the word stores); 0
// when it has a %s, whose text has no bound.
void print_fields(Stream& out, const char* text, const Literal& lead, const Field* fields,
                  std::size_t count, const Arg* args, std::size_t line_room);

}  // namespace detail

// A format, parsed and checked when the program is compiled. The object is small and has no
// zeros to fill, so that the copy that each call site builds on its stack is a few stores.
template <class... Args>
class PrintFormat {
 public:
  template <std::size_t N>
  consteval PrintFormat(const char (&text)[N]) : text_(text) {  // NOLINT: implicit from a literal
    constexpr detail::ArgKind kinds[] = {detail::kind_of<Args>()..., detail::ArgKind::text};
    std::size_t arg = 0;
    std::size_t i = 0;
    std::size_t room = 0;
    bool has_text = false;
    const std::size_t end = N - 1;
    while (i < end) {
      if (text[i] != '%') {
        const std::size_t start = i;
        while (i < end && text[i] != '%') ++i;
        detail::Literal& literal = arg == 0 ? lead_ : fields_[arg - 1].after;
        literal = {0, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(i - start)};
        for (std::size_t k = 0; k < literal.length && k < 8; ++k)
          literal.word |= std::uint64_t{static_cast<unsigned char>(text[start + k])} << (8 * k);
        room += literal.length;
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
          has_text = true;
          break;
        default:
          detail::format_error("unsupported conversion");
      }
      fields_[arg++] = {{}, detail::conversion_of(letter, width, precision),
                        static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(precision)};
      room += max_number_chars;
    }
    if (arg != sizeof...(Args)) detail::format_error("more arguments than conversions");
    line_room_ = has_text || room + 8 > Stream::buffer_size ? 0 : room + 8;
  }

  const char* text() const { return text_; }
  const detail::Literal& lead() const { return lead_; }
  const detail::Field* fields() const { return fields_.data(); }
  std::size_t line_room() const { return line_room_; }

 private:
  const char* text_;
  detail::Literal lead_;  // the text before the first conversion
  std::array<detail::Field, sizeof...(Args) == 0 ? 1 : sizeof...(Args)> fields_{};
  std::size_t line_room_ = 0;
};

// Writes the formatted text to `out`. Throws FileError when a file stream cannot be written.
template <class... Args>
void print(Stream& out, const PrintFormat<std::decay_t<Args>...>& format, const Args&... args) {
  const detail::Arg packed[] = {detail::make_arg(args)..., detail::Arg{}};
  detail::print_fields(out, format.text(), format.lead(), format.fields(), sizeof...(Args), packed,
                       format.line_room());
  out.end_of_print();
}

}  // namespace vibfrf::textio
