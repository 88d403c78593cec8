#include "fake_editor.h"

#include <memory>

namespace vantrel::testing {
namespace {

class FakeEditorSession final : public IEditorSession {
 public:
  explicit FakeEditorSession(FakeEditorLauncher& owner) : m_owner(owner) {}

  bool IsOpen() override {
    ++m_owner.looks;
    if (m_owner.onLook) m_owner.onLook();
    if (m_looks++ < m_owner.looksWhileOpen) return true;
    if (!m_closed && m_owner.onClose) m_owner.onClose();
    m_closed = true;
    return false;
  }

  std::string Failure() const override { return m_owner.endFailure; }

 private:
  FakeEditorLauncher& m_owner;
  int m_looks = 0;
  bool m_closed = false;
};

}  // namespace

EditorStart FakeEditorLauncher::Start(const std::string& file) {
  startedFiles.push_back(file);
  if (!failure.empty()) return {nullptr, failure};
  return {std::make_unique<FakeEditorSession>(*this), {}};
}

}  // namespace vantrel::testing
