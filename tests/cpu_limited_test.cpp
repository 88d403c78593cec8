// Work run under a CPU limit in a process of its own.
#include "cpu_limited.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace vantrel {
namespace {

TEST(CpuLimited, GivesTheChildsBytesOrNoneWhenItRanOutOrFailed) {
  const CpuLimited done = RunCpuLimited(5, [] { return std::string(100000, 'x') + "end"; });
  ASSERT_TRUE(done.out.has_value());
  EXPECT_EQ(done.out->size(), 100003u);
  EXPECT_TRUE(done.out->ends_with("end"));

  // A loop that looks at no clock still ends at the limit, and its CPU counts.
  const CpuLimited spun = RunCpuLimited(1, []() -> std::string {
    volatile unsigned long turns = 0;
    for (;;) turns = turns + 1;
  });
  EXPECT_FALSE(spun.out.has_value());
  // Counted, but not to the tick: the kernel's limit and the accounts it hands back differ.
  EXPECT_GT(spun.cpuSeconds, 0);

  const CpuLimited threw = RunCpuLimited(1, []() -> std::string { throw std::runtime_error("x"); });
  EXPECT_FALSE(threw.out.has_value());
}

}  // namespace
}  // namespace vantrel
