#include "textio/console.hpp"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace vibfrf::textio {
namespace {

struct Console {
  Stream out;
  Stream in;
  Console() { attach_standard(); }
  void attach_standard() {
    out.attach(STDOUT_FILENO, true, "standard output");
    out.set_flush_each_print(::isatty(STDOUT_FILENO) == 1);
    in.attach(STDIN_FILENO, false, "standard input");
    in.tie(&out);
  }
};

Console& console() {
  static Console c;
  return c;
}

}  // namespace

Stream& console_out() { return console().out; }
Stream& console_in() { return console().in; }

void use_memory_console(std::string_view input, std::string& output) {
  Console& c = console();
  c.out.open_memory_output(output);
  c.in.open_memory_input(input);
  c.in.tie(&c.out);
}

void use_standard_console() {
  console().out.flush();
  console().attach_standard();
}

void wait_for_key() {
  console_out().flush();
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;  // no controlling terminal: nobody to press a key
  termios saved;
  // A process in the background must not touch the terminal (it would be stopped for it).
  if (::tcgetpgrp(fd) != ::getpgrp() || ::tcgetattr(fd, &saved) != 0) {
    ::close(fd);
    return;
  }
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);  // Ctrl-C is a key like any other
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &raw) == 0) {
    ::tcflush(fd, TCIFLUSH);
    char key;
    while (::read(fd, &key, 1) < 0 && errno == EINTR) {
    }
    ::tcsetattr(fd, TCSANOW, &saved);
  }
  ::close(fd);
}

}  // namespace vibfrf::textio
