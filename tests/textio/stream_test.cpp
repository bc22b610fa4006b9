#include "textio/stream.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "stream_text.hpp"
#include "temp_dir.hpp"

namespace vibfrf::textio {
namespace {

using vibfrf::testing::read_file;
using vibfrf::testing::TempDir;
using vibfrf::testing::write_file;

std::string read_all(Stream& in) { return vibfrf::testing::unread_text(in); }

TEST(Stream, WritesAndReadsBackMoreThanOneBuffer) {
  TempDir dir;
  const std::string path = (dir / "big.txt").string();
  std::string expected;
  for (std::size_t i = 0; expected.size() < 3 * Stream::buffer_size + 17; ++i)
    expected += std::to_string(i) + (i % 7 == 0 ? "\n" : " ");
  Stream out;
  ASSERT_TRUE(out.open(path.c_str(), "w"));
  out.write(expected.substr(0, 100));
  out.write(expected.substr(100));  // larger than the buffer: goes straight through
  EXPECT_TRUE(out.close());
  EXPECT_EQ(read_file(path), expected);

  Stream in;
  ASSERT_TRUE(in.open(path.c_str(), "rb"));
  EXPECT_EQ(read_all(in), expected);
  EXPECT_TRUE(in.ended());
  ASSERT_TRUE(in.rewind());
  EXPECT_EQ(read_all(in), expected);
}

TEST(Stream, WriteModeCreatesOrEmpties) {
  TempDir dir;
  const std::string path = (dir / "old.out").string();
  write_file(path, "earlier content");
  Stream out;
  ASSERT_TRUE(out.open(path.c_str(), "w"));
  EXPECT_TRUE(out.close());
  EXPECT_EQ(read_file(path), "");
}

// A file is overwritten in place rather than emptied at open: what it held beyond the new text
// must be gone at each flush and at close, through a link too, and a longer text must replace a
// shorter one whole.
TEST(Stream, WriteModeReplacesLongerAndShorterFiles) {
  TempDir dir;
  const std::string path = (dir / "old.out").string();
  const std::string link = (dir / "link.out").string();
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  const std::string long_text(2 * Stream::buffer_size + 5, 'x');
  struct Row {
    std::string before, first, second;
  };
  const Row rows[] = {
      {long_text, "new", " text"},
      {"short", long_text, "!"},
      {long_text, "", ""},
  };
  for (const Row& row : rows) {
    for (const std::string& name : {path, link}) {
      write_file(path, row.before);
      Stream out;
      ASSERT_TRUE(out.open(name.c_str(), "w"));
      out.write(row.first);
      EXPECT_TRUE(out.flush());
      EXPECT_EQ(read_file(path), row.first) << "after flush, through " << name;
      out.write(row.second);
      EXPECT_TRUE(out.close());
      EXPECT_EQ(read_file(path), row.first + row.second) << "after close, through " << name;
    }
  }
}

// A run that is stopped in the middle (killed, or the machine fails) must not leave a file that
// mixes the new text with the end of the old one: whenever a full buffer goes out, whatever lay
// beyond it in the file goes too.
TEST(Stream, FileNeverMixesNewTextWithTheOldEnd) {
  TempDir dir;
  const std::string path = (dir / "H1.out").string();
  write_file(path, std::string(3 * Stream::buffer_size, 'o'));
  Stream out;
  ASSERT_TRUE(out.open(path.c_str(), "w"));
  out.write(std::string(Stream::buffer_size + Stream::buffer_size / 2, 'n'));  // one buffer goes out
  const std::string seen = read_file(path);  // as a reader (or a crash) sees it now
  EXPECT_EQ(seen.find('o'), std::string::npos) << seen.size() << " bytes, some old";
  EXPECT_EQ(seen, std::string(seen.size(), 'n'));
  EXPECT_TRUE(out.close());
}

TEST(Stream, FailedOpensTellWhy) {
  TempDir dir;
  Stream s;
  EXPECT_FALSE(s.open((dir / "missing.txt").c_str(), "rb"));
  EXPECT_EQ(s.error(), ENOENT);
  EXPECT_FALSE(s.is_open());
  EXPECT_FALSE(s.open(dir.path().c_str(), "w"));  // a directory cannot be written
  EXPECT_EQ(s.error(), EISDIR);
  EXPECT_FALSE(s.open((dir / "x").c_str(), "r+"));  // only the program's two modes
}

TEST(Stream, FifoOpensWithoutWaitingAndIsNoRegularFile) {
  TempDir dir;
  const std::string path = (dir / "pipe").string();
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  Stream out;
  EXPECT_FALSE(out.open(path.c_str(), "w"));  // no reader: refused at once, not awaited
  EXPECT_EQ(out.error(), ENXIO);
  Stream in;
  ASSERT_TRUE(in.open(path.c_str(), "rb"));  // no writer: opened at once, not awaited
  ASSERT_TRUE(in.identity().has_value());
  EXPECT_FALSE(in.identity()->regular);
}

TEST(Stream, CloseIsSafeTwice) {
  TempDir dir;
  Stream out;
  ASSERT_TRUE(out.open((dir / "a.out").c_str(), "w"));
  out.write("x");
  EXPECT_TRUE(out.close());
  EXPECT_TRUE(out.close());
  EXPECT_EQ(read_file(dir / "a.out"), "x");
}

TEST(Stream, FullDiskThrowsOnceTheBufferGoesOut) {
  Stream out;
  ASSERT_TRUE(out.open("/dev/full", "w"));
  const std::string line(1000, 'x');
  EXPECT_THROW(
      {
        for (int i = 0; i < 1000; ++i) out.write(line);
      },
      FileError);
  EXPECT_EQ(out.error(), ENOSPC);
  EXPECT_FALSE(out.close());
  EXPECT_EQ(out.error(), ENOSPC);  // still told after the close
}

TEST(Stream, FullDiskIsToldByCloseForASmallFile) {
  Stream out;
  ASSERT_TRUE(out.open("/dev/full", "w"));
  out.write("short");
  EXPECT_FALSE(out.close());
  EXPECT_EQ(out.error(), ENOSPC);
}

TEST(Stream, IdentityTellsOneFileUnderTwoNames) {
  TempDir dir;
  write_file(dir / "data.txt", "1 2\n");
  ASSERT_EQ(::symlink("data.txt", (dir / "link.txt").c_str()), 0);
  Stream in;
  ASSERT_TRUE(in.open((dir / "link.txt").c_str(), "rb"));
  EXPECT_EQ(in.identity(), identity_of((dir / "data.txt").c_str()));
  EXPECT_NE(in.identity(), identity_of(dir.path().c_str()));
  EXPECT_FALSE(identity_of((dir / "none").c_str()).has_value());
}

TEST(Stream, MemoryInputEndsWithItsBytes) {
  const std::string bytes = "ab";
  Stream in;
  in.open_memory_input(bytes);
  EXPECT_EQ(read_all(in), "ab");
  EXPECT_EQ(in.peek(), Stream::end_of_input);
  ASSERT_TRUE(in.rewind());
  EXPECT_EQ(in.peek(), 'a');
}

}  // namespace
}  // namespace vibfrf::textio
