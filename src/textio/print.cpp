#include "textio/print.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "textio/format_table.hpp"
#include "textio/reference_route.hpp"

namespace vibfrf::textio::detail {

void format_error(const char* why) { throw std::logic_error(why); }

namespace {

void write_literal(Stream& out, const char* text, const Literal& literal) {
  if (literal.length != 0) out.write(text + literal.offset, literal.length);
}

// One piece at a time, each reserving its own room: for formats with a %s, and on the test's
// reference route (put_e and put_g take that route themselves).
void print_piecewise(Stream& out, const char* text, const Literal& lead, const Field* fields,
                     std::size_t count, const Arg* args) {
  write_literal(out, text, lead);
  for (std::size_t i = 0; i < count; ++i) {
    const Field& f = fields[i];
    if (f.conversion == Conversion::text) {
      out.write(args[i].text.data, args[i].text.size);
    } else {
      char* at = out.reserve(max_number_chars);
      switch (f.conversion) {
        case Conversion::integer:
          at = put_long(at, args[i].integer, f.width);
          break;
        case Conversion::e_15_6:
        case Conversion::e:
          at = put_e(at, args[i].floating, f.width, f.precision);
          break;
        default:
          at = put_g(at, args[i].floating, f.width, f.precision);
      }
      out.commit(at);
    }
    write_literal(out, text, f.after);
  }
}

// The texts of numbers printed lately by the table conversions, one for each conversion and
// column. A line of one table often repeats a number that a line of another has just printed in
// the same column (the frequency or the time heads the lines of up to five files, and the real
// part of Sab is that of Sba), and copying its text back is cheaper than converting it again. A
// table conversion's text fills its field exactly (the reference text too), so 16 bytes hold it,
// kept as the two words the conversions build: a copy in one 16-byte block of bytes just stored
// as two words would wait for those stores. Every entry starts as the text of 0.0.
struct RecentNumber {
  std::uint64_t bits;
  fast::TableField text;
};

constexpr std::size_t recent_columns = 4;

constexpr fast::TableField field_of(const char (&text)[17]) {
  fast::TableField f{0, 0};
  for (int i = 7; i >= 0; --i) {
    f.low = (f.low << 8) | static_cast<unsigned char>(text[i]);
    f.high = (f.high << 8) | static_cast<unsigned char>(text[i + 8]);
  }
  return f;
}

constexpr auto initial_recent = [] {
  std::array<std::array<RecentNumber, recent_columns>, 3> table{};
  const fast::TableField zeros[3] = {field_of("  0.000000e+000 "), field_of("           0    "),
                                     field_of("           0    ")};
  for (std::size_t c = 0; c < 3; ++c)
    for (RecentNumber& r : table[c]) r = {0, zeros[c]};
  return table;
}();
auto recent = initial_recent;

// One number of a table conversion at `at`, which has room for max_number_chars bytes, in the
// given column of its line.
template <Conversion C>
inline char* put_table_number(char* at, double v, std::size_t column) {
  static_assert(static_cast<int>(C) < 3, "a table conversion");
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  constexpr int width = C == Conversion::e_15_6 ? 15 : 12;
  RecentNumber& r = recent[static_cast<std::size_t>(C)][column % recent_columns];
  if (r.bits == bits) {
    fast::store_field(at, r.text);
    return at + width;
  }
  fast::TableField field;
  bool done;
  if constexpr (C == Conversion::e_15_6) {
    done = fast::table_e_15_6(v, field);
  } else {
    done = fast::table_g_12<C == Conversion::g_12_4 ? 4 : 5>(v, field);
  }
  if (!done) [[unlikely]] {  // inf, nan, or a rounding the fast path cannot tell
    if constexpr (C == Conversion::e_15_6) {
      put_e_reference(at, v, 15, 6);
    } else {
      put_g_reference(at, v, 12, C == Conversion::g_12_4 ? 4 : 5);
    }
    field = {fast::load_word(at), fast::load_word(at + 8)};
  } else {
    fast::store_field(at, field);
  }
  r = {bits, field};
  return at + width;
}

inline char* put_literal(char* at, const char* text, const Literal& literal) {
  if (literal.length <= 8) {
    store_word(at, literal.word);
  } else {
    std::memcpy(at, text + literal.offset, literal.length);
  }
  return at + literal.length;
}

// A literal of up to 8 characters, as the table layouts have.
inline char* put_short_literal(char* at, const Literal& literal) {
  store_word(at, literal.word);
  return at + literal.length;
}

// The fields of a table layout from `first` on, each a conversion C.
template <Conversion C>
inline char* put_table_fields(char* at, const Field* fields, std::size_t first, std::size_t count,
                              const Arg* args) {
  for (std::size_t i = first; i < count; ++i)
    at = put_short_literal(put_table_number<C>(at, args[i].floating, i), fields[i].after);
  return at;
}

}  // namespace

// The usual case, a table line: room for the whole line is reserved once, and each field is
// written straight into the buffer, a short literal as one word.
void print_fields(Stream& out, const FormatHead& head, const Field* fields, const Arg* args) {
  if (head.line_room == 0 || reference_route != nullptr) [[unlikely]] {
    print_piecewise(out, head.text, head.lead, fields, head.count, args);
    return;
  }
  char* at = out.reserve(head.line_room);
  switch (head.layout) {
    case Layout::e_15_6:
      at = put_table_fields<Conversion::e_15_6>(at, fields, 0, head.count, args);
      break;
    case Layout::g_12_4:
      at = put_table_fields<Conversion::g_12_4>(at, fields, 0, head.count, args);
      break;
    case Layout::g_12_5_then_g_12_4:
      at = put_short_literal(put_table_number<Conversion::g_12_5>(at, args[0].floating, 0),
                             fields[0].after);
      at = put_table_fields<Conversion::g_12_4>(at, fields, 1, head.count, args);
      break;
    case Layout::any:
      at = put_literal(at, head.text, head.lead);
      for (std::size_t i = 0; i < head.count; ++i) {
        const Field& f = fields[i];
        switch (f.conversion) {
          case Conversion::e_15_6:
            at = put_table_number<Conversion::e_15_6>(at, args[i].floating, i);
            break;
          case Conversion::g_12_4:
            at = put_table_number<Conversion::g_12_4>(at, args[i].floating, i);
            break;
          case Conversion::g_12_5:
            at = put_table_number<Conversion::g_12_5>(at, args[i].floating, i);
            break;
          case Conversion::e:
            at = put_e(at, args[i].floating, f.width, f.precision);
            break;
          case Conversion::g:
            at = put_g(at, args[i].floating, f.width, f.precision);
            break;
          case Conversion::integer:
            at = put_long(at, args[i].integer, f.width);
            break;
          case Conversion::text:  // not reached: a format with a %s has no line room
            break;
        }
        at = put_literal(at, head.text, f.after);
      }
  }
  out.commit(at);
}

}  // namespace vibfrf::textio::detail
