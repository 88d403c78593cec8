#include "single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantrel {
namespace {

// Not a symbolic link, and nobody else can reach it: only then can the lock not be read,
// taken or moved by another user.
bool IsPrivateDirectory(const struct stat& info) {
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}

}  // namespace

std::string LockDirectory(std::string_view name) {
  return LockDirectory(name, std::getenv("XDG_RUNTIME_DIR"), "/tmp");
}

std::string LockDirectory(std::string_view name, const char* runtimeDir,
                          const std::string& tmpRoot) {
  // Any doubt about the runtime directory sends every start to the one fallback, so that two
  // starts never lock in two places.
  struct stat info {};
  if (runtimeDir != nullptr && runtimeDir[0] == '/' && ::lstat(runtimeDir, &info) == 0 &&
      IsPrivateDirectory(info) && ::access(runtimeDir, W_OK) == 0) {
    return runtimeDir;
  }
  return tmpRoot + '/' + std::string(name) + '-' + std::to_string(::geteuid());
}

SingleInstanceLock::SingleInstanceLock(std::string_view name, const std::string& directory) {
  if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
    Fail("cannot create \"" + directory + "\"", errno);
    return;
  }
  // A directory in a shared place such as /tmp could have been made by someone else first.
  struct stat info {};
  if (::lstat(directory.c_str(), &info) != 0) {
    Fail("cannot examine \"" + directory + "\"", errno);
    return;
  }
  if (!IsPrivateDirectory(info)) {
    m_problem = "\"" + directory + "\" is not a directory of this user's own with mode 0700";
    return;
  }

  const std::string path = directory + '/' + std::string(name) + ".lock";
  // O_CLOEXEC keeps the lock out of programs started from here, such as the library editor.
  m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (m_fd < 0) {
    Fail("cannot open \"" + path + "\"", errno);
    return;
  }
  int result = 0;
  do {
    result = ::flock(m_fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) {
    m_state = InstanceLockState::kAcquired;
  } else if (errno == EWOULDBLOCK) {
    m_state = InstanceLockState::kHeldElsewhere;
  } else {
    Fail("cannot lock \"" + path + "\"", errno);
  }
}

SingleInstanceLock::~SingleInstanceLock() {
  if (m_fd >= 0) ::close(m_fd);
}

void SingleInstanceLock::Fail(const std::string& what, int error) {
  m_state = InstanceLockState::kUnavailable;
  m_problem = what + ": " + std::strerror(error);
}

}  // namespace vantrel
