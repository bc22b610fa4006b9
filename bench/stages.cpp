// Times each stage operation of a run on the longest records (300000 samples, m = 262144), in
// the order the program runs them, and prints the median of several runs per stage.
//   vibfrf_stage_times [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "driver/driver.hpp"
#include "input/input.hpp"
#include "records.hpp"
#include "spectra/spectra.hpp"
#include "textio/console.hpp"
#include "transform/transform.hpp"
#include "workarea/workarea.hpp"

namespace {

using namespace vibfrf;

struct Stage {
  std::string name;
  std::function<void()> run;
  std::vector<double> milliseconds;
};

void close_spectrum_files() {
  for (std::size_t k = 2; k <= 4; ++k) close_slot(k);
}

std::vector<Stage> stages_of_a_run() {
  std::vector<Stage> stages;
  for (const int channel : {1, 2}) {
    const std::string c = " (channel " + std::to_string(channel) + ")";
    stages.push_back({"open_channel_files" + c, [channel] {
                        wa.channel = static_cast<std::uint32_t>(channel);
                        clear(wa.work);
                        clear(wa.aux);
                        open_channel_files();
                      }, {}});
    stages.push_back({"read_time_history" + c, read_time_history, {}});
    stages.push_back({"reorder" + c, reorder, {}});
    stages.push_back({"ctfourier" + c, [] {
                        clear(wa.aux);
                        ctfourier();
                      }, {}});
    stages.push_back({"closing the spectrum files" + c, close_spectrum_files, {}});
  }
  stages.push_back({"cross_s", [] {
                      clear(wa.work);
                      cross_s();
                    }, {}});
  stages.push_back({"cross_g", cross_g, {}});
  stages.push_back({"h_functions", h_functions, {}});
  stages.push_back({"reorder (impulse response)", [] {
                      open_slot(2, "complex_impulse_h1.out", "w");
                      open_slot(3, "impulse_h1.out", "w");
                      open_slot(4, "temp2.out", "w");
                      clear(wa.aux);
                      reorder();
                    }, {}});
  stages.push_back({"inverse_fourier", inverse_fourier, {}});
  stages.push_back({"closing the impulse files", [] {
                      for (std::size_t k = 2; k <= 4; ++k) close_slot(k);
                    }, {}});
  return stages;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const auto dir = std::filesystem::temp_directory_path() / "vibfrf-stage-times";
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  vibfrf::examples::ImpactTest test;
  test.samples = 300000;
  test.rate = 4096;
  test.pulse_length = 0.0025;
  test.noise_force = test.noise_accel = 0.01;
  vibfrf::examples::write_records(test, "force.txt", "accel.txt");

  std::vector<Stage> stages = stages_of_a_run();
  for (int run = 0; run <= runs; ++run) {  // run 0 warms up
    std::string transcript;
    textio::use_memory_console("force.txt accel.txt\n", transcript);
    reset_work_area();
    start_up();
    wa.mean_choice = 2;
    wa.window_choice = 1;
    wa.highpass = 10;
    for (Stage& stage : stages) {
      const auto start = std::chrono::steady_clock::now();
      stage.run();
      const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      if (run > 0) stage.milliseconds.push_back(took.count());
    }
    textio::use_standard_console();
  }
  std::printf("stage times on the longest records (m = %u), median of %d runs\n", wa.m, runs);
  double total = 0;
  for (Stage& stage : stages) {
    std::sort(stage.milliseconds.begin(), stage.milliseconds.end());
    const double median = stage.milliseconds[stage.milliseconds.size() / 2];
    total += median;
    std::printf("  %-42s %8.1f ms\n", stage.name.c_str(), median);
  }
  std::printf("  %-42s %8.1f ms\n", "all stages", total);
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(dir);
  return 0;
}
