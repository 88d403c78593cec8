// The fuzz binary's own definitions of the C library's file calls. The executable's symbols
// come before the C library's, so the real file code, and nothing else, reaches these; they
// hand each call on to the C library unless the plan of a living FileFaults makes it fail.
#include "file_faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdarg>

namespace vantrel::fuzz {
namespace {

constexpr int kShortMove = -1;

struct State {
  bool armed = false;
  unsigned calls = 0;
  FaultPlan plan{};
  bool failed = false;
  // Descriptors opened while armed: only their reads, writes, flushes and closes count, so
  // libFuzzer's own files are never touched.
  std::array<int, 64> fds{};
  std::size_t fdCount = 0;
};

constinit thread_local State t_state{};

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// Counts a call and decides it: 0 goes through, kShortMove moves one byte at most, any other
// value is the errno the call fails with. transfer: a read or a write.
int Decide(bool transfer) {
  State& state = t_state;
  const unsigned number = ++state.calls;
  for (const Fault& fault : state.plan) {
    if (fault.first == 0 || number < fault.first || number - fault.first >= fault.count) continue;
    if (fault.shortMove && transfer) return kShortMove;
    const int error = fault.shortMove ? EIO : fault.error;
    if (!(transfer && error == EINTR)) state.failed = true;
    return error;
  }
  return 0;
}

bool Tracked(int fd) {
  const State& state = t_state;
  return std::find(state.fds.begin(), state.fds.begin() + state.fdCount, fd) !=
         state.fds.begin() + state.fdCount;
}

int Track(int fd) {
  State& state = t_state;
  if (fd >= 0 && !Tracked(fd) && state.fdCount < state.fds.size()) state.fds[state.fdCount++] = fd;
  return fd;
}

void Untrack(int fd) {
  State& state = t_state;
  auto* const end = state.fds.begin() + state.fdCount;
  auto* const found = std::find(state.fds.begin(), end, fd);
  if (found == end) return;
  *found = end[-1];
  --state.fdCount;
}

int Fail(int error) {
  errno = error;
  return -1;
}

// A call on a descriptor counts when the descriptor was opened while armed.
bool Counts(int fd) {
  return t_state.armed && Tracked(fd);
}

bool NeedsMode(int flags) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

}  // namespace

FileFaults::FileFaults(const FaultPlan& plan) {
  t_state = State{};
  t_state.plan = plan;
  t_state.armed = true;
}

FileFaults::~FileFaults() {
  t_state.armed = false;
  t_state.fdCount = 0;
}

bool FileFaults::Failed() const {
  return t_state.failed;
}

}  // namespace vantrel::fuzz

using vantrel::fuzz::Counts;
using vantrel::fuzz::Decide;
using vantrel::fuzz::Fail;
using vantrel::fuzz::kShortMove;
using vantrel::fuzz::Real;
using vantrel::fuzz::t_state;
using vantrel::fuzz::Track;
using vantrel::fuzz::Untrack;

extern "C" {

int open(const char* path, int flags, ...) {
  static const auto real = Real<int (*)(const char*, int, ...)>("open");
  mode_t mode = 0;
  if (vantrel::fuzz::NeedsMode(flags)) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
  }
  if (!t_state.armed) return real(path, flags, mode);
  if (const int error = Decide(false)) return Fail(error);
  return Track(real(path, flags, mode));
}

int openat(int dirFd, const char* path, int flags, ...) {
  static const auto real = Real<int (*)(int, const char*, int, ...)>("openat");
  mode_t mode = 0;
  if (vantrel::fuzz::NeedsMode(flags)) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
  }
  if (!t_state.armed) return real(dirFd, path, flags, mode);
  if (const int error = Decide(false)) return Fail(error);
  return Track(real(dirFd, path, flags, mode));
}

int mkostemp(char* pattern, int flags) {
  static const auto real = Real<int (*)(char*, int)>("mkostemp");
  if (!t_state.armed) return real(pattern, flags);
  if (const int error = Decide(false)) return Fail(error);
  return Track(real(pattern, flags));
}

ssize_t read(int fd, void* buffer, size_t count) {
  static const auto real = Real<ssize_t (*)(int, void*, size_t)>("read");
  if (!Counts(fd)) return real(fd, buffer, count);
  const int decision = Decide(true);
  if (decision == kShortMove) return real(fd, buffer, std::min<size_t>(count, 1));
  return decision != 0 ? Fail(decision) : real(fd, buffer, count);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
  if (!Counts(fd)) return real(fd, buffer, count);
  const int decision = Decide(true);
  if (decision == kShortMove) return real(fd, buffer, std::min<size_t>(count, 1));
  return decision != 0 ? Fail(decision) : real(fd, buffer, count);
}

int fsync(int fd) {
  static const auto real = Real<int (*)(int)>("fsync");
  if (!Counts(fd)) return real(fd);
  if (const int error = Decide(false)) return Fail(error);
  return real(fd);
}

// As on Linux, the descriptor is gone even when close reports a failure.
int close(int fd) {
  static const auto real = Real<int (*)(int)>("close");
  if (!Counts(fd)) return real(fd);
  Untrack(fd);
  const int error = Decide(false);
  const int result = real(fd);
  return error != 0 ? Fail(error) : result;
}

int rename(const char* from, const char* to) noexcept {
  static const auto real = Real<int (*)(const char*, const char*)>("rename");
  if (!t_state.armed) return real(from, to);
  if (const int error = Decide(false)) return Fail(error);
  return real(from, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) noexcept {
  static const auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
  if (!t_state.armed) return real(fromDir, from, toDir, to, flags);
  if (const int error = Decide(false)) return Fail(error);
  return real(fromDir, from, toDir, to, flags);
}

}  // extern "C"
