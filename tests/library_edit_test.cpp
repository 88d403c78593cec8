#include "library_edit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "fake_editor.h"
#include "fake_services.h"
#include "posix_files.h"
#include "scratch_dir.h"

namespace vantrel::testing {
namespace {

// Waits for real and records each wait; onWait, if set, is told how many there have been.
class CountingWaiter final : public IWaiter {
 public:
  void WaitMilliseconds(int milliseconds) override {
    waits.push_back(milliseconds);
    if (onWait) onWait(waits.size());
    m_sleeper.WaitMilliseconds(milliseconds);
  }
  std::vector<int> waits;
  std::function<void(std::size_t)> onWait;

 private:
  SleepingWaiter m_sleeper;
};

TEST(EditLibraryTest, ReadsOnlyAfterTheEditorClosedLookingEvery500Ms) {
  FakeServices fakes;
  fakes.files.files[kLibraryPath] = "47\r\n";
  FakeEditorLauncher editor;
  editor.looksWhileOpen = 3;
  std::vector<std::size_t> readsAtLooks;
  editor.onLook = [&] { readsAtLooks.push_back(fakes.files.readSizes.size()); };
  editor.onClose = [&] { fakes.files.files[kLibraryPath] += "22\r\n10\r\n"; };
  RecordingWaiter waiter;
  LibraryTable table;

  ASSERT_TRUE(EditLibrary(fakes.services, editor, waiter, table));
  EXPECT_EQ(editor.startedFiles, std::vector<std::string>{"ResistorLibrary.txt"});
  EXPECT_EQ(readsAtLooks, (std::vector<std::size_t>{0, 0, 0, 0}));
  EXPECT_EQ(waiter.waits, (std::vector<int>{500, 500, 500}));
  EXPECT_EQ(fakes.files.files[kLibraryPath], "10.00\r\n22.00\r\n47.00\r\n");
  EXPECT_TRUE(fakes.messages.shown.empty());
}

TEST(EditLibraryTest, EditorClosedAtTheFirstLookMeansNoWait) {
  FakeServices fakes;
  fakes.files.files[kLibraryPath] = "47\r\n";
  FakeEditorLauncher editor;
  RecordingWaiter waiter;
  LibraryTable table;
  ASSERT_TRUE(EditLibrary(fakes.services, editor, waiter, table));
  EXPECT_EQ(editor.looks, 1);
  EXPECT_TRUE(waiter.waits.empty());
}

TEST(EditLibraryTest, NoEditorShowsWhyAndChangesNothing) {
  FakeServices fakes;
  fakes.files.files[kLibraryPath] = "100\r\n47\r\n";
  FakeEditorLauncher editor;
  editor.failure = "No text editor could be started.";
  RecordingWaiter waiter;
  LibraryTable table;
  table.values[0] = 5.0f;
  table.count = 1;

  EXPECT_FALSE(EditLibrary(fakes.services, editor, waiter, table));
  EXPECT_EQ(fakes.messages.Texts(), std::vector<std::string>{editor.failure});
  EXPECT_TRUE(fakes.files.readSizes.empty());
  EXPECT_EQ(fakes.files.replaceCalls, 0);
  EXPECT_EQ(fakes.files.files[kLibraryPath], "100\r\n47\r\n");
  EXPECT_EQ(table.count, 1);
}

// An existing library that cannot be read must not be replaced by what the table still holds.
TEST(EditLibraryTest, FailedReadStopsBeforeAnyWrite) {
  FakeServices fakes;
  fakes.files.files[kLibraryPath] = "100\r\n47\r\n";
  fakes.files.failRead = true;
  FakeEditorLauncher editor;
  RecordingWaiter waiter;
  LibraryTable table;
  table.values[0] = 5.0f;
  table.count = 1;

  EXPECT_THROW(EditLibrary(fakes.services, editor, waiter, table), FileError);
  EXPECT_EQ(fakes.files.replaceCalls, 0);
  EXPECT_EQ(fakes.files.files[kLibraryPath], "100\r\n47\r\n");
  EXPECT_EQ(table.count, 1);
}

// The command against real files, with fake editors started through VANTREL_EDITOR.
struct EditCase {
  const char* name;
  std::optional<std::string> before;  // the library before the command, if any
  std::string editor;                 // script body; $1 is the library file
  bool succeeds;
  std::optional<std::string> after;  // nullopt: the file must not exist
  std::vector<std::string> messages;
};

void PrintTo(const EditCase& c, std::ostream* out) {
  *out << c.name;
}

// The command in a scratch directory, on real files.
class EditFileTest : public ::testing::Test {
 protected:
  bool Edit(const EditorEnvironment& environment) {
    DesktopEditorLauncher editor(environment);
    return EditLibrary(services, editor, waiter, table);
  }
  // With VANTREL_EDITOR the script bin/editor of that body.
  bool EditWith(const std::string& body) {
    return Edit({dir.Script("bin/editor", body), "", "", ""});
  }

  ScratchDir dir;
  FakeMessageService messages;
  PosixFileService files;
  FakeClock clock;
  Services services{messages, files, clock};
  CountingWaiter waiter;
  LibraryTable table;
};

class EditCaseTest : public EditFileTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditCaseTest, RewritesWhatTheEditorLeft) {
  const EditCase& c = GetParam();
  if (c.before) dir.Write("ResistorLibrary.txt", *c.before);
  EXPECT_EQ(EditWith(c.editor), c.succeeds);
  EXPECT_EQ(dir.Read("ResistorLibrary.txt"), c.after);
  std::vector<std::string> expected = c.messages;
  for (std::string& text : expected) {
    if (const std::size_t at = text.find("EDITOR"); at != std::string::npos) {
      text.replace(at, 6, dir.Path("bin/editor"));
    }
  }
  EXPECT_EQ(messages.Texts(), expected);
  // Nothing but the library and the fake editor is left in the directory.
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path(""))) {
    const std::string name = entry.path().filename();
    EXPECT_TRUE(name == "ResistorLibrary.txt" || name == "bin") << name;
  }
}

std::string Values(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += std::to_string(i) + "\r\n";
  return text;
}

const std::string kTooLong = "47\r\n" + std::string(10240, ' ');

INSTANTIATE_TEST_SUITE_P(
    Cases, EditCaseTest,
    ::testing::Values(EditCase{"RepeatedValuesAdded",
                               "330\r\n47\r\n",
                               "printf '220\\r\\n100\\r\\n220\\r\\n' >> \"$1\"",
                               true,
                               "47.00\r\n100.00\r\n220.00\r\n330.00\r\n",
                               {}},
                      EditCase{"ThreeDecimalsRoundedFromTheFloat",
                               "10\r\n",
                               "printf '4.755\\r\\n4.745\\r\\n' >> \"$1\"",
                               true,
                               "4.74\r\n4.76\r\n10.00\r\n",
                               {}},
                      EditCase{"ZeroAndTextDropped",
                               "10\r\n",
                               "printf '0\\r\\nten ohms\\r\\n0.000\\r\\n\\r\\n' >> \"$1\"",
                               true,
                               "10.00\r\n",
                               {}},
                      EditCase{"EditorThatNeverOpensTheFile",
                               "100\r\n47\r\n91\r\n100\r\n",
                               "exit 0",
                               true,
                               "47.00\r\n91.00\r\n100.00\r\n",
                               {}},
                      EditCase{"FailedEditorStopsTheRewrite",
                               "10\r\n",
                               "printf '22\\r\\n' >> \"$1\"; exit 1",
                               false,
                               "10\r\n22\r\n",
                               {"The editor \"EDITOR\" exited with status 1, so "
                                "ResistorLibrary.txt was not rewritten."}},
                      EditCase{"LibraryCreatedInTheEditor",
                               std::nullopt,
                               "printf '68\\r\\n' > \"$1\"",
                               true,
                               "68.00\r\n",
                               {}},
                      EditCase{"MissingLibrary",
                               std::nullopt,
                               "exit 0",
                               false,
                               std::nullopt,
                               {kLibraryMissingMessage}},
                      EditCase{
                          "TooLong", kTooLong, "exit 0", false, kTooLong, {kLibraryTooLongMessage}},
                      EditCase{"TooManyValues",
                               Values(1, 1001),
                               "exit 0",
                               false,
                               Values(1, 1001),
                               {kLibraryTooManyMessage}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(EditFileTest, UnreadableLibraryIsLeftAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file; the shell test covers this";
  dir.Write("ResistorLibrary.txt", "100\r\n47\r\n", 0200);
  EXPECT_FALSE(EditWith("exit 0"));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{kLibraryMissingMessage});
  ::chmod(dir.Path("ResistorLibrary.txt").c_str(), 0600);
  EXPECT_EQ(dir.Read("ResistorLibrary.txt"), "100\r\n47\r\n");
}

TEST_F(EditFileTest, NoEditorAtAllChangesNothing) {
  dir.Write("ResistorLibrary.txt", "100\r\n47\r\n");
  EXPECT_FALSE(Edit({"", "", "", dir.Path("bin")}));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.shown[0].text.starts_with("No text editor could be started"));
  EXPECT_EQ(dir.Read("ResistorLibrary.txt"), "100\r\n47\r\n");
  EXPECT_TRUE(waiter.waits.empty());
}

// The editor saves only once the third wait has begun, so at least three looks find it open,
// however slowly either side runs; the wait for "go" is bounded so that a fault cannot hang.
TEST_F(EditFileTest, PollsEvery500MsWhileTheEditorIsOpen) {
  dir.Write("ResistorLibrary.txt", "10\r\n");
  waiter.onWait = [this](std::size_t waits) {
    if (waits == 3) dir.Write("go", "");
  };
  const std::string go = dir.Path("go");
  EXPECT_TRUE(EditWith("for i in $(seq 600); do [ -e '" + go +
                       "' ] && break; sleep 0.05; done; printf '5\\r\\n' >> \"$1\""));
  EXPECT_GE(waiter.waits.size(), 3u);
  for (int wait : waiter.waits) EXPECT_EQ(wait, 500);
  EXPECT_EQ(dir.Read("ResistorLibrary.txt"), "5.00\r\n10.00\r\n");
}

}  // namespace
}  // namespace vantrel::testing
