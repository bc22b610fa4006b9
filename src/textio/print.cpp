#include "textio/print.hpp"

#include <stdexcept>

namespace vibfrf::textio::detail {

void format_error(const char* why) { throw std::logic_error(why); }

void print_pieces(Stream& out, const Piece* pieces, std::size_t count, const Arg* args) {
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

}  // namespace vibfrf::textio::detail
