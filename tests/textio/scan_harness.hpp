// Runs a scan format over a text to its end, by the C library's fscanf and by the scanner, round
// by round: the counts, the values assigned (bit for bit) and the position after each round.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "textio/scan.hpp"

namespace vibfrf::textio::scan_harness {

// One scan's outcome: the count, the values assigned, and how far the input was read.
struct Outcome {
  int result;
  std::vector<std::uint64_t> values;
  long position;
  bool operator==(const Outcome&) const = default;
};

inline std::string show(const std::vector<Outcome>& outcomes) {
  std::string s;
  for (const Outcome& o : outcomes) {
    s += "[" + std::to_string(o.result) + " at " + std::to_string(o.position);
    for (auto v : o.values) s += " " + std::to_string(v);
    s += "]";
  }
  return s;
}

enum class Form { time_record, three_doubles, whole_number, one_double, word };

// Runs the format over `text` until it stops advancing, through the C library.
inline std::vector<Outcome> c_library(Form form, const std::string& text) {
  std::vector<Outcome> outcomes;
  std::string bytes = text.empty() ? std::string(" ") : text;  // fmemopen refuses size 0
  FILE* f = ::fmemopen(bytes.data(), text.empty() ? 1 : text.size(), "r");
  if (text.empty()) std::fgetc(f);
  for (int round = 0; round < 40; ++round) {
    double a = -1, b = -1, c = -1;
    float x = -1;
    int i = -1;
    char word[256] = {};
    Outcome o{};
    switch (form) {
      case Form::time_record:
        o.result = std::fscanf(f, " %lf %f ", &a, &x);
        o.values = {std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint32_t>(x)};
        break;
      case Form::three_doubles:
        o.result = std::fscanf(f, "%lf %lf %lf", &a, &b, &c);
        o.values = {std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(b),
                    std::bit_cast<std::uint64_t>(c)};
        break;
      case Form::whole_number:
        o.result = std::fscanf(f, "%d", &i);
        o.values = {static_cast<std::uint32_t>(i)};
        break;
      case Form::one_double:
        o.result = std::fscanf(f, "%lf", &a);
        o.values = {std::bit_cast<std::uint64_t>(a)};
        break;
      case Form::word:
        o.result = std::fscanf(f, "%255s", word);
        o.values = {std::hash<std::string>{}(word)};
        break;
    }
    o.position = std::ftell(f) - (text.empty() ? 1 : 0);
    outcomes.push_back(o);
    if (o.result == EOF || (o.result == 0 && outcomes.size() > 1 &&
                            outcomes[outcomes.size() - 2].position == o.position))
      break;
  }
  std::fclose(f);
  return outcomes;
}

inline std::vector<Outcome> ours(Form form, const std::string& text) {
  std::vector<Outcome> outcomes;
  Stream in;
  in.open_memory_input(text);
  const char* start = in.read_pos();
  for (int round = 0; round < 40; ++round) {
    double a = -1, b = -1, c = -1;
    float x = -1;
    int i = -1;
    std::string word;
    Outcome o{};
    switch (form) {
      case Form::time_record:
        o.result = scan(in, " %lf %f ", &a, &x);
        o.values = {std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint32_t>(x)};
        break;
      case Form::three_doubles:
        o.result = scan(in, "%lf %lf %lf", &a, &b, &c);
        o.values = {std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(b),
                    std::bit_cast<std::uint64_t>(c)};
        break;
      case Form::whole_number:
        o.result = scan(in, "%d", &i);
        o.values = {static_cast<std::uint32_t>(i)};
        break;
      case Form::one_double:
        o.result = scan(in, "%lf", &a);
        o.values = {std::bit_cast<std::uint64_t>(a)};
        break;
      case Form::word:
        o.result = scan(in, "%s", &word);
        o.values = {std::hash<std::string>{}(word)};
        break;
    }
    o.position = static_cast<long>(in.read_pos() - start);
    outcomes.push_back(o);
    if (o.result == EOF || (o.result == 0 && outcomes.size() > 1 &&
                            outcomes[outcomes.size() - 2].position == o.position))
      break;
  }
  return outcomes;
}

}  // namespace vibfrf::textio::scan_harness
