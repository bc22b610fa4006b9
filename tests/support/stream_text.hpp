#pragma once

#include <string>

#include "textio/stream.hpp"

namespace vibfrf::testing {

// Everything the stream has not yet given, read byte by byte.
inline std::string unread_text(textio::Stream& in) {
  std::string text;
  for (int c = in.peek(); c != textio::Stream::end_of_input; c = in.peek()) {
    text.push_back(static_cast<char>(c));
    in.skip();
  }
  return text;
}

}  // namespace vibfrf::testing
