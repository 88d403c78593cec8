#pragma once

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "files.h"

namespace vantrel {

// Removes from the folder dirFd the new files of rewrites killed before their rename: the
// names .ResistorLibrary.txt.PID.XXXXXX, exactly, whose writer PID no longer runs. A running
// writer's file is left alone (its owner may be another user: EPERM), and so are this process's
// own. Nothing happens in a folder that cannot be listed.
void RemoveLeftovers(int dirFd);

// Files on the local file system through POSIX calls.
class PosixFileService final : public IFileService {
 public:
  std::unique_ptr<IReadableFile> OpenForRead(const std::string& path) override;
  ReplaceOutcome ReplaceFile(const std::string& path, std::string_view content,
                             const std::optional<FileIdentity>& expected) override;
  CreateOutcome CreateFile(const std::string& path, std::string_view content) override;
  std::string NotRegularFile(const std::string& path) override;
  std::string LastFailure() const override { return m_lastFailure; }

 private:
  // Keeps errno's reason, or reason when it is given; returns result.
  template <typename T>
  T Failed(T result, const char* reason = nullptr) {
    m_lastFailure = reason ? reason : std::strerror(errno);
    return result;
  }

  std::string m_lastFailure;
};

}  // namespace vantrel
