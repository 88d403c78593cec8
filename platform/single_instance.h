#pragma once

#include <string>
#include <string_view>

namespace vantrel {

enum class InstanceLockState {
  kAcquired,       // this process holds the lock
  kHeldElsewhere,  // another running copy holds it
  kUnavailable,    // the lock could not be made at all (see Problem)
};

// The directory for the per-user lock of application name: $XDG_RUNTIME_DIR when it is set to
// an absolute path of an existing, writable directory of this user's own with mode 0700 (not a
// symbolic link), otherwise "/tmp/<name>-<uid>".
std::string LockDirectory(std::string_view name);

// As above with the runtime directory (may be null) and the fallback's parent given.
std::string LockDirectory(std::string_view name, const char* runtimeDir,
                          const std::string& tmpRoot);

// A per-user lock named after the application, held from construction to destruction. The
// system drops it however the process ends, and programs the process starts never inherit it.
class SingleInstanceLock {
 public:
  // Takes the lock file "<directory>/<name>.lock", creating directory with mode 0700 when it is
  // missing. The directory must belong to this user, have mode 0700 and be no symbolic link.
  SingleInstanceLock(std::string_view name, const std::string& directory);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  InstanceLockState State() const { return m_state; }
  // Why the lock is unavailable; empty otherwise.
  const std::string& Problem() const { return m_problem; }

 private:
  void Fail(const std::string& what, int error);

  int m_fd = -1;
  InstanceLockState m_state = InstanceLockState::kUnavailable;
  std::string m_problem;
};

}  // namespace vantrel
