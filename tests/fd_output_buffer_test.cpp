#include "fd_output_buffer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

namespace vantrel {
namespace {

// Pieces of every size, more than the buffer holds in all, reach the file whole and in order.
TEST(FdOutputBufferTest, WritesEveryByteInOrder) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const int fd = ::fileno(file);
  std::string expected;
  {
    FdOutputBuffer buffer(fd);
    std::ostream out(&buffer);
    for (int i = 0; i < 3000; ++i) {
      const std::string piece(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
      out << piece << i << '\n';
      out.put('.');
      expected += piece + std::to_string(i) + "\n.";
    }
    EXPECT_TRUE(out.flush());
    EXPECT_EQ(buffer.Failure(), "");
  }
  std::string written(expected.size() + 1, '\0');
  ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
  written.resize(static_cast<std::size_t>(::read(fd, written.data(), written.size())));
  EXPECT_EQ(written, expected);
  std::fclose(file);
}

// A failed write makes the stream bad at once and keeps the system's reason; nothing written
// later gets through.
TEST(FdOutputBufferTest, FailedWriteKeepsTheReason) {
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  FdOutputBuffer buffer(full);
  std::ostream out(&buffer);
  out << "a line\n";
  EXPECT_TRUE(out);  // held, not yet written
  EXPECT_FALSE(out.flush());
  EXPECT_EQ(buffer.Failure(), std::strerror(ENOSPC));
  out.clear();
  EXPECT_FALSE(out << std::string(100000, 'x'));
  EXPECT_FALSE(out.flush());
  ::close(full);
}

}  // namespace
}  // namespace vantrel
