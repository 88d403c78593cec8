#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vantrel {

// What work run under a CPU limit gave: its bytes, or none where it ran out of time or died, and
// the CPU seconds it took.
struct CpuLimited {
  std::optional<std::string> out;
  double cpuSeconds = 0;
};

// Runs work in a child process of its own whose CPU time the kernel limits to seconds, rounded
// up to whole seconds (at least one), so that work which checks no clock of its own (a solver's
// first linear relaxation) still ends in time. The child shares nothing back but the bytes work
// returns. Where no child can be started, work runs here, unlimited. The caller holds no other
// thread: only the calling one lives on in the child.
CpuLimited RunCpuLimited(double seconds, const std::function<std::string()>& work);

}  // namespace vantrel
