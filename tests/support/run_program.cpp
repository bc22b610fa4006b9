#include "run_program.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace vibfrf::testing {

std::filesystem::path program_path() { return VIBFRF_PROGRAM; }

RunResult run_program(const std::filesystem::path& dir, std::string_view standard_input,
                      std::chrono::milliseconds timeout) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (::pipe2(in_pipe, O_CLOEXEC) != 0 || ::pipe2(out_pipe, O_CLOEXEC) != 0 ||
      ::pipe2(err_pipe, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  ::signal(SIGPIPE, SIG_IGN);  // a program that stops reading early must not end the test
  const std::string program = program_path().string();
  const std::string where = dir.string();
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::setsid();  // no controlling terminal: the final key press is not awaited
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(in_pipe[0], STDIN_FILENO);
    ::dup2(out_pipe[1], STDOUT_FILENO);
    ::dup2(err_pipe[1], STDERR_FILENO);
    if (::chdir(where.c_str()) != 0) ::_exit(126);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);

  RunResult result;
  std::size_t written = 0;
  int to_child = in_pipe[1];
  ::fcntl(to_child, F_SETFL, O_NONBLOCK);
  if (standard_input.empty()) {
    ::close(to_child);
    to_child = -1;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timed_out = true;
      ::kill(pid, SIGKILL);
      break;
    }
    pollfd fds[3] = {{out_open ? out_pipe[0] : -1, POLLIN, 0},
                     {err_open ? err_pipe[0] : -1, POLLIN, 0},
                     {to_child, POLLOUT, 0}};
    if (::poll(fds, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? result.transcript : result.errors).append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        (i == 0 ? out_open : err_open) = false;
      }
    }
    if (to_child >= 0 && fds[2].revents != 0) {
      const ssize_t n = ::write(to_child, standard_input.data() + written,
                                standard_input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 && errno != EAGAIN && errno != EINTR) written = standard_input.size();
      if (written == standard_input.size()) {
        ::close(to_child);
        to_child = -1;
      }
    }
  }
  if (to_child >= 0) ::close(to_child);
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace vibfrf::testing
