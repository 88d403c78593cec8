#include "single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace vantrel::testing {
namespace {

constexpr char kName[] = "vantrel";

class SingleInstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = std::filesystem::temp_directory_path() / "vantrel-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    m_dir = m_root + "/run";
  }
  void TearDown() override { std::filesystem::remove_all(m_root); }

  std::string m_root;
  std::string m_dir;  // missing until a lock creates it
};

TEST_F(SingleInstanceLockTest, OneHolderAtATimeAndFreeAgainAfterIt) {
  {
    const SingleInstanceLock first(kName, m_dir);
    EXPECT_EQ(first.State(), InstanceLockState::kAcquired) << first.Problem();
    EXPECT_EQ(SingleInstanceLock(kName, m_dir).State(), InstanceLockState::kHeldElsewhere);
    EXPECT_EQ(SingleInstanceLock("other", m_dir).State(), InstanceLockState::kAcquired);
  }
  EXPECT_EQ(SingleInstanceLock(kName, m_dir).State(), InstanceLockState::kAcquired);
  struct stat info {};
  ASSERT_EQ(::stat(m_dir.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// The window starts the library editor; the editor must not keep a later copy from starting.
TEST_F(SingleInstanceLockTest, ProgramsStartedWhileHeldDoNotInheritIt) {
  pid_t child = 0;
  {
    const SingleInstanceLock lock(kName, m_dir);
    ASSERT_EQ(lock.State(), InstanceLockState::kAcquired);
    char sleepArg0[] = "sleep";
    char sleepArg1[] = "30";
    char* argv[] = {sleepArg0, sleepArg1, nullptr};
    ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
  }
  EXPECT_EQ(SingleInstanceLock(kName, m_dir).State(), InstanceLockState::kAcquired);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

TEST_F(SingleInstanceLockTest, KilledHolderLeavesItFree) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const SingleInstanceLock lock(kName, m_dir);
    const char state = lock.State() == InstanceLockState::kAcquired ? 'y' : 'n';
    if (::write(ready[1], &state, 1) != 1) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char state = 0;
  ASSERT_EQ(::read(ready[0], &state, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(state, 'y');
  EXPECT_EQ(SingleInstanceLock(kName, m_dir).State(), InstanceLockState::kHeldElsewhere);

  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(SingleInstanceLock(kName, m_dir).State(), InstanceLockState::kAcquired);
}

// Someone else could have made the directory in /tmp first, to read or steal the lock.
TEST_F(SingleInstanceLockTest, RefusesADirectoryOthersCanReachOrOwn) {
  ASSERT_EQ(::mkdir(m_dir.c_str(), 0700), 0);
  for (mode_t mode : {0777, 0750, 0705}) {
    ASSERT_EQ(::chmod(m_dir.c_str(), mode), 0);
    const SingleInstanceLock open(kName, m_dir);
    EXPECT_EQ(open.State(), InstanceLockState::kUnavailable) << std::oct << mode;
    EXPECT_NE(open.Problem().find(m_dir), std::string::npos) << open.Problem();
  }

  ASSERT_EQ(::chmod(m_dir.c_str(), 0700), 0);
  const std::string link = m_root + "/link";
  ASSERT_EQ(::symlink(m_dir.c_str(), link.c_str()), 0);
  EXPECT_EQ(SingleInstanceLock(kName, link).State(), InstanceLockState::kUnavailable);

  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(m_dir.c_str(), 65534, 65534), 0);
    EXPECT_EQ(SingleInstanceLock(kName, m_dir).State(), InstanceLockState::kUnavailable);
  }
}

// Any runtime directory that is not plainly this user's private one sends the lock to the one
// fallback, so two starts cannot lock in two places.
TEST_F(SingleInstanceLockTest, LockDirectoryIsAPrivateRuntimeDirectoryElseTheFallback) {
  const std::string fallback = m_root + "/vantrel-" + std::to_string(::geteuid());
  const std::string link = m_root + "/link";
  ASSERT_EQ(::mkdir(m_dir.c_str(), 0700), 0);
  ASSERT_EQ(::symlink(m_dir.c_str(), link.c_str()), 0);
  struct Case {
    const char* name;
    const char* runtimeDir;
    mode_t mode;
    bool usable;
  };
  const std::vector<Case> cases = {
      {"private", m_dir.c_str(), 0700, true},
      {"unset", nullptr, 0700, false},
      {"empty", "", 0700, false},
      {"relative", "run", 0700, false},
      {"missing", "/nonexistent/run", 0700, false},
      {"read-only", m_dir.c_str(), 0500, false},
      {"group", m_dir.c_str(), 0750, false},
      {"others", m_dir.c_str(), 0705, false},
      {"symlink", link.c_str(), 0700, false},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(::chmod(m_dir.c_str(), c.mode), 0);
    EXPECT_EQ(LockDirectory(kName, c.runtimeDir, m_root), c.usable ? m_dir : fallback) << c.name;
  }
  if (::geteuid() == 0) {
    ASSERT_EQ(::chmod(m_dir.c_str(), 0700), 0);
    ASSERT_EQ(::chown(m_dir.c_str(), 65534, 65534), 0);
    EXPECT_EQ(LockDirectory(kName, m_dir.c_str(), m_root), fallback) << "foreign owner";
  }
}

}  // namespace
}  // namespace vantrel::testing
