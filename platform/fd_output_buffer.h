#pragma once

#include <streambuf>
#include <string>

namespace vantrel {

// An output stream buffer over a file descriptor that keeps the system's reason for a failed
// write, so that the program can say why its results were lost. It holds up to 64 KiB, or up
// to the end of a line when fd is a terminal. Once a write has failed, every later one fails
// too and the stream it serves goes bad.
class FdOutputBuffer final : public std::streambuf {
 public:
  explicit FdOutputBuffer(int fd);
  ~FdOutputBuffer() override;  // writes out what is held

  FdOutputBuffer(const FdOutputBuffer&) = delete;
  FdOutputBuffer& operator=(const FdOutputBuffer&) = delete;

  // Why the first failed write failed ("No space left on device"); empty while none has.
  const std::string& Failure() const { return m_failure; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int sync() override;

 private:
  bool Drain();  // writes out what is held; false once a write has failed

  int m_fd;
  bool m_lineBuffered;
  std::string m_held;
  std::string m_failure;
};

}  // namespace vantrel
