#include "fake_services.h"

#include <algorithm>
#include <functional>

namespace vantrel::testing {
namespace {

// Any change to the content changes the identity, as a write changes size or time.
FileIdentity IdentityOf(const std::string& content) {
  return {0, std::hash<std::string>{}(content), static_cast<std::int64_t>(content.size()), 0, 0};
}

class FakeReadableFile final : public IReadableFile {
 public:
  FakeReadableFile(FakeFileService& owner, std::string path, std::string content)
      : m_owner(owner), m_path(std::move(path)), m_content(std::move(content)) {}

  std::string Read(std::size_t maxBytes) override {
    m_owner.readSizes.push_back(maxBytes);
    if (m_owner.failRead) throw FileError("read", m_path, "Input/output error");
    std::string chunk = m_content.substr(m_position, maxBytes);
    m_position += chunk.size();
    return chunk;
  }

  void Close() override {
    if (m_owner.failClose) throw FileError("close", m_path, "Input/output error");
  }

  FileIdentity Identity() const override {
    FileIdentity identity = IdentityOf(m_content);
    if (m_owner.reportedSize) identity.size = *m_owner.reportedSize;
    return identity;
  }

 private:
  FakeFileService& m_owner;
  std::string m_path;
  std::string m_content;
  std::size_t m_position = 0;
};

}  // namespace

std::vector<std::string> FakeMessageService::Texts() const {
  std::vector<std::string> texts;
  std::transform(shown.begin(), shown.end(), std::back_inserter(texts),
                 [](const Message& m) { return m.text; });
  return texts;
}

std::unique_ptr<IReadableFile> FakeFileService::OpenForRead(const std::string& path) {
  if (notRegular.count(path)) {
    lastFailure = "Not a regular file";
    return nullptr;
  }
  const auto found = files.find(path);
  if (failOpen || found == files.end()) {
    lastFailure = failOpen ? "Permission denied" : MissingFileReason();
    return nullptr;
  }
  return std::make_unique<FakeReadableFile>(*this, path, found->second);
}

ReplaceOutcome FakeFileService::ReplaceFile(const std::string& path, std::string_view content,
                                            const std::optional<FileIdentity>& expected) {
  ++replaceCalls;
  if (beforeReplace) beforeReplace();
  const auto found = files.find(path);
  if (found == files.end()) throw FileError("replace", path, "No such file or directory");
  if (failCreate) {
    lastFailure = "Permission denied";
    return ReplaceOutcome::kCannotCreate;
  }
  if (failWrite) throw FileError("write", path, "No space left on device");
  if (expected && IdentityOf(found->second) != *expected) return ReplaceOutcome::kChanged;
  found->second = content;
  return ReplaceOutcome::kReplaced;
}

CreateOutcome FakeFileService::CreateFile(const std::string& path, std::string_view content) {
  if (files.count(path) || notRegular.count(path)) return CreateOutcome::kExists;
  if (failCreate) {
    lastFailure = "Permission denied";
    return CreateOutcome::kCannotCreate;
  }
  if (failWrite) throw FileError("write", path, "No space left on device");
  files[path] = content;
  return CreateOutcome::kCreated;
}

std::string FakeFileService::NotRegularFile(const std::string& path) {
  const auto found = notRegular.find(path);
  return found == notRegular.end() ? std::string() : found->second;
}

}  // namespace vantrel::testing
