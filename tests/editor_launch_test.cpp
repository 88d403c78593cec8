#include "editor_launch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "number_text.h"
#include "scratch_dir.h"

namespace vantrel::testing {
namespace {

constexpr char kFile[] = "ResistorLibrary.txt";

bool WaitUntilClosed(IEditorSession& session) {
  for (int i = 0; i < 500; ++i) {
    if (!session.IsOpen()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Fake programs in bin/ that record their name and arguments, one a line, in "started".
// "a->b" makes a a symbolic link to b, "a!" is not executable and "a?" names a missing
// interpreter, so it cannot be started.
void InstallPrograms(const ScratchDir& dir, const std::vector<std::string>& programs) {
  const std::string record = dir.Path("started");
  for (std::string program : programs) {
    if (const std::size_t arrow = program.find("->"); arrow != std::string::npos) {
      std::filesystem::create_directories(dir.Path("bin"));
      std::filesystem::create_symlink(dir.Path("bin/" + program.substr(arrow + 2)),
                                      dir.Path("bin/" + program.substr(0, arrow)));
      continue;
    }
    const std::string body = "printf '%s\\n' \"${0##*/}\" \"$@\" > '" + record + ".tmp' && mv '" +
                             record + ".tmp' '" + record + "'";
    if (program.ends_with('?')) {
      program.pop_back();
      dir.Write("bin/" + program, "#!/nonexistent/interpreter\n", 0755);
    } else if (program.ends_with('!')) {
      program.pop_back();
      dir.Write("bin/" + program, "#!/bin/sh\n" + body + "\n", 0644);
    } else {
      dir.Script("bin/" + program, body);
    }
  }
}

// Replaces BIN/ in a variable with the directory of the fake programs.
std::string WithBin(const ScratchDir& dir, std::string text) {
  if (text.starts_with("BIN/")) text.replace(0, 3, dir.Path("bin"));
  return text;
}

struct ChoiceCase {
  const char* name;
  std::vector<std::string> programs;
  std::string vantrelEditor;
  std::string visual;
  std::string editor;
  std::vector<std::string> expected;  // what the started program recorded
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
  *out << c.name;
}

class DesktopChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(DesktopChoiceTest, StartsTheFirstEditorThatApplies) {
  const ChoiceCase& c = GetParam();
  ScratchDir dir;
  InstallPrograms(dir, c.programs);
  DesktopEditorLauncher launcher(
      {WithBin(dir, c.vantrelEditor), c.visual, c.editor, "/nonexistent:" + dir.Path("bin")});

  EditorStart started = launcher.Start(kFile);
  ASSERT_NE(started.session, nullptr) << started.failure;
  ASSERT_TRUE(WaitUntilClosed(*started.session));
  EXPECT_EQ(Lines(dir.Read("started").value_or("")), c.expected);
}

const std::string kShellScript = "/bin/sh";

INSTANTIATE_TEST_SUITE_P(
    Order, DesktopChoiceTest,
    ::testing::Values(
        ChoiceCase{"VantrelEditorFirst",
                   {"gedit", "myeditor"},
                   "BIN/myeditor --flag",
                   "vi",
                   "",
                   {"myeditor", "--flag", kFile}},
        ChoiceCase{"Gedit", {"code", "kate", "gedit"}, "", "", "", {"gedit", "--wait", kFile}},
        ChoiceCase{"Kate",
                   {"code", "gnome-text-editor", "mousepad", "kate"},
                   "",
                   "",
                   "",
                   {"kate", "--block", kFile}},
        ChoiceCase{"Mousepad",
                   {"code", "gnome-text-editor", "mousepad"},
                   "",
                   "",
                   "",
                   {"mousepad", "--disable-server", kFile}},
        ChoiceCase{"GnomeTextEditor",
                   {"code", "gnome-text-editor"},
                   "",
                   "",
                   "",
                   {"gnome-text-editor", "--standalone", kFile}},
        ChoiceCase{"Code", {"code"}, "", "", "", {"code", "--wait", kFile}},
        ChoiceCase{
            "UnstartableEditorSkipped", {"gedit?", "kate"}, "", "", "", {"kate", "--block", kFile}},
        ChoiceCase{
            "NotExecutableSkipped", {"gedit!", "kate"}, "", "", "", {"kate", "--block", kFile}},
        ChoiceCase{"DesktopEditorBeforeTerminal",
                   {"xterm", "gedit"},
                   "",
                   "vi",
                   "",
                   {"gedit", "--wait", kFile}},
        ChoiceCase{"VisualInTerminal",
                   {"xterm"},
                   "",
                   "myeditor -x",
                   "other",
                   {"xterm", "-e", kShellScript, "-c", "myeditor -x \"$@\"", "sh", kFile}},
        ChoiceCase{
            "EditorWhenVisualUnset",
            {"xterm", "gnome-terminal"},
            "",
            "",
            "vi",
            {"gnome-terminal", "--wait", "--", kShellScript, "-c", "vi \"$@\"", "sh", kFile}},
        ChoiceCase{"DefaultTerminalPreferred",
                   {"gnome-terminal", "xterm", "x-terminal-emulator->xterm"},
                   "",
                   "vi",
                   "",
                   {"xterm", "-e", kShellScript, "-c", "vi \"$@\"", "sh", kFile}},
        ChoiceCase{"WaitingFormOfDefaultTerminal",
                   {"xfce4-terminal", "xterm", "x-terminal-emulator->xfce4-terminal"},
                   "",
                   "vi",
                   "",
                   {"xfce4-terminal", "--disable-server", "-x", kShellScript, "-c", "vi \"$@\"",
                    "sh", kFile}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct FailureCase {
  const char* name;
  std::vector<std::string> programs;
  std::string path;  // BIN/ for the fake programs
  std::string visual;
  std::string editor;
  std::string expectedPart;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.name;
}

class DesktopFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DesktopFailureTest, ReportsWhyNothingStarted) {
  const FailureCase& c = GetParam();
  ScratchDir dir;
  InstallPrograms(dir, c.programs);
  DesktopEditorLauncher launcher({"", c.visual, c.editor, WithBin(dir, c.path)});

  const EditorStart started = launcher.Start(kFile);
  EXPECT_EQ(started.session, nullptr);
  EXPECT_NE(started.failure.find("No text editor could be started, so ResistorLibrary.txt was "
                                 "not opened. Install gedit, kate, mousepad, gnome-text-editor "
                                 "or code, or set VANTREL_EDITOR"),
            std::string::npos)
      << started.failure;
  EXPECT_NE(started.failure.find(c.expectedPart), std::string::npos) << started.failure;
  EXPECT_FALSE(dir.Read("started"));
}

INSTANTIATE_TEST_SUITE_P(
    NoEditor, DesktopFailureTest,
    ::testing::Values(
        FailureCase{"NothingInstalled", {}, "BIN/", "", "", ""},
        FailureCase{"EmptyPath", {"gedit"}, "", "", "", ""},
        // The working directory holds the user's files; a program there is never run.
        FailureCase{"RelativePathEntriesSkipped", {"gedit"}, "bin::.", "", "", ""},
        FailureCase{"VisualWithoutTerminal",
                    {},
                    "BIN/",
                    "vi",
                    "",
                    "VISUAL is set, but no terminal emulator"},
        FailureCase{"EditorWithoutTerminal",
                    {},
                    "BIN/",
                    "",
                    "vi",
                    "EDITOR is set, but no terminal emulator"},
        FailureCase{
            "EditorCannotStart", {"gedit?"}, "BIN/", "", "", "gedit: No such file or directory"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(EditorLaunchTest, FileNameReachesTheEditorAsOneArgument) {
  ScratchDir dir;
  InstallPrograms(dir, {"myeditor", "gedit"});
  const std::string hostile = "a b;$(touch pwned)`touch pwned2`'\"*.txt";
  for (const auto& [file, expected] : std::vector<std::pair<std::string, std::string>>{
           {hostile, hostile}, {"-n.txt", "./-n.txt"}}) {
    for (const std::string& vantrelEditor : {dir.Path("bin/myeditor"), std::string()}) {
      DesktopEditorLauncher launcher({vantrelEditor, "", "", dir.Path("bin")});
      std::filesystem::remove(dir.Path("started"));
      EditorStart started = launcher.Start(file);
      ASSERT_NE(started.session, nullptr) << started.failure;
      ASSERT_TRUE(WaitUntilClosed(*started.session));
      const std::vector<std::string> lines = Lines(dir.Read("started").value_or(""));
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back(), expected) << lines.front();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("pwned")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("pwned2")));
}

TEST(EditorLaunchTest, EditorThatFailsCountsAsClosedAndIsReaped) {
  ScratchDir dir;
  dir.Script("bin/failing", "sleep 0.3; exit 3");
  DesktopEditorLauncher launcher({dir.Path("bin/failing"), "", "", ""});

  EditorStart started = launcher.Start(kFile);
  ASSERT_NE(started.session, nullptr) << started.failure;
  EXPECT_TRUE(started.session->IsOpen());
  ASSERT_TRUE(WaitUntilClosed(*started.session));
  EXPECT_FALSE(started.session->IsOpen());
  // No zombie is left behind: the test process has no child any more.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

// How an editor ended, in the words the user is shown: nothing after exit status 0.
TEST(EditorLaunchTest, EditorEndIsDescribedUnlessItExitedWithZero) {
  ScratchDir dir;
  const std::string readOnly = dir.Write("bin/not-executable", "#!/bin/sh\n", 0644);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"true", ""},
      {"exit 3 #", "The editor \"exit 3 #\" exited with status 3"},
      {"kill -KILL $$ #", "The editor \"kill -KILL $$ #\" was ended by signal SIGKILL"},
      {"/nonexistent-editor",
       "The editor \"/nonexistent-editor\" could not be run (not found, exit status 127)"},
      {readOnly,
       "The editor " + Quoted(readOnly) + " could not be run (not executable, exit status 126)"},
      // A pasted novel is not echoed whole.
      {"exit 3 #" + std::string(100000, 'x'), "The editor \"exit 3 #" + std::string(32, 'x') +
                                                  "...\" (100008 characters) exited with status 3"},
  };
  for (const auto& [command, expected] : cases) {
    DesktopEditorLauncher desktop({command, "", "", ""});
    TerminalEditorLauncher terminal({command, "", "", ""});
    for (IEditorLauncher* launcher :
         {static_cast<IEditorLauncher*>(&desktop), static_cast<IEditorLauncher*>(&terminal)}) {
      EditorStart started = launcher->Start(kFile);
      ASSERT_NE(started.session, nullptr) << started.failure;
      ASSERT_TRUE(WaitUntilClosed(*started.session));
      EXPECT_EQ(started.session->Failure(), expected);
    }
  }
}

// A fake editor that tells about the process it runs in: "pid sid pgid", then the masks of
// blocked and ignored signals as the editor program receives them.
std::string ProcessReportScript(const ScratchDir& dir) {
  return dir.Script("bin/report",
                    "{ echo $$ $(ps -o sid=,pgid= -p $$)\n"
                    "  exec grep -E '^Sig(Blk|Ign):' /proc/self/status; } > '" +
                        dir.Path("report") + "'");
}

struct ProcessReport {
  pid_t pid = 0, sid = 0, pgid = 0;
  unsigned long long blocked = ~0ull, ignored = ~0ull;
};

ProcessReport ReadProcessReport(const ScratchDir& dir) {
  std::istringstream in(dir.Read("report").value_or(""));
  ProcessReport report;
  std::string label;
  in >> report.pid >> report.sid >> report.pgid >> label >> std::hex >> report.blocked >> label >>
      report.ignored;
  return report;
}

// The ordinary signals 1 to 31; glibc keeps its own real-time ones (32, 33) ignored in a child.
constexpr unsigned long long kOrdinarySignals = 0x7fffffffull;

// Starts with SIGPIPE ignored and SIGUSR1 blocked in the program, as libraries may leave them.
EditorStart StartWithSignalsAltered(IEditorLauncher& launcher) {
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &old);
  sigset_t block, oldMask;
  sigemptyset(&block);
  sigaddset(&block, SIGUSR1);
  ::pthread_sigmask(SIG_BLOCK, &block, &oldMask);
  EditorStart started = launcher.Start(kFile);
  ::pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
  ::sigaction(SIGPIPE, &old, nullptr);
  return started;
}

TEST(EditorLaunchTest, DesktopEditorRunsInASessionOfItsOwnWithDefaultSignals) {
  ScratchDir dir;
  DesktopEditorLauncher launcher({"exec " + ProcessReportScript(dir), "", "", ""});
  EditorStart started = StartWithSignalsAltered(launcher);
  ASSERT_NE(started.session, nullptr) << started.failure;
  ASSERT_TRUE(WaitUntilClosed(*started.session));

  const ProcessReport report = ReadProcessReport(dir);
  EXPECT_EQ(report.sid, report.pid);
  EXPECT_EQ(report.pgid, report.pid);
  EXPECT_NE(report.sid, ::getsid(0));
  EXPECT_EQ(report.blocked & kOrdinarySignals, 0u);
  EXPECT_EQ(report.ignored & kOrdinarySignals, 0u);
}

TEST(EditorLaunchTest, TerminalEditorRunsInTheForegroundAndIsWaitedFor) {
  ScratchDir dir;
  TerminalEditorLauncher launcher({"sleep 0.3; exec " + ProcessReportScript(dir), "", "", ""});
  EditorStart started = StartWithSignalsAltered(launcher);
  ASSERT_NE(started.session, nullptr) << started.failure;
  EXPECT_FALSE(started.session->IsOpen());
  // Waited for: the editor's last act is done as soon as the first look returns.
  const ProcessReport report = ReadProcessReport(dir);
  EXPECT_EQ(report.sid, ::getsid(0));
  EXPECT_EQ(report.pgid, ::getpgrp());
  EXPECT_EQ(report.blocked & kOrdinarySignals, 0u);
  EXPECT_EQ(report.ignored & kOrdinarySignals, 0u);
}

void CountSignal(int) {}

TEST(EditorLaunchTest, TerminalEditorKeepsInterruptsFromTheProgramWhileOpen) {
  ScratchDir dir;
  struct sigaction mine {
  }, oldInterrupt{}, oldQuit{};
  mine.sa_handler = CountSignal;
  ::sigaction(SIGINT, &mine, &oldInterrupt);
  ::sigaction(SIGQUIT, &mine, &oldQuit);

  // Ctrl-C in a terminal goes to the whole foreground group; this sends it to the program.
  TerminalEditorLauncher launcher({"kill -INT $PPID; kill -QUIT $PPID; exit 1", "", "", ""});
  {
    EditorStart started = launcher.Start(kFile);
    ASSERT_NE(started.session, nullptr) << started.failure;
    struct sigaction during {};
    ::sigaction(SIGINT, nullptr, &during);
    EXPECT_EQ(during.sa_handler, SIG_IGN);
    EXPECT_FALSE(started.session->IsOpen());
  }
  struct sigaction after {};
  ::sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, CountSignal);
  ::sigaction(SIGQUIT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, CountSignal);
  ::sigaction(SIGINT, &oldInterrupt, nullptr);
  ::sigaction(SIGQUIT, &oldQuit, nullptr);
}

struct TerminalOrderCase {
  std::string vantrelEditor, visual, editor, expected;
};

TEST(EditorLaunchTest, TerminalEditorIsTheFirstVariableSet) {
  ScratchDir dir;
  InstallPrograms(dir, {"one", "two", "three"});
  const std::string one = dir.Path("bin/one"), two = dir.Path("bin/two"),
                    three = dir.Path("bin/three");
  for (const TerminalOrderCase& c : std::vector<TerminalOrderCase>{
           {one, two, three, "one"}, {"", two, three, "two"}, {"", "", three, "three"}}) {
    TerminalEditorLauncher launcher({c.vantrelEditor, c.visual, c.editor, ""});
    EditorStart started = launcher.Start(kFile);
    ASSERT_NE(started.session, nullptr) << started.failure;
    EXPECT_FALSE(started.session->IsOpen());
    EXPECT_EQ(Lines(dir.Read("started").value_or("")),
              (std::vector<std::string>{c.expected, kFile}));
  }

  // Editors found on the path do not count: the terminal user chooses one explicitly.
  InstallPrograms(dir, {"gedit"});
  TerminalEditorLauncher none({"", "", "", dir.Path("bin")});
  const EditorStart started = none.Start(kFile);
  EXPECT_EQ(started.session, nullptr);
  EXPECT_EQ(started.failure,
            "No editor is set, so ResistorLibrary.txt was not opened. Set VANTREL_EDITOR, "
            "VISUAL or EDITOR to an editor command, for example EDITOR=nano.");
}

// A descriptor the program leaves inheritable (as a library might) must not reach the editor:
// held there, a lock on it would outlive the program and keep a new copy from starting.
struct LauncherCase {
  const char* name;
  std::function<std::unique_ptr<IEditorLauncher>(const std::string& command)> make;
};

void PrintTo(const LauncherCase& c, std::ostream* out) {
  *out << c.name;
}

class StrayDescriptorTest : public ::testing::TestWithParam<LauncherCase> {};

TEST_P(StrayDescriptorTest, LockIsNotInheritedByTheEditor) {
  ScratchDir dir;
  const std::string lockPath = dir.Path("lock");
  const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
  const std::string check = dir.Script(
      "bin/check", "r='" + dir.Path("fds") + "'\n" +
                       "if [ -e /proc/$$/fd/$1 ]; then echo inherited; else echo closed; fi"
                       " > \"$r.tmp\"\nmv \"$r.tmp\" \"$r\"\nsleep 1");
  auto launcher = GetParam().make(check + " " + std::to_string(lock));

  EditorStart started = launcher->Start(kFile);
  ASSERT_NE(started.session, nullptr) << started.failure;
  EXPECT_EQ(dir.AwaitFile("fds"), "closed\n");
  // The program ends while the editor is still open; a new copy takes the lock.
  ::close(lock);
  const int again = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
  EXPECT_EQ(::flock(again, LOCK_EX | LOCK_NB), 0);
  ::close(again);
  ASSERT_TRUE(WaitUntilClosed(*started.session));
}

INSTANTIATE_TEST_SUITE_P(
    Launchers, StrayDescriptorTest,
    ::testing::Values(
        LauncherCase{"Desktop",
                     [](const std::string& command) -> std::unique_ptr<IEditorLauncher> {
                       return std::make_unique<DesktopEditorLauncher>(
                           EditorEnvironment{command, "", "", ""});
                     }},
        LauncherCase{"Terminal",
                     [](const std::string& command) -> std::unique_ptr<IEditorLauncher> {
                       return std::make_unique<TerminalEditorLauncher>(
                           EditorEnvironment{command, "", "", ""});
                     }}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace vantrel::testing
