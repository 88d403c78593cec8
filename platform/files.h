#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantrel {

// The platform's own report of a failed file operation (delete, read, write, close, rename).
// It ends the running command; only the front end's top level catches it and shows it.
class FileError : public std::runtime_error {
 public:
  FileError(std::string operation, std::string path, std::string reason);

  const std::string& Operation() const { return m_operation; }
  const std::string& Path() const { return m_path; }
  const std::string& Reason() const { return m_reason; }

 private:
  std::string m_operation;
  std::string m_path;
  std::string m_reason;
};

// Which file a path named at one moment: another program's rewrite or append changes it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;

  bool operator==(const FileIdentity&) const = default;
};

// A file opened for reading. Closing happens on destruction when Close was not called.
class IReadableFile {
 public:
  virtual ~IReadableFile() = default;
  // Reads up to maxBytes from the current position; fewer only at the end of the file.
  // Throws FileError when the read fails.
  virtual std::string Read(std::size_t maxBytes) = 0;
  // Throws FileError when closing fails.
  virtual void Close() = 0;
  // The file as it was when opened, before anything was read.
  virtual FileIdentity Identity() const = 0;
};

// kChanged: the file was no longer the one expected, so it was left as it is.
enum class ReplaceOutcome { kReplaced, kCannotCreate, kChanged };
enum class CreateOutcome { kCreated, kExists, kCannotCreate };

class IFileService {
 public:
  virtual ~IFileService() = default;

  // Opens path read-only without blocking; nullptr when it cannot be opened or is no regular
  // file, whatever the reason.
  virtual std::unique_ptr<IReadableFile> OpenForRead(const std::string& path) = 0;

  // Replaces the existing file at path with content, so that a failure at any point leaves
  // the old file as it was. Throws FileError when path does not exist (nothing is written) or
  // when writing, flushing, closing or renaming fails; returns kCannotCreate when the new file
  // cannot be created next to it. With expected, the file is replaced only while it is still
  // that file; otherwise the result is kChanged and nothing is written.
  virtual ReplaceOutcome ReplaceFile(const std::string& path, std::string_view content,
                                     const std::optional<FileIdentity>& expected) = 0;

  // Creates the file at path with content when nothing of that name exists (kExists, and
  // nothing changes, when something does). Returns kCannotCreate when it cannot be created;
  // throws FileError when writing, flushing or closing fails, after removing the new file.
  virtual CreateOutcome CreateFile(const std::string& path, std::string_view content) = 0;

  // What path names when it is neither a regular file nor a symbolic link to one, as words
  // to follow "is": "a folder", "a FIFO, not a regular file", "a dangling symbolic link to
  // "X"", ...; empty for a regular file, a link to one, or nothing at all.
  virtual std::string NotRegularFile(const std::string& path) = 0;

  // The system's reason ("Permission denied", ...) why the last OpenForRead gave nullptr or the
  // last ReplaceFile or CreateFile gave kCannotCreate.
  virtual std::string LastFailure() const = 0;
};

// LastFailure of a file that does not exist.
std::string MissingFileReason();

}  // namespace vantrel
