#include "editor_launch.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "number_text.h"

extern char** environ;

namespace vantrel {
namespace {

constexpr char kShell[] = "/bin/sh";

// A program and the options that come before the file or command it is given.
struct ProgramForm {
  std::string name;
  std::vector<std::string> options;
};

// Desktop editors in the mode that returns only when their window is closed.
const std::vector<ProgramForm>& DesktopEditors() {
  static const std::vector<ProgramForm> editors = {
      {"gedit", {"--wait"}},
      {"kate", {"--block"}},
      {"mousepad", {"--disable-server"}},
      {"gnome-text-editor", {"--standalone"}},
      {"code", {"--wait"}},
  };
  return editors;
}

// Terminal emulators that run the command after the options in a process of their own and
// end when it ends; those that can hand it to an already running server are kept from it.
const std::vector<ProgramForm>& Terminals() {
  static const std::vector<ProgramForm> terminals = {
      {"gnome-terminal", {"--wait", "--"}},
      {"konsole", {"--separate", "-e"}},
      {"xfce4-terminal", {"--disable-server", "-x"}},
      {"alacritty", {"-e"}},
      {"kitty", {}},
      {"foot", {}},
      {"urxvt", {"-e"}},
      {"xterm", {"-e"}},
      {"uxterm", {"-e"}},
      {"lxterm", {"-e"}},
  };
  return terminals;
}

// A file name starting with "-" would be taken for an option.
std::string FileArgument(const std::string& file) {
  return file.starts_with('-') ? "./" + file : file;
}

// Runs command through the shell the way git runs its editor: the file becomes "$1", so the
// shell never parses its name.
std::vector<std::string> ShellCommand(const std::string& command, const std::string& file) {
  return {kShell, "-c", command + " \"$@\"", "sh", file};
}

// Looks name up in the directories of path. Relative entries, the empty one included, are
// skipped: they name the working directory, which holds the user's files, not programs.
std::string FindProgram(const std::string& name, const std::string& path) {
  std::size_t begin = 0;
  while (begin <= path.size()) {
    const std::size_t end = std::min(path.find(':', begin), path.size());
    const std::string directory = path.substr(begin, end - begin);
    begin = end + 1;
    if (!directory.starts_with('/')) continue;
    const std::string candidate = directory + "/" + name;
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

// The terminals in the order to try: the system's default terminal first when it is one of
// the known ones (Debian's x-terminal-emulator may point at a wrapper that does not wait).
std::vector<const ProgramForm*> TerminalsToTry(const std::string& path) {
  std::vector<const ProgramForm*> order;
  const std::string chosen = FindProgram("x-terminal-emulator", path);
  char resolved[PATH_MAX];
  if (!chosen.empty() && ::realpath(chosen.c_str(), resolved) != nullptr) {
    std::string name = resolved;
    name.erase(0, name.rfind('/') + 1);
    if (name.ends_with(".wrapper")) name.resize(name.size() - std::strlen(".wrapper"));
    for (const ProgramForm& terminal : Terminals()) {
      if (terminal.name == name) order.push_back(&terminal);
    }
  }
  for (const ProgramForm& terminal : Terminals()) {
    if (std::find(order.begin(), order.end(), &terminal) == order.end()) {
      order.push_back(&terminal);
    }
  }
  return order;
}

enum class SessionMode { kOwnSession, kForeground };

// Starts argv[0] (an absolute path) with the program's environment; returns 0 or an errno.
int Spawn(const std::vector<std::string>& argv, SessionMode mode, pid_t& pid) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Our own descriptors are close-on-exec, but libraries may hold others; a descriptor the
  // editor kept would keep the single-instance lock after the program ends.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Signals the program ignores or blocks (an ignored SIGPIPE, say) must not pass on.
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigdefault(&attributes, &all);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  int flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  // In a session of its own, Ctrl-C in the terminal that started the window does not reach
  // the editor.
  if (mode == SessionMode::kOwnSession) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&attributes, static_cast<short>(flags));

  const int error =
      ::posix_spawn(&pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

std::string StartError(const std::string& program, int error) {
  return program + ": " + std::strerror(error);
}

// Ignores SIGINT and SIGQUIT while it lives, as a shell does for a foreground command.
class InterruptsIgnored {
 public:
  InterruptsIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGINT, &ignore, &m_oldInterrupt);
    ::sigaction(SIGQUIT, &ignore, &m_oldQuit);
  }
  ~InterruptsIgnored() {
    ::sigaction(SIGINT, &m_oldInterrupt, nullptr);
    ::sigaction(SIGQUIT, &m_oldQuit, nullptr);
  }
  InterruptsIgnored(const InterruptsIgnored&) = delete;
  InterruptsIgnored& operator=(const InterruptsIgnored&) = delete;

 private:
  struct sigaction m_oldInterrupt {};
  struct sigaction m_oldQuit {};
};

// What a shell's exit status of 126 or 127 means: it could not run the command.
const char* ShellFailure(int status) {
  if (status == 126) return "not executable";
  if (status == 127) return "not found";
  return nullptr;
}

// A started child process. An editor still open when the session goes is left running: it
// may hold unsaved work.
class ChildSession final : public IEditorSession {
 public:
  // command names the editor in messages; viaShell tells that the shell ran it.
  ChildSession(pid_t pid, bool blocking, std::string command, bool viaShell,
               std::unique_ptr<InterruptsIgnored> interrupts = {})
      : m_pid(pid),
        m_blocking(blocking),
        m_command(std::move(command)),
        m_viaShell(viaShell),
        m_interrupts(std::move(interrupts)) {}

  bool IsOpen() override {
    while (m_pid > 0) {
      int status = 0;
      const pid_t result = ::waitpid(m_pid, &status, m_blocking ? 0 : WNOHANG);
      if (result == 0) return true;
      if (result < 0 && errno == EINTR) continue;
      // Reaped, or (ECHILD) reaped by someone else, its status unknown: either way it ended.
      if (result > 0) m_failure = Describe(status);
      m_pid = -1;
      m_interrupts.reset();
    }
    return false;
  }

  std::string Failure() const override { return m_failure; }

 private:
  std::string Describe(int status) const {
    const std::string editor = "The editor " + Quoted(m_command);
    if (WIFSIGNALED(status)) {
      const char* name = ::sigabbrev_np(WTERMSIG(status));
      return editor + " was ended by signal " +
             (name ? "SIG" + std::string(name) : std::to_string(WTERMSIG(status)));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 0) return {};
    const int code = WEXITSTATUS(status);
    const char* shellFailure = m_viaShell ? ShellFailure(code) : nullptr;
    if (shellFailure) {
      return editor + " could not be run (" + shellFailure + ", exit status " +
             std::to_string(code) + ")";
    }
    return editor + " exited with status " + std::to_string(code);
  }

  pid_t m_pid;
  bool m_blocking;
  std::string m_command;
  bool m_viaShell;
  std::unique_ptr<InterruptsIgnored> m_interrupts;
  std::string m_failure;
};

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

void SleepingWaiter::WaitMilliseconds(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

EditorEnvironment EditorEnvironment::FromProcess() {
  return {Variable("VANTREL_EDITOR"), Variable("VISUAL"), Variable("EDITOR"), Variable("PATH")};
}

DesktopEditorLauncher::DesktopEditorLauncher(EditorEnvironment environment)
    : m_environment(std::move(environment)) {}

EditorStart DesktopEditorLauncher::Start(const std::string& file) {
  const std::string argument = FileArgument(file);
  pid_t pid = 0;
  if (!m_environment.vantrelEditor.empty()) {
    const int error =
        Spawn(ShellCommand(m_environment.vantrelEditor, argument), SessionMode::kOwnSession, pid);
    if (error != 0) {
      return {nullptr, "The editor set in VANTREL_EDITOR could not be started (" +
                           StartError(kShell, error) + "), so " + file + " was not opened."};
    }
    return {std::make_unique<ChildSession>(pid, false, m_environment.vantrelEditor, true), {}};
  }

  std::string lastError;
  for (const ProgramForm& editor : DesktopEditors()) {
    const std::string program = FindProgram(editor.name, m_environment.path);
    if (program.empty()) continue;
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), editor.options.begin(), editor.options.end());
    argv.push_back(argument);
    const int error = Spawn(argv, SessionMode::kOwnSession, pid);
    if (error == 0) return {std::make_unique<ChildSession>(pid, false, program, false), {}};
    lastError = StartError(program, error);
  }

  const bool visualSet = !m_environment.visual.empty();
  const std::string& command = visualSet ? m_environment.visual : m_environment.editor;
  bool terminalFound = false;
  if (!command.empty()) {
    for (const ProgramForm* terminal : TerminalsToTry(m_environment.path)) {
      const std::string program = FindProgram(terminal->name, m_environment.path);
      if (program.empty()) continue;
      terminalFound = true;
      std::vector<std::string> argv{program};
      argv.insert(argv.end(), terminal->options.begin(), terminal->options.end());
      const std::vector<std::string> shell = ShellCommand(command, argument);
      argv.insert(argv.end(), shell.begin(), shell.end());
      const int error = Spawn(argv, SessionMode::kOwnSession, pid);
      if (error == 0) {
        return {std::make_unique<ChildSession>(pid, false, program + " " + command, false), {}};
      }
      lastError = StartError(program, error);
    }
  }

  std::string failure = "No text editor could be started, so " + file +
                        " was not opened. Install gedit, kate, mousepad, gnome-text-editor or "
                        "code, or set VANTREL_EDITOR to an editor command that returns only "
                        "when the editor is closed.";
  if (!command.empty() && !terminalFound) {
    failure += std::string(" ") + (visualSet ? "VISUAL" : "EDITOR") +
               " is set, but no terminal emulator to run it in (such as xterm) was found.";
  }
  if (!lastError.empty()) failure += " Last error: " + lastError + ".";
  return {nullptr, failure};
}

TerminalEditorLauncher::TerminalEditorLauncher(EditorEnvironment environment)
    : m_environment(std::move(environment)) {}

EditorStart TerminalEditorLauncher::Start(const std::string& file) {
  const std::string* command = nullptr;
  for (const std::string* candidate :
       {&m_environment.vantrelEditor, &m_environment.visual, &m_environment.editor}) {
    if (!candidate->empty()) {
      command = candidate;
      break;
    }
  }
  if (command == nullptr) {
    return {nullptr, "No editor is set, so " + file +
                         " was not opened. Set VANTREL_EDITOR, VISUAL or EDITOR to an editor "
                         "command, for example EDITOR=nano."};
  }
  // Ignoring before the start leaves no moment in which Ctrl-C would end only the program;
  // the editor itself starts with the default handling.
  auto interrupts = std::make_unique<InterruptsIgnored>();
  pid_t pid = 0;
  const int error =
      Spawn(ShellCommand(*command, FileArgument(file)), SessionMode::kForeground, pid);
  if (error != 0) {
    return {nullptr, "The editor could not be started (" + StartError(kShell, error) + "), so " +
                         file + " was not opened."};
  }
  return {std::make_unique<ChildSession>(pid, true, *command, true, std::move(interrupts)), {}};
}

}  // namespace vantrel
