// The real vantrel-cli and its real file code where files fail: faults injected through a
// preloaded library, signals, a file size limit, special files and a concurrent writer.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <link.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "library_rewrite.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kNobody = 65534;

// The preload list for a fault: an ASan build needs its own runtime first in it.
std::string PreloadList(const std::string& library) {
  std::string asan;
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* found) {
        if (std::strstr(info->dlpi_name, "libasan.so") == nullptr) return 0;
        *static_cast<std::string*>(found) = info->dlpi_name;
        return 1;
      },
      &asan);
  return asan.empty() ? library : asan + ":" + library;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// Values from..to, one a line, in descending order: the sort has work to do.
std::string Descending(int from, int to) {
  std::string text;
  for (int value = to; value >= from; --value) text += std::to_string(value) + "\r\n";
  return text;
}

struct Outcome {
  int status = -1;  // as from waitpid
  std::string err;
};

// A folder any user can reach, holding copies of the program and the fault library that any
// user can run, and lib/, where the program works.
class FaultScene {
 public:
  FaultScene() {
    std::string pattern = fs::temp_directory_path() / "vantrel-faults-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    fs::permissions(m_root, fs::perms(0755));
    fs::copy_file(VANTREL_CLI, m_root / "vantrel-cli");
    fs::copy_file(VANTREL_FAULT_PRELOAD, m_root / "fault.so");
    Fresh("");
  }
  ~FaultScene() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_root, ignored)) {
      if (entry.is_directory() && !entry.is_symlink()) {
        fs::permissions(entry.path(), fs::perms::owner_all, ignored);
      }
    }
    fs::remove_all(m_root, ignored);
  }
  FaultScene(const FaultScene&) = delete;
  FaultScene& operator=(const FaultScene&) = delete;

  fs::path Lib() const { return m_root / "lib"; }
  fs::path Library() const { return Lib() / "ResistorLibrary.txt"; }
  fs::path Root() const { return m_root; }

  // An empty lib/, with a library holding content unless it is empty.
  void Fresh(const std::string& content) const {
    fs::remove_all(Lib());
    fs::create_directory(Lib());
    fs::permissions(Lib(), fs::perms(0755));
    if (!content.empty()) WriteAll(Library(), content);
  }

  // Names in dir besides the library: left-over new files.
  static std::vector<std::string> Others(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().filename() != "ResistorLibrary.txt")
        names.push_back(entry.path().filename());
    }
    return names;
  }

  // Starts vantrel-cli with args in lib/ with the faults named (none when empty); inChild runs
  // in the child right before the program starts. stderr goes to errFd.
  pid_t Start(const std::vector<std::string>& args, const std::string& faults, int errFd,
              const std::function<void()>& inChild = {}) const {
    const std::string cli = m_root / "vantrel-cli";
    std::vector<std::string> argv{cli};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string preload = PreloadList(m_root / "fault.so");
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (::chdir(Lib().c_str()) != 0) ::_exit(120);
    ::dup2(errFd, STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    if (!faults.empty()) {
      ::setenv("VANTREL_FAULT", faults.c_str(), 1);
      ::setenv("LD_PRELOAD", preload.c_str(), 1);
    }
    // A program that blocks on a file ends here instead of hanging the test.
    ::alarm(20);
    if (inChild) inChild();
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    ::execv(cli.c_str(), pointers.data());
    ::_exit(127);
  }

  Outcome Run(const std::vector<std::string>& args, const std::string& faults = "",
              const std::function<void()>& inChild = {}) const {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = Start(args, faults, pipeFds[1], inChild);
    ::close(pipeFds[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
      outcome.err.append(buffer, n);
    ::waitpid(pid, &outcome.status, 0);
    return outcome;
  }

 private:
  fs::path m_root;
};

void RunAsNobody() {
  if (::geteuid() == 0 &&
      (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
    ::_exit(121);
  }
}

constexpr char kOld[] = "100\r\n47\r\n";
constexpr char kLibraryName[] = "\"./ResistorLibrary.txt\"";

struct FaultCase {
  const char* name;
  std::string faults;
  std::function<void(const FaultScene&)> prepare;  // after the library is written
  std::vector<std::string> args;
  int status;
  std::string message;               // a line of stderr holds it
  std::optional<std::string> after;  // the library afterwards; nullopt: as before
};

// Each way a read or a replacement fails ends in the platform's report, with the library as it
// was and nothing left beside it.
TEST(RealFileFaultTest, EachFailurePointReportsAndKeepsTheLibrary) {
  const auto special = [](auto make) {
    return [make](const FaultScene& scene) {
      fs::remove(scene.Library());
      make(scene.Library());
    };
  };
  // Whatever the command, a name that is no regular file is told as what it is.
  const auto notALibrary = [](const std::string& what) {
    return "vantrel-cli: ResistorLibrary.txt is " + what +
           "; the library must be a regular file, or a symbolic link to one\n";
  };
  const std::string fifo = notALibrary("a FIFO, not a regular file");
  const std::string dangling = notALibrary("a dangling symbolic link to \"nowhere\"");
  std::vector<FaultCase> cases = {
      {"write-protected, whoever runs it",
       "",
       [](const FaultScene& scene) { fs::permissions(scene.Library(), fs::perms(0444)); },
       {"normalise"},
       1,
       std::string("cannot replace ") + kLibraryName + ": Permission denied",
       {}},
      {"changed once meanwhile: read again",
       "append-once",
       {},
       {"normalise"},
       0,
       "",
       "47.00\r\n100.00\r\n777.00\r\n"},
      {"changed at every try: left as the other program wrote it",
       "append-always",
       {},
       {"normalise"},
       1,
       kLibraryChangedMessage,
       std::string(kOld) + "777\r\n777\r\n777\r\n"},
      {"FIFO, normalise",
       "",
       special([](const fs::path& p) { ::mkfifo(p.c_str(), 0644); }),
       {"normalise"},
       1,
       fifo,
       {}},
      {"FIFO, calc",
       "",
       special([](const fs::path& p) { ::mkfifo(p.c_str(), 0644); }),
       {"calc", "45", "1"},
       1,
       fifo,
       {}},
      {"FIFO, series --write",
       "",
       special([](const fs::path& p) { ::mkfifo(p.c_str(), 0644); }),
       {"series", "E12", "--write"},
       1,
       "vantrel-cli: series: " + fifo.substr(13),
       {}},
      {"dangling link, series --write",
       "",
       special([](const fs::path& p) { fs::create_symlink("nowhere", p); }),
       {"series", "E12", "--write"},
       1,
       "vantrel-cli: series: " + dangling.substr(13),
       {}},
      {"dangling link, series --write --merge",
       "",
       special([](const fs::path& p) { fs::create_symlink("nowhere", p); }),
       {"series", "E12", "--write", "--merge"},
       1,
       dangling,
       {}},
      {"looping link, check",
       "",
       special([](const fs::path& p) { fs::create_symlink(p.filename(), p); }),
       {"check"},
       1,
       notALibrary("a symbolic link to \"ResistorLibrary.txt\" that leads round in a loop"),
       {}},
      {"device",
       "",
       special([](const fs::path& p) { fs::create_symlink("/dev/zero", p); }),
       {"normalise"},
       1,
       notALibrary("a symbolic link to \"/dev/zero\", which is a character device, not a "
                   "regular file"),
       {}},
      {"directory",
       "",
       special([](const fs::path& p) { fs::create_directory(p); }),
       {"series", "E12", "--write", "--merge"},
       1,
       notALibrary("a folder"),
       {}},
      {"socket",
       "",
       special([](const fs::path& p) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         std::strncpy(address.sun_path, p.c_str(), sizeof address.sun_path - 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
         ::close(fd);
       }),
       {"normalise"},
       1,
       notALibrary("a socket, not a regular file"),
       {}},
  };
  // A call that fails with EIO, and what the report says could not be done; no-tmpfile makes
  // the rewrite use a named new file.
  for (const auto& [faults, verb] : {std::pair{"read", "read"},
                                     {"fsync", "write"},
                                     {"fsync,no-tmpfile", "write"},
                                     {"close", "close"},
                                     {"close,no-tmpfile", "close"},
                                     {"rename", "replace"},
                                     {"rename,no-tmpfile", "replace"}}) {
    cases.push_back({faults,
                     faults,
                     {},
                     {"normalise"},
                     1,
                     std::string("cannot ") + verb + " " + kLibraryName + ": Input/output error",
                     {}});
  }
  FaultScene scene;
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    scene.Fresh(kOld);
    if (c.prepare) c.prepare(scene);
    const bool regular = fs::is_regular_file(fs::symlink_status(scene.Library()));
    const Outcome outcome = scene.Run(c.args, c.faults);
    ASSERT_TRUE(WIFEXITED(outcome.status)) << "wait status " << outcome.status;
    EXPECT_EQ(WEXITSTATUS(outcome.status), c.status) << outcome.err;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    if (regular) {
      EXPECT_EQ(ReadAll(scene.Library()), c.after.value_or(kOld));
    } else {
      EXPECT_EQ(outcome.err.find("is not exist"), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(FaultScene::Others(scene.Lib()), std::vector<std::string>{});
  }
}

// import --write replaces Inventory.csv as a library is replaced: a failure at any point leaves
// it as it was, with nothing beside it, and one made new is removed again.
TEST(RealFileFaultTest, ImportWriteFailuresKeepTheInventory) {
  const std::string inventory = "kind,value,quantity\r\nR,4k7,1\r\n";
  FaultScene scene;
  for (const bool existing : {true, false}) {
    for (const auto& [faults, verb] : {std::pair{"fsync", "write"},
                                       {"fsync,no-tmpfile", "write"},
                                       {"close", "close"},
                                       {"rename", "replace"},
                                       {"rename,no-tmpfile", "replace"}}) {
      // A new inventory is made in place, without a rename.
      if (!existing && std::string_view(faults).starts_with("rename")) continue;
      SCOPED_TRACE(std::string(faults) + (existing ? ", existing" : ", new"));
      scene.Fresh("");
      WriteAll(scene.Lib() / "list.txt", "4k7 2\n100n 5\n");
      if (existing) WriteAll(scene.Lib() / "Inventory.csv", inventory);
      const Outcome outcome = scene.Run({"import", "list.txt", "--write"}, faults);
      ASSERT_TRUE(WIFEXITED(outcome.status)) << "wait status " << outcome.status;
      EXPECT_EQ(WEXITSTATUS(outcome.status), 1) << outcome.err;
      EXPECT_NE(outcome.err.find(std::string("cannot ") + verb +
                                 " \"./Inventory.csv\": " + "Input/output error"),
                std::string::npos)
          << outcome.err;
      std::vector<std::string> expected = {"list.txt"};
      if (existing) {
        EXPECT_EQ(ReadAll(scene.Lib() / "Inventory.csv"), inventory);
        expected.insert(expected.begin(), "Inventory.csv");
      }
      std::vector<std::string> others = FaultScene::Others(scene.Lib());
      std::sort(others.begin(), others.end());
      EXPECT_EQ(others, expected);
    }
  }
  scene.Fresh("");
  WriteAll(scene.Lib() / "list.txt", "4k7 2\n");
  const Outcome written = scene.Run({"import", "list.txt", "--write"});
  EXPECT_EQ(WEXITSTATUS(written.status), 0) << written.err;
  // Recorded above the header with today's date and the SHA-256 of "4k7 2\n".
  const std::string text = ReadAll(scene.Lib() / "Inventory.csv");
  EXPECT_TRUE(text.starts_with("# imported \"list.txt\" on ")) << text;
  EXPECT_TRUE(
      text.ends_with(" sha256 b0b124d6cc5ffdaeb4ae69013a645e19886a49b79a981bada4a9ab8f0a9fcbe4\r\n"
                     "kind,value,quantity,tolerance,power,tcr,package,location,part_number,note\r\n"
                     "R,4k7,2,,,,,,,\r\n"))
      << text;
}

// The new file goes beside the link's target: the link's own folder is closed to the user.
TEST(RealFileFaultTest, LibraryLinkedIntoAnotherFolderIsReplacedThere) {
  FaultScene scene;
  const fs::path store = scene.Root() / "store";
  for (const std::string faults : {"", "rename", "rename,no-tmpfile"}) {
    SCOPED_TRACE(faults);
    fs::remove_all(store);
    fs::create_directory(store);
    WriteAll(store / "real", kOld);
    scene.Fresh("");
    fs::create_symlink(store / "real", scene.Library());
    if (::geteuid() == 0) {
      ::chown(store.c_str(), kNobody, kNobody);
      ::chown((store / "real").c_str(), kNobody, kNobody);
    } else {
      fs::permissions(scene.Lib(), fs::perms(0555));
    }
    const Outcome outcome = scene.Run({"normalise"}, faults, RunAsNobody);
    fs::permissions(scene.Lib(), fs::perms(0755));
    ASSERT_TRUE(WIFEXITED(outcome.status));
    EXPECT_EQ(WEXITSTATUS(outcome.status), faults.empty() ? 0 : 1) << outcome.err;
    EXPECT_EQ(ReadAll(store / "real"), faults.empty() ? "47.00\r\n100.00\r\n" : kOld);
    EXPECT_TRUE(fs::is_symlink(scene.Library()));
    EXPECT_EQ(FaultScene::Others(scene.Lib()), std::vector<std::string>{});
    EXPECT_EQ(FaultScene::Others(store), std::vector<std::string>{"real"});
  }
}

// Under a file size limit, with SIGXFSZ as the system delivers it by default.
TEST(RealFileFaultTest, WriteOverAFileSizeLimitFailsThroughTheErrorPath) {
  FaultScene scene;
  const std::string old = Descending(1000000, 1000199);  // 1800 bytes, 2400 once rewritten
  scene.Fresh(old);
  const Outcome outcome = scene.Run({"normalise"}, "", [] {
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{1024, 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  ASSERT_TRUE(WIFEXITED(outcome.status)) << "wait status " << outcome.status;
  EXPECT_EQ(WEXITSTATUS(outcome.status), 1);
  EXPECT_NE(outcome.err.find(std::string("cannot write ") + kLibraryName + ": File too large"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(ReadAll(scene.Library()), old);
  EXPECT_EQ(FaultScene::Others(scene.Lib()), std::vector<std::string>{});
}

int RoundsFromEnvironment(int fallback) {
  const char* text = std::getenv("VANTREL_FAULT_ROUNDS");
  return text ? std::atoi(text) : fallback;
}

// The longest of a few uninterrupted runs: kills and appends are spread over this time.
std::chrono::microseconds RunTime(const FaultScene& scene, const std::string& library) {
  std::chrono::microseconds longest{0};
  for (int i = 0; i < 5; ++i) {
    scene.Fresh(library);
    const auto start = std::chrono::steady_clock::now();
    scene.Run({"normalise"});
    longest = std::max(longest, std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now() - start));
  }
  return longest;
}

// Signals at random moments of normalise: the library is always the old or the new text.
// SIGINT, SIGTERM and SIGHUP leave nothing behind even where the new file has a name from the
// start; SIGKILL can leave it where it has (no O_TMPFILE), or between naming it and the rename,
// and the next rewrite in the folder removes it. VANTREL_FAULT_ROUNDS sets the kills of each
// kind. When the signals fall is left to chance; what is checked holds wherever they fall.
TEST(RealFileFaultTest, KilledRewritesLeaveNoCorruptLibraryAndNoDebris) {
  FaultScene scene;
  const std::string old = Descending(1, 1000);
  scene.Fresh(old);
  ASSERT_EQ(WEXITSTATUS(scene.Run({"normalise"}).status), 0);
  const std::string normalised = ReadAll(scene.Library());
  const std::chrono::microseconds runTime = RunTime(scene, old);
  const int rounds = RoundsFromEnvironment(150);
  std::mt19937 random(9);
  std::uniform_int_distribution<long> delay(0, runTime.count());
  const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);

  struct Kind {
    int signal;
    const char* faults;
    bool leavesNothing;  // even right after each signal
  };
  for (const Kind& kind : std::vector<Kind>{{SIGINT, "no-tmpfile", true},
                                            {SIGTERM, "no-tmpfile", true},
                                            {SIGHUP, "no-tmpfile", true},
                                            {SIGKILL, "", false},
                                            {SIGKILL, "no-tmpfile", false}}) {
    const std::string name =
        std::string("SIG") + sigabbrev_np(kind.signal) + (*kind.faults ? " without O_TMPFILE" : "");
    int corrupt = 0, leftovers = 0, killed = 0, killedAfterRename = 0, other = 0;
    scene.Fresh(old);
    for (int round = 0; round < rounds; ++round) {
      // The folder keeps what earlier rounds left.
      WriteAll(scene.Library(), old);
      const pid_t pid = scene.Start({"normalise"}, kind.faults, devNull);
      std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
      ::kill(pid, kind.signal);
      int status = 0;
      ::waitpid(pid, &status, 0);
      const std::string now = ReadAll(scene.Library());
      if (now != old && now != normalised) ++corrupt;
      const auto left = static_cast<int>(FaultScene::Others(scene.Lib()).size());
      leftovers += left;
      if (kind.leavesNothing) {
        EXPECT_EQ(left, 0) << name << ", round " << round;
      }
      if (WIFSIGNALED(status) && WTERMSIG(status) == kind.signal) {
        ++killed;
        if (now == normalised) ++killedAfterRename;
      } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ++other;
      }
    }
    std::cout << name << ": " << rounds << " signals, " << killed << " ended the program ("
              << killedAfterRename << " after the rename), " << corrupt << " corrupt, " << leftovers
              << " left over\n";
    EXPECT_EQ(corrupt, 0) << name;
    EXPECT_EQ(other, 0) << name;
    // One more rewrite in the folder removes what the killed ones left.
    WriteAll(scene.Library(), old);
    EXPECT_EQ(WEXITSTATUS(scene.Run({"normalise"}).status), 0) << name;
    EXPECT_EQ(ReadAll(scene.Library()), normalised) << name;
    EXPECT_EQ(FaultScene::Others(scene.Lib()), std::vector<std::string>{}) << name;
  }
  ::close(devNull);
}

// Another program appends a value while normalise runs: the value is never lost. With
// VANTREL_APPEND_WITHOUT_LOCK set, the appender ignores the folder lock, and an append that
// falls between the last check and the rename is lost; VANTREL_FAULT_ROUNDS then sets the rounds.
TEST(RealFileFaultTest, ValueAppendedDuringARewriteIsKept) {
  const bool withoutLock = std::getenv("VANTREL_APPEND_WITHOUT_LOCK") != nullptr;
  const int rounds = withoutLock ? RoundsFromEnvironment(100) : 100;
  FaultScene scene;
  const std::string old = Descending(1, 500);
  const std::chrono::microseconds runTime = RunTime(scene, old);
  std::mt19937 random(5);
  std::uniform_int_distribution<long> delay(0, runTime.count());
  const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  int lost = 0;
  for (int round = 0; round < rounds; ++round) {
    scene.Fresh(old);
    const pid_t pid = scene.Start({"normalise"}, "", devNull);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    {
      // A program that honours the lock this program takes over its check and rename.
      const int folder = withoutLock ? -1 : ::open(scene.Lib().c_str(), O_RDONLY | O_CLOEXEC);
      if (folder >= 0) ::flock(folder, LOCK_EX);
      std::ofstream(scene.Library(), std::ios::binary | std::ios::app) << "777777\r\n";
      if (folder >= 0) ::close(folder);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
    if (ReadAll(scene.Library()).find("777777") == std::string::npos) ++lost;
  }
  ::close(devNull);
  std::cout << rounds << " appends during normalise, " << lost << " lost\n";
  EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace vantrel::testing
