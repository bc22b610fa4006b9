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

// The table layouts, in which nothing comes before the first field and every field is one table
// conversion followed by up to 8 characters, have loops of their own.
enum class Layout : unsigned char { any, e_15_6, g_12_4, g_12_5_then_g_12_4 };

// What print_fields needs of a format besides its fields.
struct FormatHead {
  const char* text = nullptr;  // the format, where the literals are read from
  Literal lead;                // the text before the first conversion
  // The most that one print can write when the format has no %s: its literals,
  // max_number_chars for each number, and 8 to spare for the word stores; 0 when it has a %s,
  // whose text has no bound.
  std::uint32_t line_room = 0;
  std::uint16_t count = 0;  // of fields
  Layout layout = Layout::any;
};

// Writes the leading literal, then each field with its argument.
void print_fields(Stream& out, const FormatHead& head, const Field* fields, const Arg* args);

consteval Layout layout_of(const FormatHead& head, const Field* fields) {
  if (head.line_room == 0 || head.lead.length != 0 || head.count == 0) return Layout::any;
  bool all_short = true, all_e = true, all_g4 = true, rest_g4 = true;
  for (std::size_t i = 0; i < head.count; ++i) {
    all_short = all_short && fields[i].after.length <= 8;
    all_e = all_e && fields[i].conversion == Conversion::e_15_6;
    all_g4 = all_g4 && fields[i].conversion == Conversion::g_12_4;
    rest_g4 = rest_g4 && (i == 0 || fields[i].conversion == Conversion::g_12_4);
  }
  if (!all_short) return Layout::any;
  if (all_e) return Layout::e_15_6;
  if (all_g4) return Layout::g_12_4;
  if (rest_g4 && fields[0].conversion == Conversion::g_12_5) return Layout::g_12_5_then_g_12_4;
  return Layout::any;
}

}  // namespace detail

// A format, parsed and checked when the program is compiled. The object is small and has no
// zeros to fill, so that the copy that each call site builds on its stack is a few stores.
template <class... Args>
class PrintFormat {
 public:
  template <std::size_t N>
  consteval PrintFormat(const char (&text)[N]) {  // NOLINT: implicit from a string literal
    head_.text = text;
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
        detail::Literal& literal = arg == 0 ? head_.lead : fields_[arg - 1].after;
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
    head_.line_room = has_text || room + 8 > Stream::buffer_size ? 0 : static_cast<std::uint32_t>(room + 8);
    head_.count = sizeof...(Args);
    head_.layout = detail::layout_of(head_, fields_.data());
  }

  const detail::FormatHead& head() const { return head_; }
  const detail::Field* fields() const { return fields_.data(); }

 private:
  detail::FormatHead head_;
  std::array<detail::Field, sizeof...(Args) == 0 ? 1 : sizeof...(Args)> fields_{};
};

// Writes the formatted text to `out`. Throws FileError when a file stream cannot be written.
template <class... Args>
void print(Stream& out, const PrintFormat<std::decay_t<Args>...>& format, const Args&... args) {
  const detail::Arg packed[] = {detail::make_arg(args)..., detail::Arg{}};
  detail::print_fields(out, format.head(), format.fields(), packed);
  out.end_of_print();
}

}  // namespace vibfrf::textio
