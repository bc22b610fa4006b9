#include "textio/stream.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vibfrf::textio {

namespace {

const char* verb(FileError::Action action) {
  if (action == FileError::Action::open) return "cannot open ";
  if (action == FileError::Action::write) return "cannot write ";
  return "cannot read ";
}

}  // namespace

FileError::FileError(Action action, std::string name, int error_number)
    : std::runtime_error(verb(action) + name),
      action_(action),
      name_(std::move(name)),
      error_number_(error_number) {}

std::string FileError::reason() const { return std::strerror(error_number_); }

namespace {

FileIdentity identity_from(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          S_ISREG(st.st_mode)};
}

// Opens without waiting on a FIFO's other end, then lets reads and writes block as usual.
int open_no_wait(const char* name, int flags) {
  int fd;
  do {
    fd = ::open(name, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  const int status = ::fcntl(fd, F_GETFL);
  if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

}  // namespace

std::optional<FileIdentity> identity_of(const char* name) {
  struct stat st;
  if (::stat(name, &st) != 0) return std::nullopt;
  return identity_from(st);
}

void Stream::reset_state() {
  kind_ = Kind::closed;
  fd_ = -1;
  writing_ = false;
  ended_ = false;
  throws_on_write_error_ = false;
  flush_each_print_ = false;
  old_tail_ = false;
  written_ = 0;
  label_.clear();
  sink_ = nullptr;
  memory_ = {};
  rpos_ = rend_ = nullptr;
  wpos_ = wend_ = nullptr;
}

bool Stream::open(const char* name, const char* mode) {
  close();
  error_ = 0;
  const bool writing = std::strcmp(mode, "w") == 0;
  if (!writing && std::strcmp(mode, "rb") != 0) {
    error_ = EINVAL;
    return false;
  }
  const int fd = writing ? open_no_wait(name, O_WRONLY | O_CREAT) : open_no_wait(name, O_RDONLY);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  kind_ = Kind::file;
  fd_ = fd;
  writing_ = writing;
  if (writing) {
    // A FIFO or a device is written as it is; a regular file is cut at the end of what is written.
    struct stat st;
    old_tail_ = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  }
  throws_on_write_error_ = true;
  label_ = name;
  if (writing) {
    wpos_ = buffer_;
    wend_ = buffer_ + buffer_size;
  } else {
    rpos_ = rend_ = buffer_;
  }
  return true;
}

void Stream::attach(int fd, bool writing, std::string label) {
  close();
  error_ = 0;
  kind_ = Kind::borrowed_fd;
  fd_ = fd;
  writing_ = writing;
  label_ = std::move(label);
  if (writing) {
    wpos_ = buffer_;
    wend_ = buffer_ + buffer_size;
  } else {
    rpos_ = rend_ = buffer_;
  }
}

void Stream::open_memory_input(std::string_view bytes) {
  close();
  error_ = 0;
  kind_ = Kind::memory_in;
  label_ = "memory";
  memory_ = bytes;
  rpos_ = bytes.data();
  rend_ = bytes.data() + bytes.size();
  ended_ = true;  // everything there is, is in memory already
}

void Stream::open_memory_output(std::string& sink) {
  close();
  error_ = 0;
  kind_ = Kind::memory_out;
  label_ = "memory";
  writing_ = true;
  sink_ = &sink;
  wpos_ = buffer_;
  wend_ = buffer_ + buffer_size;
}

std::optional<FileIdentity> Stream::identity() const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
  return identity_from(st);
}

bool Stream::write_out(const char* data, std::size_t n) noexcept {
  if (error_ != 0) return false;  // after a failure nothing more is written
  if (kind_ == Kind::memory_out) {
    sink_->append(data, n);
    return true;
  }
  while (n > 0) {
    const ssize_t done = ::write(fd_, data, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    data += done;
    n -= static_cast<std::size_t>(done);
    written_ += static_cast<std::uint64_t>(done);
  }
  return true;
}

bool Stream::flush_buffer() noexcept {
  if (!writing_ || kind_ == Kind::closed) return error_ == 0;
  const std::size_t n = static_cast<std::size_t>(wpos_ - buffer_);
  wpos_ = buffer_;
  return write_out(buffer_, n) && error_ == 0;
}

// Drops whatever the file held beyond what this stream has written (the end of a longer file
// written before). Done as soon as the first bytes have gone out, so that the file never mixes the
// new text with the old end, even when the run is stopped half-way; from then on the file holds
// exactly what was written, and grows with it.
bool Stream::drop_old_tail() noexcept {
  if (!old_tail_) return true;
  int result;
  do {
    result = ::ftruncate(fd_, static_cast<off_t>(written_));
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    if (error_ == 0) error_ = errno;
    return false;
  }
  old_tail_ = false;
  return true;
}

bool Stream::flush() noexcept {
  const bool ok = flush_buffer();
  return drop_old_tail() && ok;
}

void Stream::make_room() {
  if (!flush() && throws_on_write_error_)
    throw FileError(FileError::Action::write, label_, error_);
}

void Stream::write(const char* data, std::size_t n) {
  if (static_cast<std::size_t>(wend_ - wpos_) >= n) {
    std::memcpy(wpos_, data, n);
    wpos_ += n;
    return;
  }
  make_room();
  if (n >= buffer_size) {  // too large for the buffer: straight through
    if (!write_out(data, n) && throws_on_write_error_)
      throw FileError(FileError::Action::write, label_, error_);
    return;
  }
  std::memcpy(wpos_, data, n);
  wpos_ += n;
}

bool Stream::close() noexcept {
  if (kind_ == Kind::closed) return true;
  bool ok = flush();  // and drops an old end never written over
  if (kind_ == Kind::file) {
    if (::close(fd_) != 0 && errno != EINTR && error_ == 0) error_ = errno;
    ok = ok && error_ == 0;
  }
  reset_state();
  return ok;
}

bool Stream::fill() {
  if (ended_) return false;
  if (tied_ != nullptr) tied_->flush();
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_, buffer_size);
    if (n > 0) {
      rpos_ = buffer_;
      rend_ = buffer_ + n;
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error_ = errno;  // a read error ends the input like its end does
    ended_ = true;
    return false;
  }
}

int Stream::peek_after_fill() {
  if (kind_ == Kind::closed || writing_ || !fill()) return end_of_input;
  return static_cast<unsigned char>(*rpos_);
}

bool Stream::rewind() {
  if (kind_ == Kind::memory_in) {
    rpos_ = memory_.data();
    return true;
  }
  if (kind_ == Kind::closed || writing_) return false;
  if (::lseek(fd_, 0, SEEK_SET) != 0) return false;
  rpos_ = rend_ = buffer_;
  ended_ = false;
  error_ = 0;
  return true;
}

}  // namespace vibfrf::textio
