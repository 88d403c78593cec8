#include "posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

// A new file is named .ResistorLibrary.txt.PID.XXXXXX, PID being its writer's process.
constexpr std::string_view kTemporaryPrefix = ".ResistorLibrary.txt.";
// The characters mkostemp and LinkIntoFolder put in place of its XXXXXX.
constexpr std::string_view kNameLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string TemporaryPrefix() {
  return std::string(kTemporaryPrefix) + std::to_string(::getpid()) + '.';
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

FileIdentity IdentityOf(const struct stat& info) {
  return {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return m_fd; }

 private:
  int m_fd;
};

class PosixReadableFile final : public IReadableFile {
 public:
  PosixReadableFile(int fd, std::string path, FileIdentity identity)
      : m_fd(fd), m_path(std::move(path)), m_identity(identity) {}
  ~PosixReadableFile() override {
    if (m_fd >= 0) ::close(m_fd);
  }
  PosixReadableFile(const PosixReadableFile&) = delete;
  PosixReadableFile& operator=(const PosixReadableFile&) = delete;

  std::string Read(std::size_t maxBytes) override {
    std::string data(maxBytes, '\0');
    std::size_t got = 0;
    while (got < maxBytes) {
      const ssize_t n = ::read(m_fd, data.data() + got, maxBytes - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw FileError("read", m_path, ErrnoText(errno));
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return data;
  }

  void Close() override {
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) throw FileError("close", m_path, ErrnoText(errno));
  }

  FileIdentity Identity() const override { return m_identity; }

 private:
  int m_fd;
  std::string m_path;
  FileIdentity m_identity;
};

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, so that the new file is removed
// before they end the program; they take effect when the object goes.
class TerminationSignalsHeld {
 public:
  TerminationSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &m_previous);
  }
  ~TerminationSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
  TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
  TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;

 private:
  sigset_t m_previous{};
};

// Closes and removes the new file unless the replacement went through. An unnamed file has
// no path until it is linked into the folder.
class TemporaryFile {
 public:
  TemporaryFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
  ~TemporaryFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_path.empty()) ::unlink(m_path.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& Path() const { return m_path; }
  void Name(std::string path) { m_path = std::move(path); }
  int ReleaseFd() { return std::exchange(m_fd, -1); }
  void Keep() { m_path.clear(); }

 private:
  int m_fd;
  std::string m_path;
};

// Serialises the commits of rewrites by this program in one folder. The folder is locked,
// not the library: a rename replaces the library's inode, and a lock file would be left over.
class FolderLock {
 public:
  explicit FolderLock(int dirFd) : m_fd(dirFd) {
    // A folder opened only as a path cannot be locked; the identity check still applies.
    while (::flock(m_fd, LOCK_EX) != 0) {
      if (errno != EINTR) {
        m_fd = -1;
        return;
      }
    }
  }
  ~FolderLock() {
    if (m_fd >= 0) ::flock(m_fd, LOCK_UN);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int m_fd;
};

// Writes all of content to fd and flushes it to the disk; a failure throws FileError for path.
void WriteAllAndSync(int fd, std::string_view content, const std::string& path) {
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError("write", path, ErrnoText(errno));
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) throw FileError("write", path, ErrnoText(errno));
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Gives the unnamed file fd a free name in the folder; returns its path, or empty with errno.
std::string LinkIntoFolder(int fd, int dirFd, const std::string& directory) {
  const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned char random[6];
    if (::getentropy(random, sizeof random) != 0) return {};
    std::string leaf = TemporaryPrefix();
    for (unsigned char byte : random) leaf += kNameLetters[byte % kNameLetters.size()];
    // Through /proc an ordinary user may link an unnamed file; AT_EMPTY_PATH needs privilege.
    int result = ::linkat(AT_FDCWD, procPath.c_str(), dirFd, leaf.c_str(), AT_SYMLINK_FOLLOW);
    if (result != 0 && errno == ENOENT)
      result = ::linkat(fd, "", dirFd, leaf.c_str(), AT_EMPTY_PATH);
    if (result == 0) return directory + "/" + leaf;
    if (errno != EEXIST) return {};
  }
  errno = EEXIST;
  return {};
}

// The writer's pid in the name of a rewrite's new file, with exactly six letters or digits in
// place of its Xs; 0 for every other name.
pid_t LeftoverWriter(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return 0;
  name.remove_prefix(kTemporaryPrefix.size());
  const std::size_t dot = name.find('.');
  // A pid of up to 9 digits without a leading zero, then exactly the six random letters.
  if (dot == 0 || dot > 9 || name[0] == '0' || name.size() != dot + 7) return 0;  // npos too
  if (name.find_first_not_of(kNameLetters, dot + 1) != std::string_view::npos) return 0;
  pid_t pid = 0;
  for (char c : name.substr(0, dot)) {
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

// What a file of this type is, said of anything but a regular file or a symbolic link.
std::string TypeOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO, not a regular file";
  if (S_ISSOCK(mode)) return "a socket, not a regular file";
  if (S_ISCHR(mode)) return "a character device, not a regular file";
  if (S_ISBLK(mode)) return "a block device, not a regular file";
  return "not a regular file";
}

}  // namespace

void RemoveLeftovers(int dirFd) {
  const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR* folder = ::fdopendir(listFd);
  if (folder == nullptr) {
    ::close(listFd);
    return;
  }
  const pid_t self = ::getpid();
  std::vector<std::string> gone;
  while (const dirent* entry = ::readdir(folder)) {
    const pid_t writer = LeftoverWriter(entry->d_name);
    if (writer <= 0 || writer == self) continue;
    // errno tells only when kill failed: it may still hold an earlier call's ESRCH.
    if (::kill(writer, 0) != 0 && errno == ESRCH) gone.emplace_back(entry->d_name);
  }
  ::closedir(folder);
  for (const std::string& name : gone) (void)::unlinkat(dirFd, name.c_str(), 0);
}

std::unique_ptr<IReadableFile> PosixFileService::OpenForRead(const std::string& path) {
  // A FIFO or a device would block the open or the read; only a regular file is a library.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Failed(nullptr);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return Failed(nullptr);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return Failed(nullptr, "Not a regular file");
  }
  return std::make_unique<PosixReadableFile>(fd, path, IdentityOf(info));
}

ReplaceOutcome PosixFileService::ReplaceFile(const std::string& path, std::string_view content,
                                             const std::optional<FileIdentity>& expected) {
  // Replace what a symbolic link points at, not the link itself.
  std::string target = path;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) throw FileError("replace", path, ErrnoText(errno));
  if (S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
      throw FileError("replace", path, ErrnoText(errno));
    }
    target = resolved;
    if (::stat(target.c_str(), &info) != 0) throw FileError("replace", path, ErrnoText(errno));
  }
  if (!S_ISREG(info.st_mode)) throw FileError("replace", path, "Not a regular file");
  // A rename would replace a write-protected file too; honour the protection instead. Root
  // passes every access check, so a file nobody may write counts as protected for root too.
  if ((info.st_mode & 0222) == 0) throw FileError("replace", path, ErrnoText(EACCES));
  if (::access(target.c_str(), W_OK) != 0) throw FileError("replace", path, ErrnoText(errno));

  const std::string directory = DirectoryOf(target);
  int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
  if (dirFd < 0) dirFd = ::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return Failed(ReplaceOutcome::kCannotCreate);
  const Descriptor folder(dirFd);

  // Declared before the new file, so that the file is gone before held signals take effect.
  const TerminationSignalsHeld signalsHeld;
  // Unnamed until right before the rename, so a kill at any other moment leaves nothing; file
  // systems without O_TMPFILE get a named file at once.
  std::string named;
  int fd = ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) {
    named = directory + "/" + TemporaryPrefix() + "XXXXXX";
    fd = ::mkostemp(named.data(), O_CLOEXEC);
    if (fd < 0) return Failed(ReplaceOutcome::kCannotCreate);
  }
  TemporaryFile temporary(fd, named);
  // Keep the file's owner (when allowed) and permission bits; a failure here leaves the
  // caller's ownership and the safe 0600.
  (void)::fchown(fd, info.st_uid, info.st_gid);
  (void)::fchmod(fd, info.st_mode & 07777);

  WriteAllAndSync(fd, content, path);

  // An unnamed file lives on in a second descriptor until it is linked, so that closing, with
  // its errors, comes before the lock.
  const bool unnamed = temporary.Path().empty();
  const Descriptor linkable(unnamed ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1);
  if (unnamed && linkable.Get() < 0) throw FileError("write", path, ErrnoText(errno));
  if (::close(temporary.ReleaseFd()) != 0) throw FileError("close", path, ErrnoText(errno));

  const FolderLock lock(dirFd);
  RemoveLeftovers(dirFd);
  // From the link to the rename is the only moment a kill can leave the new file behind, and
  // from the check to the rename the only one in which another program's change is lost.
  if (unnamed) {
    std::string linked = LinkIntoFolder(linkable.Get(), dirFd, directory);
    if (linked.empty()) throw FileError("write", path, ErrnoText(errno));
    temporary.Name(std::move(linked));
  }
  if (expected) {
    struct stat now {};
    if (::stat(target.c_str(), &now) != 0 || IdentityOf(now) != *expected) {
      return ReplaceOutcome::kChanged;
    }
  }
  if (::rename(temporary.Path().c_str(), target.c_str()) != 0) {
    throw FileError("replace", path, ErrnoText(errno));
  }
  temporary.Keep();

  // Make the rename itself durable; the data is already safe if this fails.
  (void)::fsync(dirFd);
  return ReplaceOutcome::kReplaced;
}

std::string PosixFileService::NotRegularFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return {};
  if (S_ISREG(info.st_mode)) return {};
  if (!S_ISLNK(info.st_mode)) return TypeOf(info.st_mode);
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
  target.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  const std::string link = "symbolic link to \"" + target + '"';
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "a dangling " + link;
    if (errno == ELOOP) return "a " + link + " that leads round in a loop";
    return {};
  }
  return S_ISREG(info.st_mode) ? std::string() : "a " + link + ", which is " + TypeOf(info.st_mode);
}

CreateOutcome PosixFileService::CreateFile(const std::string& path, std::string_view content) {
  // O_EXCL never opens what exists, a dangling symbolic link included.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0)
    return errno == EEXIST ? CreateOutcome::kExists : Failed(CreateOutcome::kCannotCreate);
  TemporaryFile created(fd, path);
  WriteAllAndSync(fd, content, path);
  if (::close(created.ReleaseFd()) != 0) throw FileError("close", path, ErrnoText(errno));
  created.Keep();
  return CreateOutcome::kCreated;
}

}  // namespace vantrel
