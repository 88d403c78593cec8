#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "services.h"

namespace vantrel::testing {

// Records every message instead of showing it.
class FakeMessageService final : public IMessageService {
 public:
  void Show(const Message& message) override { shown.push_back(message); }
  std::vector<std::string> Texts() const;

  std::vector<Message> shown;
};

// In-memory files keyed by path, with failures that tests switch on.
class FakeFileService final : public IFileService {
 public:
  std::unique_ptr<IReadableFile> OpenForRead(const std::string& path) override;
  ReplaceOutcome ReplaceFile(const std::string& path, std::string_view content,
                             const std::optional<FileIdentity>& expected) override;
  CreateOutcome CreateFile(const std::string& path, std::string_view content) override;
  std::string NotRegularFile(const std::string& path) override;
  std::string LastFailure() const override { return lastFailure; }

  std::map<std::string, std::string> files;
  // Paths that name something else than a regular file, and what NotRegularFile says of it;
  // they cannot be read, replaced or created.
  std::map<std::string, std::string> notRegular;
  bool failOpen = false;
  bool failRead = false;
  bool failClose = false;
  bool failCreate = false;
  bool failWrite = false;
  std::vector<std::size_t> readSizes;  // the maxBytes of every read, in order
  // The size an opened file reports in place of its length, as /proc files report 0.
  std::optional<std::int64_t> reportedSize;
  int replaceCalls = 0;
  std::function<void()> beforeReplace;  // another program's turn, between read and write
  std::string lastFailure;
};

// A date that stays as the test sets it.
class FakeClock final : public IClock {
 public:
  std::string Today() const override { return today; }
  std::string today = "2026-12-01";
};

// The fakes bundled as the services a command takes.
struct FakeServices {
  FakeMessageService messages;
  FakeFileService files;
  FakeClock clock;
  Services services{messages, files, clock};
};

}  // namespace vantrel::testing
