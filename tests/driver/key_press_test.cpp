// The final key press, on a real (pseudo) terminal.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "run_program.hpp"
#include "temp_dir.hpp"

namespace vibfrf {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using testing::write_file;

// Appends what the terminal shows within `wait` to `screen`.
void read_screen(int master, std::string& screen, std::chrono::milliseconds wait) {
  pollfd p{master, POLLIN, 0};
  while (::poll(&p, 1, static_cast<int>(wait.count())) > 0) {
    char buffer[4096];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) return;
    screen.append(buffer, static_cast<std::size_t>(n));
    wait = 0ms;
  }
}

TEST(KeyPress, WaitsForOneKeyAtTheTerminalNotForLeftoverInput) {
  TempDir dir;
  write_file(dir / "force.txt", "0 1\n0.001 2\n0.002 1\n0.003 0\n");
  write_file(dir / "accel.txt", "0 1\n0.001 2\n0.002 1\n0.003 0\n");
  const std::string program = testing::program_path().string();
  const std::string where = dir.path().string();
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) GTEST_SKIP() << "no pseudo-terminal on this machine: " << std::strerror(errno);
  if (pid == 0) {
    if (::chdir(where.c_str()) != 0) ::_exit(126);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Everything on one line, with words after the two names: they stay in standard input.
  const std::string answers = "1 2 0 force.txt accel.txt leftover words\n";
  ASSERT_EQ(::write(master, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));

  std::string screen;
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (screen.find("Press any key to exit.") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline)
    read_screen(master, screen, 100ms);
  ASSERT_NE(screen.find("Press any key to exit."), std::string::npos) << screen;

  std::this_thread::sleep_for(500ms);
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the program did not wait for a key";
  termios mode{};
  ASSERT_EQ(::tcgetattr(master, &mode), 0);
  EXPECT_EQ(mode.c_lflag & (ICANON | ECHO), 0u) << "keys are read one at a time, unechoed";

  // A key pressed before the wait began does not count, so press until the program ends. Once it
  // has read the key and let go of the terminal, the screen tells nothing more at once, and the
  // exit itself may take a while (longer with the sanitizers' checks at exit): the presses are
  // bounded by time, not by their count, and a press that finds the terminal gone is no failure.
  pid_t ended = 0;
  const auto key_deadline = std::chrono::steady_clock::now() + 30s;
  while (ended == 0 && std::chrono::steady_clock::now() < key_deadline) {
    [[maybe_unused]] const ssize_t pressed = ::write(master, "k", 1);
    read_screen(master, screen, 100ms);
    std::this_thread::sleep_for(20ms);
    ended = ::waitpid(pid, &status, WNOHANG);
  }
  if (ended == 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    FAIL() << "the key press did not end the program";
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::close(master);
}

}  // namespace
}  // namespace vibfrf
