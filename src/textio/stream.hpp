// Buffered byte streams: files opened by name, the console's descriptors, and memory (for tests
// and fuzzing). One class serves reading and writing; a stream does one or the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vibfrf::textio {

// A file that could not be opened, written or read. The program stops and names the file.
class FileError : public std::runtime_error {
 public:
  enum class Action { open, write, read };
  FileError(Action action, std::string name, int error_number);
  Action action() const { return action_; }
  const std::string& name() const { return name_; }
  // The system's reason, as strerror tells it ("No space left on device").
  std::string reason() const;

 private:
  Action action_;
  std::string name_;
  int error_number_;
};

// Which file an open stream reads or writes, to tell two names of one file apart from two files.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool regular = false;
  friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode;
  }
};
// The identity of the file a name refers to now, following links; none when it does not exist.
std::optional<FileIdentity> identity_of(const char* name);

class Stream {
 public:
  static constexpr std::size_t buffer_size = std::size_t{1} << 16;

  Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  ~Stream() { close(); }

  // Opens the file `name` with the C mode "rb" (read) or "w" (write, creating it or replacing
  // what it holds). A regular file opened for writing is not emptied at open but overwritten from
  // its start, and cut at the end of what was written when the first bytes go out (a full buffer,
  // flush() or close): emptying a file that is then written again makes some file systems (ext4)
  // write the whole file out to the disk at close, and the next run's open wait for that. From the
  // first bytes written on, the file holds exactly what was written, as with the C library's "w".
  // Neither mode waits for the other end of a FIFO. Returns false, with error() telling why,
  // when the file cannot be opened; a stream that is still open is closed first.
  bool open(const char* name, const char* mode);
  // Uses a descriptor the stream does not own (the console's). Write errors are kept, not thrown.
  void attach(int fd, bool writing, std::string label);
  // Reads the given bytes, which must outlive the stream's use of them.
  void open_memory_input(std::string_view bytes);
  // Appends everything written to `sink`, at each flush and at close.
  void open_memory_output(std::string& sink);

  bool is_open() const { return kind_ != Kind::closed; }
  bool is_writing() const { return writing_; }
  const std::string& label() const { return label_; }
  // errno of the first failure since the last open (kept after close), 0 when there was none.
  int error() const { return error_; }
  std::optional<FileIdentity> identity() const;

  // Flushes everything written and closes. True when every byte reached its file, and for a
  // reading stream when no read failed since it was opened or rewound. Safe to call on a closed
  // stream (it returns true and does nothing).
  bool close() noexcept;
  // Writes out the buffer (and cuts a file at its end). True when everything written so far
  // reached its file.
  bool flush() noexcept;

  // --- writing ---
  void write(const char* data, std::size_t n);
  void write(std::string_view text) { write(text.data(), text.size()); }
  // Room for n bytes (n <= buffer_size) at the write position; commit() says how much was used.
  char* reserve(std::size_t n) {
    if (static_cast<std::size_t>(wend_ - wpos_) < n) make_room();
    return wpos_;
  }
  void commit(char* end) { wpos_ = end; }
  // Called by print() after each formatted write; flushes when the stream is interactive.
  void end_of_print() {
    if (flush_each_print_) flush();
  }
  void set_flush_each_print(bool on) { flush_each_print_ = on; }

  // --- reading ---
  // The unread bytes that are in memory now.
  const char* read_pos() const { return rpos_; }
  const char* read_end() const { return rend_; }
  void set_read_pos(const char* p) { rpos_ = p; }
  // True once the source has told its end: no fill() can bring more bytes.
  bool ended() const { return ended_; }
  // The next byte (0 to 255), or end_of_input when the input has ended. Does not consume it.
  static constexpr int end_of_input = -1;
  int peek() { return rpos_ != rend_ ? static_cast<unsigned char>(*rpos_) : peek_after_fill(); }
  // Consumes the byte that peek() just returned.
  void skip() { ++rpos_; }
  // Goes back to the first byte. False when the source cannot do that.
  bool rewind();
  // The stream whose output is flushed before this one waits for input (the console's prompt).
  void tie(Stream* output) { tied_ = output; }
  // Scratch text for the scanner: a number or word that did not lie whole in the buffer.
  std::string& scratch() { return scratch_; }

 private:
  enum class Kind { closed, file, borrowed_fd, memory_in, memory_out };
  void reset_state();
  void make_room();
  int peek_after_fill();
  bool fill();
  bool write_out(const char* data, std::size_t n) noexcept;
  bool flush_buffer() noexcept;
  bool drop_old_tail() noexcept;

  Kind kind_ = Kind::closed;
  int fd_ = -1;
  bool writing_ = false;
  bool ended_ = false;
  bool throws_on_write_error_ = false;
  bool flush_each_print_ = false;
  bool old_tail_ = false;         // the file may still hold old bytes past those written
  std::uint64_t written_ = 0;     // bytes that reached the file
  int error_ = 0;
  std::string label_;
  std::string* sink_ = nullptr;
  std::string_view memory_;
  Stream* tied_ = nullptr;
  std::string scratch_;
  const char* rpos_ = nullptr;
  const char* rend_ = nullptr;
  char* wpos_ = nullptr;
  char* wend_ = nullptr;
  char buffer_[buffer_size];
};

}  // namespace vibfrf::textio
