// The byte-identity guard: whatever the fast number conversions do, the program's output must be
// what plain C conversions give. Each case runs the built program on a record pair this test
// writes, then runs the same stages once more in a child process with the test-only reference
// route set (textio/reference_route.hpp), which sends every %e and %g through snprintf (its
// exponent widened to three digits) and every floating-point scan through strtod and strtof.
// Every one of the 22 files and the transcript must match to the byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver/driver.hpp"
#include "run_program.hpp"
#include "temp_dir.hpp"
#include "textio/console.hpp"
#include "textio/reference_route.hpp"
#include "workarea/workarea.hpp"

namespace vibfrf {
namespace {

using namespace testing;

// --- The reference conversions: as simple as they can be ---

// printf's text, its exponent widened to three digits, right-aligned in `width`.
char* put_reference(char* out, double v, int width, int precision, char style) {
  char text[80];
  std::snprintf(text, sizeof text, style == 'e' ? "%.*e" : "%.*g", precision, v);
  std::string s = text;
  const std::size_t e = s.find('e');
  if (e != std::string::npos && s.size() - (e + 2) < 3) s.insert(e + 2, 3 - (s.size() - (e + 2)), '0');
  const std::size_t field = static_cast<std::size_t>(width);
  if (s.size() < field) s.insert(0, field - s.size(), ' ');
  std::memcpy(out, s.data(), s.size());
  return out + s.size();
}
char* put_e_simple(char* out, double v, int width, int precision) {
  return put_reference(out, v, width, precision, 'e');
}
char* put_g_simple(char* out, double v, int width, int precision) {
  return put_reference(out, v, width, precision, 'g');
}

// A number is a run of characters between white space, as in every file a run reads; strtod
// (strtof) converts it and must take all of it.
template <class T>
textio::ScanStatus read_simple(textio::Stream& in, T& out) {
  while (in.peek() != textio::Stream::end_of_input && std::isspace(in.peek())) in.skip();
  std::string token;
  while (in.peek() != textio::Stream::end_of_input && !std::isspace(in.peek())) {
    token.push_back(static_cast<char>(in.peek()));
    in.skip();
  }
  if (token.empty()) return textio::ScanStatus::ended;
  char* end = nullptr;
  T value;
  if constexpr (std::is_same_v<T, float>) {
    value = std::strtof(token.c_str(), &end);
  } else {
    value = std::strtod(token.c_str(), &end);
  }
  if (end != token.c_str() + token.size()) return textio::ScanStatus::mismatch;
  out = value;
  return textio::ScanStatus::assigned;
}

const textio::ReferenceRoute simple_route = {put_e_simple, put_g_simple, read_simple<double>,
                                             read_simple<float>};

// --- The records ---

struct Sample {
  std::string time;  // as written, so that the first and last times are exact
  double amplitude;
};

std::string record_text(const std::vector<Sample>& samples) {
  std::string text;
  char line[96];
  for (const Sample& s : samples) {
    std::snprintf(line, sizeof line, "%s %.9g\n", s.time.c_str(), s.amplitude);
    text += line;
  }
  return text;
}

std::string exact(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// `count` samples at the times k * step / divisor, amplitudes from `amplitude(k)`.
template <class F>
std::vector<Sample> record(std::size_t count, double step, double divisor, F amplitude) {
  std::vector<Sample> samples;
  for (std::size_t k = 0; k < count; ++k)
    samples.push_back({exact(static_cast<double>(k) * step / divisor), amplitude(k)});
  return samples;
}

struct Case {
  const char* name;
  std::vector<Sample> force, accel;
  const char* answers;       // mean removal, window, high-pass
  const char* must_contain;  // a text the fast run writes that shows the case reaches its target
  const char* file;          // where
};

std::vector<Case> cases() {
  std::vector<Case> all;
  // Frequencies 0.0625 Hz apart (64 samples over 16 s): "%12.4g" of 1.0625 is a tie, "1.062"
  // to even. A lone force sample of 64 * 3.1622 makes every force line 3.1622, whose square,
  // 9.9995..., rounds up to a new power of ten, "10". The response runs over sixty decades.
  const auto decades = [](std::size_t k) {
    return (k % 2 ? -1.7 : 1.7) * std::pow(10.0, static_cast<double>(k % 61) - 30);
  };
  all.push_back({"ties and carries", record(64, 16, 63, [](std::size_t k) { return k == 0 ? 64 * 3.1622 : 0.0; }),
                 record(64, 16, 63, decades), "2\n1\n0\n", "       1.062           10 ",
                 "cross_spectrum_saa.out"});
  // Times 1/1024 s apart: "%15.6e" of 3/1024 s = 0.0029296875 is a tie, "2.929688e-003". Tiny
  // and huge amplitudes and a float subnormal, with the mean removed and the window applied.
  const auto extremes = [](std::size_t k) {
    return k == 5 ? 1e-45 : std::sin(0.7 * static_cast<double>(k)) * (k % 3 ? 1e-30 : 1e30);
  };
  const auto wave = [](std::size_t k) { return std::cos(1.3 * static_cast<double>(k)) + 0.25; };
  all.push_back({"time ties and extremes", record(32, 1, 1024, extremes), record(32, 1, 1024, wave),
                 "1\n2\n0\n", "  2.929688e-003", "impulse_h1.out"});
  // A force of negative zeros: "-0" reaches the files, its statistics are not finite, and H1
  // divides zero by zero.
  all.push_back({"negative zero and nan", record(16, 1.5, 15, [](std::size_t) { return -0.0; }),
                 record(16, 1.5, 15, [](std::size_t k) { return k == 1 ? 1.0 : -0.0; }), "2\n1\n0\n",
                 "-0.000000e+000", "fft_1.out"});
  // A few thousand samples of two decaying modes and a drift, more than a power of two: the
  // statistics count them all, the transform takes 4096, and the last of those is at 16 s, so
  // that the line at 2.5625 Hz is a tie at four digits, "2.562", in every table. Each answer once.
  const auto modes = [](double phase) {
    return [phase](std::size_t k) {
      const double t = static_cast<double>(k) / 256.0, w = 2 * std::numbers::pi;
      return std::exp(-0.8 * t) * (std::sin(w * 31.3 * t + phase) + 0.3 * std::sin(w * 87.1 * t)) +
             0.01 * t;
    };
  };
  const std::vector<Sample> force = record(4300, 16, 4095, modes(0.0));
  const std::vector<Sample> accel = record(4300, 16, 4095, modes(1.1));
  all.push_back({"long, mean and window", force, accel, "1\n2\n1.5\n", "       2.562 ", "H1.out"});
  all.push_back({"long, high-pass", force, accel, "2\n1\n10\n", "       2.562 ", "cross_spectrum_gab.out"});
  all.push_back({"long, negative high-pass", force, accel, "1\n1\n-5\n", "       2.562 ", "coherence.out"});
  return all;
}

// --- The runs ---

// The same run in a child process on the reference route: a process of its own, so that the
// route and the work area of this one are left alone, and without a terminal, so that the run
// does not wait for a key. Returns the transcript; the files are left in `dir`.
std::string reference_run(const std::filesystem::path& dir, const std::string& answers,
                          const std::filesystem::path& transcript_file) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    if (::chdir(dir.c_str()) != 0) ::_exit(100);
    std::string transcript;
    textio::use_memory_console(answers, transcript);
    textio::set_reference_route_for_tests(&simple_route);
    reset_work_area();
    start_up();
    const int status = run_analysis();
    textio::console_out().flush();
    transcript += "\nexit status " + std::to_string(status) + "\n";
    std::FILE* f = std::fopen(transcript_file.c_str(), "wb");
    if (f == nullptr || std::fwrite(transcript.data(), 1, transcript.size(), f) != transcript.size())
      ::_exit(101);
    std::fclose(f);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "reference run status " << status;
  return read_file(transcript_file);
}

TEST(ByteIdentity, EveryFileAndTheTranscriptMatchTheSimpleConversions) {
  // The program runs every case in one directory, the longest first, so that it also replaces
  // the longer files of the run before; the reference starts afresh each time.
  TempDir fast;
  std::vector<Case> all = cases();
  std::reverse(all.begin(), all.end());
  for (const Case& c : all) {
    SCOPED_TRACE(c.name);
    TempDir reference, scratch;
    for (const TempDir* dir : {&fast, &reference}) {
      write_file(*dir / "force.txt", record_text(c.force));
      write_file(*dir / "accel.txt", record_text(c.accel));
    }
    const std::string answers = std::string(c.answers) + "force.txt accel.txt\n";
    const RunResult run = run_program(fast.path(), answers);
    ASSERT_EQ(run.exit_status, 0) << run.errors;
    const std::string expected_transcript =
        reference_run(reference.path(), answers, scratch / "transcript");
    EXPECT_EQ(run.transcript + "\nexit status 0\n", expected_transcript);
    for (const char* name : output_file_names) {
      ASSERT_TRUE(std::filesystem::exists(reference / name)) << name;
      const std::string got = read_file(fast / name);
      const std::string want = read_file(reference / name);
      if (got != want) {
        std::size_t at = 0;
        while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
        const std::size_t line_end = want.rfind('\n', at);
        const std::size_t line_start = line_end == std::string::npos ? 0 : line_end + 1;
        ADD_FAILURE() << name << " differs at byte " << at << ": program \""
                      << got.substr(line_start, got.find('\n', at) - line_start) << "\", reference \""
                      << want.substr(line_start, want.find('\n', at) - line_start) << "\"";
      }
    }
    // The case reaches what it was made for.
    EXPECT_NE(read_file(fast / c.file).find(c.must_contain), std::string::npos)
        << c.file << " lacks \"" << c.must_contain << "\"";
  }
}

}  // namespace
}  // namespace vibfrf
