#include "cpu_limited.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>

namespace vantrel {
namespace {

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double OwnCpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// In the child: the limit, then work, its bytes into fd. Never returns.
[[noreturn]] void RunChild(double seconds, const std::function<std::string()>& work, int fd) {
  // The kernel sends SIGXCPU at the soft limit and SIGKILL a second later; no core is left.
  const rlim_t whole = static_cast<rlim_t>(std::max(1.0, std::ceil(seconds)));
  const rlimit cpu{whole, whole + 1};
  const rlimit core{0, 0};
  if (::setrlimit(RLIMIT_CPU, &cpu) != 0 || ::setrlimit(RLIMIT_CORE, &core) != 0) ::_exit(3);
  std::string out;
  try {
    out = work();
  } catch (...) {
    ::_exit(2);
  }
  for (std::size_t done = 0; done < out.size();) {
    const ssize_t wrote = ::write(fd, out.data() + done, out.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) ::_exit(4);
    done += static_cast<std::size_t>(wrote);
  }
  // No exit handlers: they belong to the parent, which runs them once.
  ::_exit(0);
}

}  // namespace

CpuLimited RunCpuLimited(double seconds, const std::function<std::string()>& work) {
  const auto here = [&] {
    const double started = OwnCpuSeconds();
    CpuLimited result;
    result.out = work();
    result.cpuSeconds = OwnCpuSeconds() - started;
    return result;
  };
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return here();
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return here();
  }
  if (child == 0) {
    ::close(fds[0]);
    RunChild(seconds, work, fds[1]);
  }
  ::close(fds[1]);
  std::string out;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fds[0]);
  int status = 0;
  rusage usage{};
  pid_t waited = 0;
  do {
    waited = ::wait4(child, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  CpuLimited result;
  result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  if (waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    result.out = std::move(out);
  }
  return result;
}

}  // namespace vantrel
