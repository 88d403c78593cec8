#include "posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <utility>

namespace vantrel {
namespace {

std::string ErrnoText(int error) {
  return std::strerror(error);
}

class PosixReadableFile final : public IReadableFile {
 public:
  PosixReadableFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
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

 private:
  int m_fd;
  std::string m_path;
};

// Closes and removes the temporary file unless the replacement went through.
class TemporaryFile {
 public:
  TemporaryFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
  ~TemporaryFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_path.empty()) ::unlink(m_path.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int Fd() const { return m_fd; }
  const std::string& Path() const { return m_path; }
  int ReleaseFd() { return std::exchange(m_fd, -1); }
  void Keep() { m_path.clear(); }

 private:
  int m_fd;
  std::string m_path;
};

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::unique_ptr<IReadableFile> PosixFileService::OpenForRead(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadableFile>(fd, path);
}

ReplaceOutcome PosixFileService::ReplaceFile(const std::string& path, std::string_view content) {
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
  // A rename would replace a write-protected file too; honour the protection instead.
  if (::access(target.c_str(), W_OK) != 0) throw FileError("replace", path, ErrnoText(errno));

  std::string pattern = DirectoryOf(target) + "/.ResistorLibrary.txt.XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return ReplaceOutcome::kCannotCreate;
  TemporaryFile temporary(fd, pattern);
  // Keep the file's owner (when allowed) and permission bits; a failure here leaves the
  // caller's ownership and the safe mkstemp default.
  (void)::fchown(fd, info.st_uid, info.st_gid);
  (void)::fchmod(fd, info.st_mode & 07777);

  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError("write", path, ErrnoText(errno));
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) throw FileError("write", path, ErrnoText(errno));
  if (::close(temporary.ReleaseFd()) != 0) throw FileError("close", path, ErrnoText(errno));
  if (::rename(temporary.Path().c_str(), target.c_str()) != 0) {
    throw FileError("replace", path, ErrnoText(errno));
  }
  temporary.Keep();

  // Make the rename itself durable; the data is already safe if this fails.
  const int dirFd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    (void)::fsync(dirFd);
    ::close(dirFd);
  }
  return ReplaceOutcome::kReplaced;
}

CreateOutcome PosixFileService::CreateFile(const std::string& path, std::string_view content) {
  // O_EXCL never opens what exists, a dangling symbolic link included.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? CreateOutcome::kExists : CreateOutcome::kCannotCreate;
  TemporaryFile created(fd, path);
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError("write", path, ErrnoText(errno));
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) throw FileError("write", path, ErrnoText(errno));
  if (::close(created.ReleaseFd()) != 0) throw FileError("close", path, ErrnoText(errno));
  created.Keep();
  return CreateOutcome::kCreated;
}

}  // namespace vantrel
