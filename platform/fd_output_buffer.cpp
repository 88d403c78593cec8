#include "fd_output_buffer.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace vantrel {
namespace {

constexpr std::size_t kCapacity = 65536;

}  // namespace

FdOutputBuffer::FdOutputBuffer(int fd) : m_fd(fd), m_lineBuffered(::isatty(fd) == 1) {}

FdOutputBuffer::~FdOutputBuffer() {
  Drain();
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return Drain() ? traits_type::not_eof(c) : traits_type::eof();
  }
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize FdOutputBuffer::xsputn(const char* data, std::streamsize size) {
  if (!m_failure.empty()) return 0;
  const auto length = static_cast<std::size_t>(size);
  m_held.append(data, length);
  const bool lineEnded = m_lineBuffered && std::memchr(data, '\n', length) != nullptr;
  if ((m_held.size() >= kCapacity || lineEnded) && !Drain()) return 0;
  return size;
}

int FdOutputBuffer::sync() {
  return Drain() ? 0 : -1;
}

bool FdOutputBuffer::Drain() {
  std::size_t written = 0;
  while (m_failure.empty() && written < m_held.size()) {
    const ssize_t result = ::write(m_fd, m_held.data() + written, m_held.size() - written);
    if (result > 0) {
      written += static_cast<std::size_t>(result);
    } else if (result == 0) {
      m_failure = "nothing was written";
    } else if (errno != EINTR) {
      m_failure = std::strerror(errno);
    }
  }
  m_held.clear();
  return m_failure.empty();
}

}  // namespace vantrel
