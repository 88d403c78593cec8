#pragma once

#include <atomic>
#include <thread>

namespace vantrel {

// Sets stop once nobody reads the pipe or socket fd any more (a `| head` that has what it
// wanted), so that a long search ends at once instead of at its next line of output. For
// any other kind of file it does nothing.
class ReaderGoneWatch {
 public:
  ReaderGoneWatch(int fd, std::atomic<bool>& stop);
  ~ReaderGoneWatch();  // stops watching

  ReaderGoneWatch(const ReaderGoneWatch&) = delete;
  ReaderGoneWatch& operator=(const ReaderGoneWatch&) = delete;

 private:
  int m_wake[2] = {-1, -1};  // a pipe whose write end ends the watch
  std::thread m_thread;
};

}  // namespace vantrel
