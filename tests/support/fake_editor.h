#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editor_launch.h"

namespace vantrel::testing {

// Starts no process: records each start, and its sessions report the editor open for a set
// number of looks, so tests can follow the order of start, waiting and what comes after.
class FakeEditorLauncher final : public IEditorLauncher {
 public:
  EditorStart Start(const std::string& file) override;

  std::string failure;            // when not empty, Start fails with this text
  std::string endFailure;         // what sessions report as gone wrong once closed
  int looksWhileOpen = 0;         // IsOpen answers true this many times, then false
  std::function<void()> onLook;   // runs at every look, before it is answered
  std::function<void()> onClose;  // runs once, when a look first finds the editor closed
  std::vector<std::string> startedFiles;
  int looks = 0;  // IsOpen calls, over all sessions
};

// Records the waits instead of waiting.
class RecordingWaiter final : public IWaiter {
 public:
  void WaitMilliseconds(int milliseconds) override { waits.push_back(milliseconds); }

  std::vector<int> waits;
};

}  // namespace vantrel::testing
