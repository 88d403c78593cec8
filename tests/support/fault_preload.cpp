// Preloaded into vantrel-cli by the fault tests: makes one kind of file operation fail, as a
// disk or file system can. VANTREL_FAULT names the faults, separated by commas:
//   read          reading ResistorLibrary.txt fails
//   fsync, close  flushing or closing a regular file open for writing fails (close does close)
//   rename        every rename fails
//   no-tmpfile    the file system offers no unnamed files (O_TMPFILE)
//   append-once   another program appends to the library before the first flush of a new file
//   append-always  ... before every flush
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Fault(const char* name) {
  const char* list = std::getenv("VANTREL_FAULT");
  if (list == nullptr) return false;
  const std::size_t length = std::strlen(name);
  for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length) {
    const bool starts = at == list || at[-1] == ',';
    const bool ends = at[length] == '\0' || at[length] == ',';
    if (starts && ends) return true;
  }
  return false;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool IsRegular(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool OpenForWriting(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY && IsRegular(fd);
}

bool IsLibrary(int fd) {
  char link[64];
  char target[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = ::readlink(link, target, sizeof target - 1);
  if (n < 0) return false;
  target[n] = '\0';
  const char* leaf = std::strrchr(target, '/');
  return leaf != nullptr && std::strcmp(leaf, "/ResistorLibrary.txt") == 0;
}

int Fail(int error) {
  errno = error;
  return -1;
}

void AppendToLibrary() {
  static bool done = false;
  if (done && !Fault("append-always")) return;
  done = true;
  const int fd = ::open("ResistorLibrary.txt", O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return;
  const char value[] = "777\r\n";
  if (::write(fd, value, sizeof value - 1) < 0) std::abort();
  Next<int (*)(int)>("close")(fd);
}

}  // namespace

extern "C" {

ssize_t read(int fd, void* buffer, size_t count) {
  if (Fault("read") && IsLibrary(fd)) return Fail(EIO);
  return Next<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, count);
}

int fsync(int fd) {
  if (OpenForWriting(fd)) {
    if (Fault("append-once") || Fault("append-always")) AppendToLibrary();
    if (Fault("fsync")) return Fail(EIO);
  }
  return Next<int (*)(int)>("fsync")(fd);
}

int close(int fd) {
  const bool fail = Fault("close") && OpenForWriting(fd);
  const int result = Next<int (*)(int)>("close")(fd);
  return fail ? Fail(EIO) : result;
}

int rename(const char* from, const char* to) {
  if (Fault("rename")) return Fail(EIO);
  return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

int openat(int dirFd, const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
  }
  if ((flags & O_TMPFILE) == O_TMPFILE && Fault("no-tmpfile")) return Fail(EOPNOTSUPP);
  return Next<int (*)(int, const char*, int, ...)>("openat")(dirFd, path, flags, mode);
}

}  // extern "C"
