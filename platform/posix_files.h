#pragma once

#include "files.h"

namespace vantrel {

// Files on the local file system through POSIX calls.
class PosixFileService final : public IFileService {
 public:
  std::unique_ptr<IReadableFile> OpenForRead(const std::string& path) override;
  ReplaceOutcome ReplaceFile(const std::string& path, std::string_view content,
                             const std::optional<FileIdentity>& expected) override;
};

}  // namespace vantrel
