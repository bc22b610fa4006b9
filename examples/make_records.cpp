// make_records: writes a force record and an acceleration record of a simulated impact test, in
// the input format of vibfrf, and prints the properties of the simulated structure so that they
// can be compared with what the analysis finds.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "records.hpp"

namespace {

using vibfrf::examples::ImpactTest;
using vibfrf::examples::Mode;

constexpr int status_written = 0;
constexpr int status_not_written = 1;
constexpr int status_bad_command_line = 2;

struct Settings {
  ImpactTest test;
  std::filesystem::path out = ".";
  std::filesystem::path force_file = "force.txt";
  std::filesystem::path accel_file = "accel.txt";
  bool help = false;
};

void print_usage() {
  const ImpactTest d;
  const Mode& m = d.modes.front();
  std::printf(
      "Usage: make_records [OPTION VALUE | OPTION=VALUE]...\n"
      "Writes the force and the acceleration of a simulated impact test, one \"time amplitude\"\n"
      "pair a line, as input records for vibfrf. The structure has one mode, or two with\n"
      "--mode2; its response to a half-sine force pulse is the exact closed-form solution,\n"
      "starting at rest. Units are SI: kg, N/m, N*s/m, s, N, m/s^2.\n"
      "\n"
      "  --out DIR            directory of the records, made if missing (default .)\n"
      "  --force-file NAME    force record, in DIR (default force.txt)\n"
      "  --accel-file NAME    acceleration record, in DIR (default accel.txt)\n"
      "  --rate HZ            samples per second (default %g)\n"
      "  --samples N          samples in each record, 2 to %zu (default %zu)\n"
      "  --mass KG            mass of mode 1 (default %g)\n"
      "  --stiffness N/M      stiffness of mode 1 (default %g)\n"
      "  --damping N*S/M      viscous damping of mode 1 (default %g)\n"
      "  --mode2 M,K,C        adds a second mode with mass M, stiffness K and damping C\n"
      "  --pulse S            length of the half-sine force pulse (default %g)\n"
      "  --force N            peak force of the pulse (default %g)\n"
      "  --delay S            start of the pulse (default %g, so that its rise is sampled)\n"
      "  --noise-force N      standard deviation of noise on the force (default 0)\n"
      "  --noise-accel M/S^2  standard deviation of noise on the acceleration (default 0)\n"
      "  --seed N             seed of the noise, 0 to 2^64-1 (default %llu)\n"
      "  --help               prints this text\n"
      "\n"
      "The defaults give fn = 100 Hz, zeta = 2 %%, a 2 s record and frequency lines 0.5 Hz apart.\n"
      "Every mode needs positive damping below critical (zeta < 1); the pulse must last two\n"
      "sample intervals or more and end by the last sample. The noise is Gaussian, drawn from\n"
      "std::mt19937_64 through a Box-Muller transform: for a seed, the same numbers with any\n"
      "C++ library.\n"
      "\n"
      "Exit status: 0 records written, 1 a record could not be written, 2 a bad command line.\n",
      d.rate, vibfrf::examples::max_samples, d.samples, m.mass, m.stiffness, m.damping,
      d.pulse_length, d.force_peak, d.delay, static_cast<unsigned long long>(d.seed));
}

// The whole text must be the number; from_chars reads no sign '+' and no leading space.
template <class Number>
std::optional<Number> parse_number(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

class BadCommandLine : public std::exception {
 public:
  explicit BadCommandLine(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

double real_value(std::string_view option, std::string_view text) {
  const auto value = parse_number<double>(text);
  if (!value || !std::isfinite(*value))
    throw BadCommandLine(std::string(option) + ": '" + std::string(text) +
                         "' is not a finite number");
  return *value;
}

template <class Integer>
Integer whole_value(std::string_view option, std::string_view text) {
  const auto value = parse_number<Integer>(text);
  if (!value)
    throw BadCommandLine(std::string(option) + ": '" + std::string(text) +
                         "' is not a whole number in range");
  return *value;
}

Mode mode_value(std::string_view option, std::string_view text) {
  std::vector<double> parts;
  while (true) {
    const std::size_t comma = text.find(',');
    parts.push_back(real_value(option, text.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (parts.size() != 3)
    throw BadCommandLine(std::string(option) + ": give MASS,STIFFNESS,DAMPING, three numbers");
  return Mode{parts[0], parts[1], parts[2]};
}

Settings parse_command_line(const std::vector<std::string_view>& args) {
  Settings s;
  Mode first = s.test.modes.front();
  std::optional<Mode> second;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view option = args[i];
    std::optional<std::string_view> value;
    if (const std::size_t equals = option.find('='); equals != std::string_view::npos) {
      value = option.substr(equals + 1);
      option = option.substr(0, equals);
    }
    if (option == "--help" || option == "-h") {
      if (value) throw BadCommandLine(std::string(option) + " takes no value");
      s.help = true;
      continue;
    }
    if (option.substr(0, 2) != "--")
      throw BadCommandLine("unexpected argument '" + std::string(args[i]) + "'");
    if (!value) {
      if (i + 1 == args.size()) throw BadCommandLine(std::string(option) + " needs a value");
      value = args[++i];
    }
    const std::string_view v = *value;
    // clang-format off
    if (option == "--out") s.out = std::string(v);
    else if (option == "--force-file") s.force_file = std::string(v);
    else if (option == "--accel-file") s.accel_file = std::string(v);
    else if (option == "--rate") s.test.rate = real_value(option, v);
    else if (option == "--samples") s.test.samples = whole_value<std::size_t>(option, v);
    else if (option == "--mass") first.mass = real_value(option, v);
    else if (option == "--stiffness") first.stiffness = real_value(option, v);
    else if (option == "--damping") first.damping = real_value(option, v);
    else if (option == "--mode2") second = mode_value(option, v);
    else if (option == "--pulse") s.test.pulse_length = real_value(option, v);
    else if (option == "--force") s.test.force_peak = real_value(option, v);
    else if (option == "--delay") s.test.delay = real_value(option, v);
    else if (option == "--noise-force") s.test.noise_force = real_value(option, v);
    else if (option == "--noise-accel") s.test.noise_accel = real_value(option, v);
    else if (option == "--seed") s.test.seed = whole_value<std::uint64_t>(option, v);
    else throw BadCommandLine("unknown option '" + std::string(option) + "'");
    // clang-format on
  }
  s.test.modes = {first};
  if (second) s.test.modes.push_back(*second);
  if (s.help) return s;

  if (s.out.empty() || s.force_file.empty() || s.accel_file.empty())
    throw BadCommandLine("a directory or file name is empty");
  if (s.force_file.lexically_normal() == s.accel_file.lexically_normal())
    throw BadCommandLine("the force and the acceleration need two different files");
  if (const std::string problem = vibfrf::examples::problem_with(s.test); !problem.empty())
    throw BadCommandLine(problem);
  return s;
}

void print_summary(const Settings& s) {
  const ImpactTest& t = s.test;
  for (std::size_t i = 0; i < t.modes.size(); ++i) {
    const Mode& m = t.modes[i];
    std::printf("mode %zu: mass %g kg, stiffness %g N/m, damping %g N*s/m\n", i + 1, m.mass,
                m.stiffness, m.damping);
    std::printf("  natural frequency fn    %.6g Hz\n", m.natural_frequency());
    std::printf("  damping ratio zeta      %.6g (%.4g %%)\n", m.damping_ratio(),
                100.0 * m.damping_ratio());
    std::printf("  damped frequency fd     %.6g Hz\n", m.damped_frequency());
    std::printf("  static compliance 1/k   %.6g m/N\n", m.static_compliance());
  }
  const double length = static_cast<double>(t.samples) / t.rate;
  std::printf("sample rate    %g samples/s\n", t.rate);
  std::printf("record length  %g s, %zu samples, frequency lines %g Hz apart\n", length, t.samples,
              1.0 / length);
  std::printf("pulse          half-sine %g s long, peak force %g N, from %g s\n", t.pulse_length,
              t.force_peak, t.delay);
  if (t.noise_force > 0.0 || t.noise_accel > 0.0)
    std::printf("noise          force %g N, acceleration %g m/s^2, seed %llu\n", t.noise_force,
                t.noise_accel, static_cast<unsigned long long>(t.seed));
}

int run(const std::vector<std::string_view>& args) {
  Settings s;
  try {
    s = parse_command_line(args);
  } catch (const BadCommandLine& e) {
    std::fprintf(stderr, "make_records: %s\nTry 'make_records --help'.\n", e.what());
    return status_bad_command_line;
  }
  if (s.help) {
    print_usage();
    return status_written;
  }

  const auto records = vibfrf::examples::sample_records(s.test);
  for (const auto* channel : {&records.force, &records.acceleration})
    for (const double v : *channel)
      if (!std::isfinite(v)) {
        std::fprintf(stderr,
                     "make_records: the response overflows double precision; choose values "
                     "nearer to the defaults\n");
        return status_bad_command_line;
      }

  const std::filesystem::path force_file = s.out / s.force_file;
  const std::filesystem::path accel_file = s.out / s.accel_file;
  try {
    std::filesystem::create_directories(s.out);
    vibfrf::examples::write_record(force_file, records.time, records.force);
    vibfrf::examples::write_record(accel_file, records.time, records.acceleration);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_records: %s\n", e.what());
    return status_not_written;
  }
  print_summary(s);
  std::printf("records        %s and %s\n", force_file.c_str(), accel_file.c_str());
  return status_written;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return run(args);
  } catch (const std::exception& e) {  // out of memory, or a failure of the file system
    std::fprintf(stderr, "make_records: %s\n", e.what());
    return status_not_written;
  }
}
