#include "reader_watch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vantrel {
namespace {

// The watch on a pipe's write end: quiet while the pipe is read, stop once the reader closes.
TEST(ReaderGoneWatchTest, SetsStopOnlyWhenTheReaderHasGone) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::atomic<bool> stop = false;
  { ReaderGoneWatch watch(ends[1], stop); }
  EXPECT_FALSE(stop);

  ReaderGoneWatch watch(ends[1], stop);
  ::close(ends[0]);
  // Waits for the event, not for a time: the bound only keeps a broken watch from hanging.
  for (int i = 0; i < 6000 && !stop; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(stop);
  ::close(ends[1]);
}

}  // namespace
}  // namespace vantrel
