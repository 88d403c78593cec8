#include "cli_app.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fake_services.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "terminal_messages.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kHeader[] = "Resistor Value\tResistor #1\tResistor #2\tPrecision (%)\n";
constexpr char kPairRow[] = "45.500\t91.000\t91.000\t1.111\n";
constexpr char kSingleRow[] = "47.000\t0.000\t0.000\t4.444\n";

// The command line with the file service faked and messages going to err, as in the program.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { SetFile("100\r\n47\r\n91\r\n100\r\n"); }

  void SetFile(std::string content) { files.files[kLibraryPath] = std::move(content); }
  std::string File() const { return files.files.at(kLibraryPath); }

  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunCli(args, services, out, err);
  }

  std::ostringstream out;
  std::ostringstream err;
  TerminalMessageService messages{err};
  testing::FakeFileService files;
  Services services{messages, files};
};

TEST_F(CliTest, CalcPrintsTheHeaderAndTabSeparatedRows) {
  const struct {
    std::vector<std::string> args;
    std::string output;
  } cases[] = {
      {{"calc", "45", "5"}, std::string(kHeader) + kPairRow + kSingleRow},
      {{"calc", "45", "5", "--rows", "1"}, std::string(kHeader) + kPairRow},
      {{"calc", "--rows", "1", "45", "5"}, std::string(kHeader) + kPairRow},
      {{"calc", "45", "5", "--rows", "2"}, std::string(kHeader) + kPairRow + kSingleRow},
      {{"calc", "45", "5", "--rows", "100"}, std::string(kHeader) + kPairRow + kSingleRow},
      {{"calc", "45", "5", "--rows", "0"}, kHeader},
      {{"calc", "45", "1"}, kHeader},  // count 0
      {{"calc", "45abc", "abc"}, kHeader},
      {{"calc", "1e2", "0"}, std::string(kHeader) + "100.000\t0.000\t0.000\t0.000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitOk);
    EXPECT_EQ(out.str(), c.output);
    EXPECT_EQ(err.str(), "");
  }
}

TEST_F(CliTest, CalcFailurePrintsTheMessageAsOneLineOnErr) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"calc", "0", "1"}, "Parameter setting error !\n"},
      {{"calc", "45", "1e39"}, "Parameter setting error !\n"},
      {{"calc", "101", "1"}, "All Library's Resistor value less than targer value !\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), c.message);
  }
  files.files.clear();
  EXPECT_EQ(Run({"calc", "45", "1"}), kExitFailure);
  EXPECT_EQ(err.str(), "Resistor library file:\"ResistorLibrary.txt\" is not exist !\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(CliTest, FileErrorIsOneLineNamingOperationFileAndReason) {
  files.failRead = true;
  EXPECT_EQ(Run({"calc", "45", "1"}), kExitFailure);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "vantrel-cli: cannot read \"./ResistorLibrary.txt\": Input/output error\n");

  files.failRead = false;
  files.failWrite = true;
  EXPECT_EQ(Run({"normalise"}), kExitFailure);
  EXPECT_EQ(err.str(),
            "vantrel-cli: cannot write \"./ResistorLibrary.txt\": No space left on device\n");
  EXPECT_EQ(File(), "100\r\n47\r\n91\r\n100\r\n");
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndPrintTheUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"calc"},
      {"calc", "45"},
      {"calc", "45", "1", "7"},
      {"calc", "45", "1", "--rows"},
      {"calc", "45", "1", "--rows", "-1"},
      {"calc", "45", "1", "--rows", "x"},
      {"calc", "45", "1", "--rows", "1.5"},
      {"calc", "45", "1", "--rows", ""},
      {"calc", "45", "1", "--rows", "99999999999999999999"},
      {"normalise", "now"},
      {"-C"},
      {"--rows", "1", "calc", "45", "1"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_EQ(Run(args), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_THAT(err.str(), StartsWith("vantrel-cli: "));
    EXPECT_THAT(err.str(), HasSubstr("usage: vantrel-cli"));
  }
  EXPECT_EQ(File(), "100\r\n47\r\n91\r\n100\r\n");
}

TEST_F(CliTest, HelpAndVersion) {
  EXPECT_EQ(Run({"--help"}), kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("usage: vantrel-cli"));
  EXPECT_THAT(out.str(), HasSubstr("calc TARGET PRECISION"));
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(Run({"--version"}), kExitOk);
  EXPECT_EQ(out.str(), "1.0.0.1\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(CliTest, MissingDirectoryFailsWithoutChangingDirectory) {
  EXPECT_EQ(Run({"-C", "/nonexistent/vantrel", "calc", "45", "1"}), kExitFailure);
  EXPECT_EQ(out.str(), "");
  EXPECT_THAT(err.str(), HasSubstr("\"/nonexistent/vantrel\""));
}

TEST_F(CliTest, NormaliseRewritesTheFileAndReportsWhatItDropped) {
  SetFile("100\r\n47\r\nabc\r\n0\r\n\r\n1e39\r\n91\r\n100\r\n 4.7 ohm \r\n4.70\r\n");
  EXPECT_EQ(Run({"normalise"}), kExitOk);
  EXPECT_EQ(File(), "4.70\r\n47.00\r\n91.00\r\n100.00\r\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "dropped 2 line(s) that are no number or zero: \"abc\", \"0\"\n"
            "dropped 1 value(s) beyond the float range: \"1e39\"\n"
            "dropped 2 duplicate value(s)\n");
}

// Lines whose resistor notation the number rules read otherwise get a note on err; the rows
// and the exit status stay those of the plain numbers they are read as.
TEST_F(CliTest, CalcNotesLinesReadOtherwiseThanWritten) {
  const std::string cut = std::string(kLibraryReadLimit - 8, ' ') + "\n10\n4700" + "0\r\n";
  const struct {
    std::string file;
    std::string plain;  // the same values in plain digits
    std::vector<std::string> args;
    std::string notes;
  } cases[] = {
      {"100m\n47\r\n4k7\n91 metal film\n",
       "100\n47\n4\n91\n",
       {"calc", "45", "5"},
       "line 1: \"100m\" is read as 100\nline 3: \"4k7\" is read as 4\n"},
      {"10\n2R2\n", "10\n2\n", {"calc", "45", "5"}, "line 2: \"2R2\" is read as 2\n"},
      {cut,
       "\n10\n",
       {"calc", "10", "0"},
       "line 3: \"4700\" is cut by the 10240-byte read limit and left out\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 20));
    SetFile(c.plain);
    const int status = Run(c.args);
    const std::string rows = out.str();
    const std::string shown = err.str();
    SetFile(c.file);
    EXPECT_EQ(Run(c.args), status);
    EXPECT_EQ(out.str(), rows);
    EXPECT_EQ(err.str(), shown + c.notes);
  }
}

TEST_F(CliTest, NormaliseRefusesNotationAndNotesEachLine) {
  const std::string content = "10\n4.7k\r\n 1 M \n";
  SetFile(content);
  EXPECT_EQ(Run({"normalise"}), kExitFailure);
  EXPECT_EQ(
      err.str(),
      "ResistorLibrary.txt was not rewritten: line 2 \"4.7k\" would be read as 4.7. Write the "
      "value in plain digits (4700) and try again.\n"
      "line 2: \"4.7k\" is read as 4.7\n"
      "line 3: \"1 M\" is read as 1\n");
  EXPECT_EQ(File(), content);
  EXPECT_EQ(files.replaceCalls, 0);

  SetFile("1.002\n1.001\n1.004\n");
  EXPECT_EQ(Run({"normalise"}), kExitOk);
  EXPECT_EQ(File(), "1.00\r\n");
  EXPECT_EQ(err.str(),
            "dropped 2 value(s) that two decimals write like a smaller one: "
            "\"1.002\", \"1.004\"\n");
}

TEST_F(CliTest, NormaliseOfACleanFileSaysNothing) {
  SetFile("47.00\r\n91.00\r\n100.00\r\n");
  EXPECT_EQ(Run({"normalise"}), kExitOk);
  EXPECT_EQ(File(), "47.00\r\n91.00\r\n100.00\r\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(CliTest, NormaliseRefusesALibraryItCouldNotTakeInWhole) {
  std::string tooMany;
  for (int i = 1; i <= 1001; ++i) tooMany += std::to_string(i) + "\r\n";
  const struct {
    std::string content;
    const char* message;
  } cases[] = {
      {std::string(kLibraryReadLimit, '\n') + "5\r\n", kLibraryTooLongMessage},
      {tooMany, kLibraryTooManyMessage},
  };
  for (const auto& c : cases) {
    SetFile(c.content);
    EXPECT_EQ(Run({"normalise"}), kExitFailure);
    EXPECT_EQ(err.str(), std::string(c.message) + '\n');
    EXPECT_EQ(File(), c.content);
    EXPECT_EQ(files.replaceCalls, 0);
  }
}

TEST_F(CliTest, NormaliseFailuresExitWithOne) {
  files.failCreate = true;
  EXPECT_EQ(Run({"normalise"}), kExitFailure);
  EXPECT_EQ(err.str(), "Write To Resistor Library Error !\n");
  EXPECT_EQ(File(), "100\r\n47\r\n91\r\n100\r\n");

  files.files.clear();
  EXPECT_EQ(Run({"normalise"}), kExitFailure);
  EXPECT_EQ(err.str(), "Resistor library file:\"ResistorLibrary.txt\" is not exist !\n");
  EXPECT_TRUE(files.files.empty());
}

}  // namespace
}  // namespace vantrel
