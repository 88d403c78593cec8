#pragma once

#include <memory>
#include <string>

namespace vantrel {

// An editor that was started on a file.
class IEditorSession {
 public:
  virtual ~IEditorSession() = default;
  // True while the editor is still running; once it has ended, whatever its exit status,
  // false from then on.
  virtual bool IsOpen() = 0;
  // Once IsOpen is false: what went wrong with the editor ("The editor \"vi\" exited with
  // status 3"), when it could not be run, failed or was ended by a signal; empty otherwise.
  virtual std::string Failure() const = 0;
};

// The outcome of starting an editor: a session, or no session and the reason for the user.
struct EditorStart {
  std::unique_ptr<IEditorSession> session;
  std::string failure;
};

class IEditorLauncher {
 public:
  virtual ~IEditorLauncher() = default;
  // Starts an editor on file (resolved against the working directory) and returns at once.
  virtual EditorStart Start(const std::string& file) = 0;
};

// The pause between two looks at a running editor.
class IWaiter {
 public:
  virtual ~IWaiter() = default;
  // Returns after about the given time.
  virtual void WaitMilliseconds(int milliseconds) = 0;
};

// Waits by suspending the calling thread.
class SleepingWaiter final : public IWaiter {
 public:
  void WaitMilliseconds(int milliseconds) override;
};

// The variables that choose an editor; an empty text counts as unset.
struct EditorEnvironment {
  std::string vantrelEditor;  // VANTREL_EDITOR
  std::string visual;         // VISUAL
  std::string editor;         // EDITOR
  std::string path;           // PATH, where editors and terminal emulators are looked up

  static EditorEnvironment FromProcess();
};

// Starts an editor for a window program, in a session of its own and with no descriptor but
// stdin, stdout and stderr. The first that applies: VANTREL_EDITOR as a shell command; an
// installed desktop editor in its blocking mode; VISUAL, else EDITOR, in a terminal emulator
// that waits for it. Fails when VANTREL_EDITOR cannot be run or nothing else can be started.
class DesktopEditorLauncher final : public IEditorLauncher {
 public:
  explicit DesktopEditorLauncher(EditorEnvironment environment = EditorEnvironment::FromProcess());
  EditorStart Start(const std::string& file) override;

 private:
  EditorEnvironment m_environment;
};

// Starts VANTREL_EDITOR, else VISUAL, else EDITOR in the terminal the program runs in. The
// session waits for the editor when first asked, with interrupts ignored meanwhile so that
// Ctrl-C reaches only the editor. Fails when none of the three is set.
class TerminalEditorLauncher final : public IEditorLauncher {
 public:
  explicit TerminalEditorLauncher(EditorEnvironment environment = EditorEnvironment::FromProcess());
  EditorStart Start(const std::string& file) override;

 private:
  EditorEnvironment m_environment;
};

}  // namespace vantrel
