// The scanner against the C library's fscanf, on every format the program scans with. Each input
// is read to its end in rounds of one format, by fscanf over fmemopen and by the scanner: the
// counts, the values assigned (bit for bit) and the position after each round must agree. The
// same text is read once more from a file in one of the forms, placed so that the stream's buffer
// ends inside it, where the scanner collects an item across two reads.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "check.hpp"
#include "textio/scan.hpp"
#include "textio/stream.hpp"

namespace vibfrf::fuzz {
namespace {

using textio::Stream;

enum class Form { time_record, three_doubles, whole_number, one_double, word };
constexpr Form forms[] = {Form::time_record, Form::three_doubles, Form::whole_number,
                          Form::one_double, Form::word};
constexpr int max_rounds = 64;

struct Outcome {
  int result = 0;
  std::vector<std::uint64_t> values;
  long position = 0;  // from the start of the text; -1 where the stream cannot tell it
  bool operator==(const Outcome&) const = default;
};

// One round of `form`; `scan_with(format, targets...)` is fscanf or scan.
template <class ScanWith>
Outcome one_round(Form form, std::size_t longest_word, ScanWith scan_with) {
  double a = -1, b = -1, c = -1;
  float x = -1;
  int i = -1;
  Outcome o;
  switch (form) {
    case Form::time_record:
      o.result = scan_with.time_record(&a, &x);
      o.values = {std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint32_t>(x)};
      break;
    case Form::three_doubles:
      o.result = scan_with.three_doubles(&a, &b, &c);
      o.values = {std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(b),
                  std::bit_cast<std::uint64_t>(c)};
      break;
    case Form::whole_number:
      o.result = scan_with.whole_number(&i);
      o.values = {static_cast<std::uint32_t>(i)};
      break;
    case Form::one_double:
      o.result = scan_with.one_double(&a);
      o.values = {std::bit_cast<std::uint64_t>(a)};
      break;
    case Form::word: {
      std::string word;
      o.result = scan_with.word(word, longest_word);
      o.values = {std::hash<std::string>{}(word)};
      break;
    }
  }
  return o;
}

struct CLibrary {
  FILE* f;
  const std::string& text;
  int time_record(double* a, float* x) { return std::fscanf(f, " %lf %f ", a, x); }
  int three_doubles(double* a, double* b, double* c) { return std::fscanf(f, "%lf %lf %lf", a, b, c); }
  int whole_number(int* i) { return std::fscanf(f, "%d", i); }
  int one_double(double* a) { return std::fscanf(f, "%lf", a); }
  // A word may hold NUL bytes, so its length is not the C string's: it is the run of bytes that
  // are no white space ending where the read stopped, which must be what was stored.
  int word(std::string& out, std::size_t longest) {
    std::vector<char> buffer(longest + 1, '\0');  // no word is longer than the whole text
    const int r = std::fscanf(f, "%s", buffer.data());
    if (r != 1) return r;
    const std::size_t end = static_cast<std::size_t>(std::ftell(f));
    std::size_t start = end;
    while (start > 0 && !textio::detail::is_space(static_cast<unsigned char>(text[start - 1])))
      --start;
    out = text.substr(start, end - start);
    FUZZ_CHECK(out.compare(0, out.size(), buffer.data(), out.size()) == 0, "fscanf stored " + out);
    return r;
  }
};

struct Scanner {
  Stream& in;
  int time_record(double* a, float* x) { return textio::scan(in, " %lf %f ", a, x); }
  int three_doubles(double* a, double* b, double* c) { return textio::scan(in, "%lf %lf %lf", a, b, c); }
  int whole_number(int* i) { return textio::scan(in, "%d", i); }
  int one_double(double* a) { return textio::scan(in, "%lf", a); }
  int word(std::string& out, std::size_t) { return textio::scan(in, "%s", &out); }
};

// A round that assigned nothing and read nothing would repeat forever: the rounds stop there.
bool last_round(const std::vector<Outcome>& rounds) {
  const Outcome& o = rounds.back();
  if (o.result == EOF) return true;
  const long before = rounds.size() > 1 ? rounds[rounds.size() - 2].position : 0;
  return o.result == 0 && o.position == before;
}

std::vector<Outcome> c_library(Form form, const std::string& text) {
  std::string bytes = text.empty() ? std::string(" ") : text;  // fmemopen refuses size 0
  FILE* f = ::fmemopen(bytes.data(), bytes.size(), "r");
  FUZZ_CHECK(f != nullptr, "fmemopen failed");
  const long start = text.empty() ? 1 : 0;
  std::fseek(f, start, SEEK_SET);
  std::vector<Outcome> rounds;
  do {
    rounds.push_back(one_round(form, text.size(), CLibrary{f, bytes}));
    rounds.back().position = std::ftell(f) - start;
  } while (!last_round(rounds) && rounds.size() < max_rounds);
  std::fclose(f);
  return rounds;
}

std::vector<Outcome> from_memory(Form form, const std::string& text) {
  Stream in;
  in.open_memory_input(text);
  const char* start = in.read_pos();
  std::vector<Outcome> rounds;
  do {
    rounds.push_back(one_round(form, text.size(), Scanner{in}));
    rounds.back().position = static_cast<long>(in.read_pos() - start);
  } while (!last_round(rounds) && rounds.size() < max_rounds);
  return rounds;
}

// As many rounds as `want` has, from a file stream; the position is known only at the end, from
// what is left unread.
std::vector<Outcome> from_file(Form form, const std::string& path, std::size_t file_size,
                               const std::vector<Outcome>& want) {
  Stream in;
  FUZZ_CHECK(in.open(path.c_str(), "rb"), path);
  std::vector<Outcome> rounds;
  for (std::size_t k = 0; k < want.size(); ++k) {
    rounds.push_back(one_round(form, file_size, Scanner{in}));
    rounds.back().position = want[k].position;
  }
  std::size_t left = 0;
  for (; in.peek() != Stream::end_of_input; in.skip()) ++left;
  rounds.back().position = static_cast<long>(file_size - left);
  return rounds;
}

std::string show(const std::vector<Outcome>& rounds) {
  std::string s;
  for (const Outcome& o : rounds) {
    s += "[" + std::to_string(o.result) + " at " + std::to_string(o.position);
    for (auto v : o.values) s += " " + std::to_string(v);
    s += "]";
  }
  return s;
}

std::string tell(Form form, const std::vector<Outcome>& ours, const std::vector<Outcome>& c) {
  return "form " + std::to_string(static_cast<int>(form)) + "\n ours " + show(ours) + "\n C    " +
         show(c);
}

}  // namespace
}  // namespace vibfrf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vibfrf::fuzz;
  static const ScratchDir scratch;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Blanks in front, so that the buffer's end falls `into` bytes into the text.
  const std::size_t into = size == 0 ? 0 : data[0] % (size + 1);
  const std::string padded = std::string(Stream::buffer_size - into, ' ') + text;
  const std::string path = (scratch.path() / "padded.txt").string();
  write_bytes(path, padded);
  std::vector<Outcome> wants[std::size(forms)];
  for (std::size_t k = 0; k < std::size(forms); ++k) {
    wants[k] = c_library(forms[k], text);
    const auto got = from_memory(forms[k], text);
    FUZZ_CHECK(got == wants[k], tell(forms[k], got, wants[k]));
  }
  // Through a file for one of the forms, chosen by the size: the blanks make it the slow part.
  // Every form begins by skipping white space, so the C library would read the blanks in front
  // as nothing: its outcome is the same, at positions further on by the blanks.
  const std::size_t k = size % std::size(forms);
  std::vector<Outcome> want_padded = wants[k];
  for (Outcome& o : want_padded) o.position += static_cast<long>(padded.size() - size);
  const auto got_padded = from_file(forms[k], path, padded.size(), want_padded);
  FUZZ_CHECK(got_padded == want_padded, "through a file\n" + tell(forms[k], got_padded, want_padded));
  return 0;
}
