#include "reader_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace vantrel {

ReaderGoneWatch::ReaderGoneWatch(int fd, std::atomic<bool>& stop) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !(S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))) return;
  if (::pipe2(m_wake, O_CLOEXEC) != 0) return;
  m_thread = std::thread([this, fd, &stop] {
    // No events asked for fd: poll still reports the error and hang-up of a reader gone,
    // and a full pipe does not wake it.
    pollfd watched[2] = {{fd, 0, 0}, {m_wake[0], POLLIN, 0}};
    while (::poll(watched, 2, -1) < 0 && errno == EINTR) {
    }
    if (watched[0].revents & (POLLERR | POLLHUP)) stop = true;
  });
}

ReaderGoneWatch::~ReaderGoneWatch() {
  if (m_thread.joinable()) {
    const char wake = 0;
    while (::write(m_wake[1], &wake, 1) < 0 && errno == EINTR) {
    }
    m_thread.join();
  }
  for (int end : m_wake) {
    if (end >= 0) ::close(end);
  }
}

}  // namespace vantrel
