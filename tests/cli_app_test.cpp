#include "cli_app.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "e_series.h"
#include "fake_services.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "stock_load.h"
#include "terminal_messages.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kHeader[] = "Resistor Value\tResistor #1\tResistor #2\tPrecision (%)\n";
constexpr char kPairRow[] = "45.500\t91.000\t91.000\t1.111\n";
constexpr char kSingleRow[] = "47.000\t0.000\t0.000\t4.444\n";

// The program's message and the command line's second line, which names the library's path.
std::string MissingLibraryErr() {
  return "Resistor library file:\"ResistorLibrary.txt\" is not exist !\nvantrel-cli: no library at "
         "\"" +
         (std::filesystem::current_path() / "ResistorLibrary.txt").string() +
         "\"; make one with \"vantrel-cli series E24 --write\" or \"vantrel-cli edit\"\n";
}

std::string WriteErrorErr(std::string_view kind = "Resistor") {
  const std::string file = std::string(kind) + "Library.txt";
  return "Write To " + std::string(kind) + " Library Error !\nvantrel-cli: cannot write \"" +
         (std::filesystem::current_path() / file).string() + "\": Permission denied\n";
}

class CliTest : public testing::CliFixture {
 protected:
  void SetUp() override { SetFile("100\r\n47\r\n91\r\n100\r\n"); }
};

TEST_F(CliTest, CalcPrintsTheHeaderAndTabSeparatedRows) {
  const struct {
    std::vector<std::string> args;
    std::string output;
    std::string note = "";
  } cases[] = {
      {{"calc", "45", "5"}, std::string(kHeader) + kPairRow + kSingleRow},
      {{"calc", "45", "5", "--rows", "1"}, std::string(kHeader) + kPairRow},
      {{"calc", "--rows", "1", "45", "5"}, std::string(kHeader) + kPairRow},
      {{"calc", "45", "5", "--rows", "2"}, std::string(kHeader) + kPairRow + kSingleRow},
      {{"calc", "45", "5", "--rows", "100"}, std::string(kHeader) + kPairRow + kSingleRow},
      {{"calc", "45", "5", "--rows", "0"}, kHeader},
      {{"calc", "45", "1"},
       kHeader,
       "vantrel-cli: calc: no library value or parallel pair lies within 1 % of 45\n"},
      {{"calc", "45abc", "abc"},
       kHeader,
       "vantrel-cli: calc: no library value or parallel pair lies within 0 % of 45\n"},
      {{"calc", "1e2", "0"}, std::string(kHeader) + "100.000\t0.000\t0.000\t0.000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitOk);
    EXPECT_EQ(out.str(), c.output);
    EXPECT_EQ(err.str(), c.note);
  }
}

// The program's message, then for a parameter the command line says which and why.
TEST_F(CliTest, CalcFailurePrintsTheMessageOnErr) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"calc", "0", "1"},
       "Parameter setting error !\n"
       "vantrel-cli: calc: TARGET \"0\" is read as 0, which is not above 0\n"},
      {{"calc", "45", "1e39"},
       "Parameter setting error !\n"
       "vantrel-cli: calc: PRECISION \"1e39\" is beyond single precision (about 3.4e38 at most)\n"},
      // Above 0, but 0 as the float calc keeps.
      {{"calc", "1e-46", "1"},
       "Parameter setting error !\n"
       "vantrel-cli: calc: TARGET \"1e-46\" is too small for single precision, the 32-bit floats "
       "calc keeps (about 1.4e-45 at least)\n"},
      {{"calc", "-1e-46", "1"},
       "Parameter setting error !\n"
       "vantrel-cli: calc: TARGET \"-1e-46\" is read as "
       "-0.0000000000000000000000000000000000000000000001, "
       "which is not above 0\n"},
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
  EXPECT_EQ(err.str(), MissingLibraryErr());
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

TEST_F(CliTest, UsageErrorsNameWhatIsWrong) {
  const struct {
    std::vector<std::string> args;
    std::string firstLine;
  } cases[] = {
      {{"calc", "45", "1", "extra"}, "calc: unexpected argument \"extra\""},
      {{"calc", "45", "--verbose"}, "calc: unknown option \"--verbose\""},
      {{"calc", "45", "1", "--rows=2=3"},
       "calc: --rows needs a whole number from 0 to 999999999, not \"2=3\""},
      {{"calc", "45", "1", "--rows"}, "calc: --rows needs a value N"},
      {{"calc"}, "calc: missing TARGET"},
      {{"calc", "45"}, "calc: missing PRECISION"},
      {{"calc", "--", "45", "1", "--rows"}, "calc: unexpected argument \"--rows\""},
      {{"normalise", "--rows=2"}, "normalise: unknown option \"--rows\""},
      {{"help", "frobnicate"}, "help: unknown command \"frobnicate\""},
      {{"frobnicate"}, "unknown command \"frobnicate\""},
      {{"--rows", "1", "calc", "45", "1"}, "unknown option \"--rows\""},
      {{"-C"}, "-C needs a value DIR"},
      {{"calc", "45", "1", "-C"}, "-C needs a value DIR"},
      {{"rc", "1k"},
       "rc: unexpected argument \"1k\"; give it to --corner or --tau, as in --corner 1k"},
      {{"find", "100n"},
       "find: TARGET \"100n\" is not a resistance (add --capacitors for a capacitor value, add "
       "--inductors for an inductor value)"},
      {{"series"}, "series: missing NAME"},
      {{"series", "E5"}, "series: unknown series \"E5\"; E3, E6, E12, E24, E48, E96 or E192"},
      {{"series", "E12", "--from", "4x7"}, "series: --from \"4x7\" is not a resistance"},
      {{"series", "E12", "--to=-1"},
       "series: --to \"-1\" is out of range: resistances from 1 µΩ to 1 PΩ are accepted"},
      {{"series", "E12", "--from=2k2", "--to=1k"}, "series: --from \"2k2\" is above --to \"1k\""},
      {{"series", "E12", "--write=yes"}, "series: --write takes no value"},
      {{"series", "E12", "--merge"}, "series: --merge goes with --write"},
      {{}, "no command given"},
      // Long words are cut in messages.
      {{std::string(50, 'x')},
       "unknown command \"" + std::string(40, 'x') + "...\" (50 characters)"},
      {{"completion", std::string(50, 'x')},
       "completion: unknown shell \"" + std::string(40, 'x') +
           "...\" (50 characters); bash, zsh or fish"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitUsage);
    EXPECT_THAT(err.str(), StartsWith("vantrel-cli: " + c.firstLine + "\nusage: "));
  }
}

TEST_F(CliTest, OptionValuesComeEitherWayAndDoubleDashEndsTheOptions) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string output;
  } cases[] = {
      {{"calc", "45", "5", "--rows=1"}, kExitOk, std::string(kHeader) + kPairRow},
      {{"calc", "--rows=", "45", "5"}, kExitUsage, ""},
      {{"calc", "--", "45", "5"}, kExitOk, std::string(kHeader) + kPairRow + kSingleRow},
      // A word after "--" is an operand, read as the window reads its boxes: no number is 0.
      {{"calc", "45", "--", "--rows"}, kExitOk, kHeader},
      {{"calc", "45", "-1"}, kExitFailure, ""},
      {{"calc", "-45", "1"}, kExitFailure, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), c.status);
    EXPECT_EQ(out.str(), c.output);
  }
}

TEST_F(CliTest, HelpGoesToOutAndListsEveryCommand) {
  // Every help fits an 80-column terminal.
  const auto expectNarrow = [](const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  };
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"help"}, {"--help"}, {"-h"}, {"-C", ".", "help"}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_EQ(Run(args), kExitOk);
    EXPECT_EQ(err.str(), "");
    expectNarrow(out.str());
    for (const CliCommand& command : CliCommands()) {
      // "usage: " and the indent of the lines after it are equally long.
      EXPECT_THAT(out.str(), HasSubstr(Usage(command.spec, "       ").substr(7)));
      EXPECT_THAT(out.str(), HasSubstr(std::string(command.spec.summary) + '\n'));
    }
  }
  for (const CliCommand& command : CliCommands()) {
    const std::string name(command.spec.name);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"help", name}, {name, "--help"}, {name, "x", "--help", "--nonsense"}}) {
      SCOPED_TRACE(::testing::PrintToString(args));
      EXPECT_EQ(Run(args), kExitOk);
      EXPECT_EQ(out.str(), CommandHelp(command.spec));
      EXPECT_EQ(err.str(), "");
      expectNarrow(out.str());
    }
  }
  EXPECT_EQ(Run({"--version"}), kExitOk);
  EXPECT_EQ(out.str(), "1.0.0.1\n");
  EXPECT_EQ(File(), "100\r\n47\r\n91\r\n100\r\n");
}

// The manual page is written by hand; every command and option in the table must be in it.
TEST(CliManualTest, DocumentsEveryCommandAndOption) {
  std::ifstream file(VANTREL_MANUAL_PAGE);
  const std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t commands = page.find("\n.SH COMMANDS\n");
  ASSERT_NE(commands, std::string::npos);
  const std::string synopsis = page.substr(0, commands);
  const std::string described = page.substr(commands);
  // In man(7) a dash is written \\-.
  auto roff = [](std::string_view text) {
    std::string escaped;
    for (char c : text) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    return escaped;
  };
  auto contains = [](const std::string& text, const std::string& pattern) {
    return std::regex_search(text, std::regex(pattern));
  };
  for (const CliCommand& command : CliCommands()) {
    const std::string name = roff(command.spec.name);
    EXPECT_TRUE(contains(synopsis, "\n\\.(B|BI|BR|IB) (vantrel\\\\-cli )?" + name + "( |\n)"))
        << name;
    EXPECT_TRUE(contains(described, "\n\\.TP\n\\.(B|BI|BR) " + name + "( |\n)")) << name;
    for (const OptionSpec& option : command.spec.options) {
      const std::string optionName = roff(option.name);
      EXPECT_NE(synopsis.find(optionName), std::string::npos) << name << " " << optionName;
      EXPECT_NE(described.find(optionName), std::string::npos) << name << " " << optionName;
    }
  }
  for (const OptionSpec& option : ProgramOptions()) {
    const std::string name = roff(option.name);
    EXPECT_TRUE(page.find("\n.TP\n.B " + name) != std::string::npos ||
                page.find("\n.TP\n.BI " + name) != std::string::npos ||
                page.find("\n.TP\n.BR " + name) != std::string::npos)
        << name;
  }
}

// -C goes before the command or anywhere after it, up to "--".
TEST_F(CliTest, MissingDirectoryFailsWithoutChangingDirectory) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-C", "/nonexistent/vantrel", "calc", "45", "1"},
                                             {"calc", "45", "-C", "/nonexistent/vantrel", "1"}}) {
    EXPECT_EQ(Run(args), kExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_THAT(err.str(), HasSubstr("\"/nonexistent/vantrel\""));
  }
  EXPECT_EQ(Run({"calc", "45", "1", "-C", ".", "--rows", "1"}), kExitOk);
  EXPECT_EQ(Run({"calc", "--", "45", "1", "-C", "."}), kExitUsage);
  EXPECT_THAT(err.str(), HasSubstr("unexpected argument \"-C\""));
}

TEST_F(CliTest, NormaliseRewritesTheFileAndReportsWhatItDropped) {
  SetFile("100\r\n47\r\nabc\r\n0\r\n\r\n1e39\r\n91\r\n100\r\n 4.7 ohm \r\n4.70\r\n");
  EXPECT_EQ(Run({"normalise"}), kExitOk);
  EXPECT_EQ(File(), "4.70\r\n47.00\r\n91.00\r\n100.00\r\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "dropped 2 lines that are no number or zero: \"abc\", \"0\"\n"
            "dropped 1 value beyond the float range: \"1e39\"\n"
            "dropped 2 duplicate values\n");
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

// A random library: plain numbers, resistor notation, words, blank lines, any line end, and
// sometimes more than the reader takes.
std::string RandomLibrary(std::mt19937& random) {
  static const char* const kLines[] = {
      // plain numbers, some not read as values
      "470", "4.7", "1e3", "-12", "0", "0.000", "1e39", " 91 ", "12e", "1e-50",
      // resistor notation, read otherwise or not
      "4k7", "2R2", "4.7k", "1 M", "100m", "470R", "4.7kohm", "4.7 ohm", "10K", "1G5", "0R5", "3m3",
      "\t22 k", "4.7\xCE\xA9", "1.5M ohms", "5.0000000000000001k", "9.99999999999999999e2k",
      // words and blank lines
      "# E12", "abc", "100 metal film", "k7", "", "   ", "\t"};
  static const char* const kEnds[] = {"\n", "\r\n", "\r", "\n\n", "\r\n\r\n"};
  std::uniform_int_distribution<std::size_t> line(0, std::size(kLines) - 1);
  std::uniform_int_distribution<std::size_t> end(0, std::size(kEnds) - 1);
  std::uniform_int_distribution<std::size_t> length(0, 13000);
  const std::size_t wanted = length(random);
  std::string text;
  while (text.size() < wanted) {
    text += kLines[line(random)];
    text += kEnds[end(random)];
  }
  // Cut anywhere, so the limit may fall inside a value.
  text.resize(wanted);
  return text;
}

// The notes every reading command prints on err are the ones the rewrite's read gives, line for
// line and in order, whatever the library holds.
TEST_F(CliTest, ReadingCommandsNoteWhatTheRewritesReadNotes) {
  const auto noteLines = [](const std::string& text) {
    std::vector<std::string> notes;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with("line ")) notes.push_back(line);
    }
    return notes;
  };
  std::mt19937 random(42);
  int noted = 0;
  for (int round = 0; round < 40; ++round) {
    const std::string content = RandomLibrary(random);
    SCOPED_TRACE(content.substr(0, 60));
    testing::FakeServices fakes;
    fakes.files.files[kLibraryPath] = content;
    LibraryTable table;
    RewriteReport report;
    RewriteLibraryFile(fakes.services, table, &report);
    const std::vector<std::string> expected = finder::ReadNotes(report.read);
    noted += expected.empty() ? 0 : 1;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"calc", "7.5", "1e30", "--rows", "0"},
          {"find", "4k7", "--parts", "1"},
          {"divider", "5", "3.3"}}) {
      SetFile(content);
      Run(args);
      EXPECT_EQ(noteLines(err.str()), expected) << args[0];
      EXPECT_EQ(File(), content);
    }
  }
  EXPECT_GT(noted, 25);  // most libraries must have something to note
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
            "dropped 2 values that two decimals write like a smaller one: "
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
  EXPECT_EQ(err.str(), WriteErrorErr());
  EXPECT_EQ(File(), "100\r\n47\r\n91\r\n100\r\n");

  files.files.clear();
  EXPECT_EQ(Run({"normalise"}), kExitFailure);
  EXPECT_EQ(err.str(), MissingLibraryErr());
  EXPECT_TRUE(files.files.empty());
}

TEST_F(CliTest, SeriesPrintsCreatesAndMerges) {
  EXPECT_EQ(Run({"series", "E3", "--from", "1", "--to", "4k7"}), kExitOk);
  EXPECT_EQ(out.str(),
            "1.00\r\n2.20\r\n4.70\r\n10.00\r\n22.00\r\n47.00\r\n100.00\r\n"
            "220.00\r\n470.00\r\n1000.00\r\n2200.00\r\n4700.00\r\n");

  EXPECT_EQ(Run({"series", "E3", "--write"}), kExitFailure);
  EXPECT_EQ(err.str(),
            "vantrel-cli: series: ResistorLibrary.txt exists already; --merge adds "
            "the series to it\n");
  EXPECT_EQ(File(), "100\r\n47\r\n91\r\n100\r\n");

  EXPECT_EQ(Run({"series", "E3", "--from", "47", "--to", "220", "--write", "--merge"}), kExitOk);
  EXPECT_EQ(File(), "47.00\r\n91.00\r\n100.00\r\n220.00\r\n");
  EXPECT_EQ(err.str(),
            "dropped 1 duplicate value\n"
            "added 1 E3 values to ResistorLibrary.txt, which now holds 4\n");

  // A value the library writes as 4.70 already is not written twice.
  SetFile("4.699\r\n");
  EXPECT_EQ(Run({"series", "E3", "--from", "1", "--to", "10", "--write", "--merge"}), kExitOk);
  EXPECT_EQ(File(), "1.00\r\n2.20\r\n4.70\r\n10.00\r\n");
  EXPECT_EQ(err.str(), "added 3 E3 values to ResistorLibrary.txt, which now holds 4\n");

  files.files.clear();
  EXPECT_EQ(Run({"series", "e6", "--to=100", "--write"}), kExitOk);
  EXPECT_EQ(File(), "10.00\r\n15.00\r\n22.00\r\n33.00\r\n47.00\r\n68.00\r\n100.00\r\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "wrote 7 E6 values to ResistorLibrary.txt\n");
}

// 999 values of ten and eleven bytes and the seven of "10.00\r\n": a merge that comes to exactly
// the byte limit is written, one byte more is refused.
TEST_F(CliTest, SeriesMergeIsWrittenUpToTheByteLimit) {
  for (const int elevens : {243, 244}) {
    std::string library;
    for (int i = 0; i < 999 - elevens; ++i) library += std::to_string(10000 + i) + ".00\r\n";
    for (int i = 0; i < elevens; ++i) library += std::to_string(100000 + i) + ".00\r\n";
    SetFile(library);
    const int status = Run({"series", "E3", "--from", "10", "--to", "10", "--write", "--merge"});
    SCOPED_TRACE(err.str());
    if (elevens == 243) {
      EXPECT_EQ(status, kExitOk);
      EXPECT_EQ(File(), "10.00\r\n" + library);
      EXPECT_EQ(File().size(), kLibraryReadLimit);
    } else {
      EXPECT_EQ(status, kExitFailure);
      EXPECT_EQ(File(), library);
    }
  }
}

TEST_F(CliTest, SeriesRefusalsLeaveTheLibraryAsItWas) {
  std::string full;  // 9600 bytes
  for (int i = 1; i <= 800; ++i) full += std::to_string(1000000 + i) + ".00\r\n";
  std::string many;  // 300 values, none in E192
  for (int i = 1; i <= 300; ++i) many += std::to_string(i) + ".5\r\n";
  const struct {
    std::string content;
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {"10\r\n4k7\r\n",
       {"--write", "--merge"},
       "ResistorLibrary.txt was not rewritten: line 2 \"4k7\" would be read as 4. Write the "
       "value in plain digits (4700) and try again.\nline 2: \"4k7\" is read as 4"},
      {many,
       {"E192", "--from", "100", "--to", "1M", "--write", "--merge"},
       kLibraryMergeTooManyMessage},
      {full, {"E24", "--write", "--merge"}, kLibraryWouldGrowMessage},
      {"10\r\n",
       {"E192", "--from", "1", "--to", "1M"},
       "vantrel-cli: series: E192 from 1 to 1000000 is more than a library holds (1000 values, "
       "10240 bytes); choose a smaller range"},
      {"10\r\n",
       {"E96", "--from", "0.5"},
       "vantrel-cli: series: the E96 value 0.511 cannot be kept with two decimals in single "
       "precision; choose another range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    SetFile(c.content);
    files.replaceCalls = 0;
    std::vector<std::string> args = {"series", "E12"};
    if (c.args.front().starts_with("E")) args.pop_back();
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Run(args), kExitFailure);
    EXPECT_EQ(err.str(), c.message + '\n');
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(File(), c.content);
    EXPECT_EQ(files.replaceCalls, 0);
  }
  files.files.clear();
  files.failCreate = true;
  EXPECT_EQ(Run({"series", "E12", "--write"}), kExitFailure);
  EXPECT_EQ(err.str(), WriteErrorErr());
  EXPECT_EQ(Run({"series", "E6", "--capacitors", "--write"}), kExitFailure);
  EXPECT_EQ(err.str(), WriteErrorErr("Capacitor"));
  EXPECT_TRUE(files.files.empty());
}

TEST_F(CliTest, CheckTellsWhatARewriteWouldDoAndWritesNothing) {
  const struct {
    std::string content;
    int status;
    std::string output;
  } cases[] = {
      {"10.00\r\n22.00\r\n", kExitOk,
       "2 values, 0 lines dropped, 0 lines refused, 0 values outside the E-series.\n"
       "A rewrite would change nothing.\n"},
      {"22\n10\n", kExitFailure,
       "2 values, 0 lines dropped, 0 lines refused, 0 values outside the E-series.\n"
       "A rewrite would change the file: values ascending, two decimals, CR LF, no blank lines.\n"},
      {"100\r\nabc\r\n0\r\n1e39\r\n100\r\n9.94\r\n4.699\r\n4.7\r\n", kExitFailure,
       "line 2: \"abc\": no number or zero, dropped\n"
       "line 3: \"0\": no number or zero, dropped\n"
       "line 4: \"1e39\": beyond the float range, dropped\n"
       "line 5: \"100\": repeats line 1, dropped\n"
       "line 6: \"9.94\": within 0.5 % of no E3 to E192 value\n"
       "line 8: \"4.7\": two decimals write it like line 7, dropped\n"
       "5 values, 5 lines dropped, 0 lines refused, 1 value outside the E-series.\n"
       "A rewrite would change the file: values ascending, two decimals, CR LF, no blank lines.\n"},
      {"-5\r\n10.00\r\n", kExitFailure,
       "line 1: \"-5\": negative: a rewrite keeps it, find and divider leave it out\n"
       "2 values, 0 lines dropped, 0 lines refused, 0 values outside the E-series.\n"
       "A rewrite would change the file: values ascending, two decimals, CR LF, no blank lines.\n"},
      {"10\r\n4k7\r\n0.001\r\n", kExitFailure,
       "line 2: \"4k7\": read as 4 where resistor notation means 4700, refused\n"
       "line 3: \"0.001\": two decimals write it as 0.00, refused\n"
       "3 values, 0 lines dropped, 2 lines refused, 0 values outside the E-series.\n"
       "A rewrite would be refused: line 2 \"4k7\" would be read as 4. Write the value in plain "
       "digits (4700) and try again.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    SetFile(c.content);
    EXPECT_EQ(Run({"check"}), c.status);
    EXPECT_EQ(out.str(), c.output);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(File(), c.content);
  }
  EXPECT_EQ(files.replaceCalls, 0);
  files.files.clear();
  EXPECT_EQ(Run({"check"}), kExitFailure);
  EXPECT_EQ(err.str(), MissingLibraryErr());
}

// check --series S against a plain walk over S's values in every decade: S's own values are never
// noted, and of random values exactly those that no S value lies within 0.5 % of, each once.
TEST_F(CliTest, CheckSeriesNotesExactlyTheValuesOffThatSeries) {
  std::mt19937 random(60063);
  std::uniform_real_distribution<double> exponent(-1, 7);
  for (const ESeries& series : StandardSeries()) {
    SCOPED_TRACE(series.name);
    const double scale = series.mantissas.front() < 100 ? 10 : 100;
    std::vector<double> standard;
    for (int decade = -2; decade <= 8; ++decade) {
      for (int m : series.mantissas) standard.push_back(m / scale * std::pow(10.0, decade));
    }
    std::string library;
    int line = 0;
    std::set<float> seen;
    std::set<int> offSeries;
    const auto add = [&](const std::string& text) {
      library += text + "\r\n";
      ++line;
      const float value = RoundToFloat(ParseAtof(text));
      const bool near = std::any_of(standard.begin(), standard.end(),
                                    [&](double s) { return std::abs(value - s) <= 0.005 * s; });
      if (seen.insert(value).second && !near) offSeries.insert(line);
    };
    for (const double decade : {1.0, 1000.0}) {
      for (int m : series.mantissas) add(PlainDigits(m / scale * decade));
    }
    EXPECT_TRUE(offSeries.empty());
    for (int i = 0; i < 200; ++i) {
      char text[32];
      const double value = std::pow(10.0, exponent(random));
      *std::to_chars(text, text + sizeof text - 1, value, std::chars_format::general, 4).ptr = 0;
      add(text);
    }
    EXPECT_GT(offSeries.size(), 20u);
    SetFile(library);
    EXPECT_EQ(Run({"check", "--series", std::string(series.name)}), kExitFailure);
    const std::string noted = "\": within 0.5 % of no " + std::string(series.name) + " value";
    std::set<int> lines;
    std::istringstream output(out.str());
    for (std::string text; std::getline(output, text);) {
      if (text.ends_with(noted)) lines.insert(std::stoi(text.substr(5)));
    }
    EXPECT_EQ(lines, offSeries);
    // Appended one by one: GCC 12 at -O3 takes "x" + std::string&& for an overlapping copy.
    std::string summary = " ";
    summary.append(std::to_string(offSeries.size())).append(" values outside ");
    summary.append(series.name).append(".\n");
    EXPECT_THAT(out.str(), HasSubstr(summary));
    // Named in lower case, as the series command takes it, the same series.
    const std::string named = out.str();
    std::string lower(series.name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Run({"check", "--series", lower}), kExitFailure);
    EXPECT_EQ(out.str(), named);
  }
  EXPECT_EQ(Run({"check", "--series", "E25"}), kExitUsage);
  EXPECT_THAT(err.str(), HasSubstr("--series must be E3, E6, E12, E24, E48, E96 or E192"));
}

// A long file is read no further than the reader reads, whatever its size.
class LongLibraryTest : public CliTest {
 protected:
  void SetUp() override {
    std::string content;
    while (content.size() < kSize) content += "10.00\r\n";
    content.resize(kSize);
    SetFile(content);
  }
  void ExpectBoundedReads() {
    ASSERT_FALSE(files.readSizes.empty());
    for (std::size_t size : files.readSizes) EXPECT_LE(size, kLibraryReadLimit + 1);
    EXPECT_LE(files.readSizes.size(), 2u);
  }
  static constexpr std::size_t kSize = 1 << 20;
};

TEST_F(LongLibraryTest, CheckSaysTheFileGoesOnWithItsSize) {
  EXPECT_EQ(Run({"check"}), kExitFailure);
  EXPECT_THAT(out.str(), HasSubstr("ResistorLibrary.txt goes on past 10240 bytes: it holds " +
                                   std::to_string(kSize) +
                                   " bytes, and only the first 10240 "
                                   "are read.\n"));
  ExpectBoundedReads();
}

// A file whose size is below what it holds (/proc says 0, sysfs 4096, a file that grew says
// less) is read to its end, and check tells every byte read, no more and no fewer.
TEST_F(CliTest, CheckCountsTheBytesOfAFileLongerThanItsSize) {
  const std::size_t chunk = 1 << 16;
  const struct {
    std::size_t length;
    std::int64_t reported;
  } cases[] = {
      {kLibraryReadLimit + 1, 0},     {kLibraryReadLimit + 1, 10240},
      {kLibraryReadLimit + 2, 0},     {kLibraryReadLimit + 1 + chunk, 0},
      {kLibraryReadLimit + chunk, 0}, {300000, 4096},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    SetFile(std::string(c.length, '\n'));
    files.reportedSize = c.reported;
    EXPECT_EQ(Run({"check"}), kExitFailure);
    EXPECT_THAT(out.str(), HasSubstr(": it holds " + std::to_string(c.length) + " bytes, "));
  }
}

TEST_F(LongLibraryTest, DigestCoversWhatTheReaderTakesAndTheSizeTellsTheRest) {
  EXPECT_EQ(Run({"calc", "10", "1", "--format", "json"}), kExitOk);
  const std::string document = out.str();
  EXPECT_THAT(document, HasSubstr("\"library_bytes\": " + std::to_string(kSize) + ",\n"));
  ExpectBoundedReads();
  SetFile(File() + "junk past the limit");
  EXPECT_EQ(Run({"calc", "10", "1", "--format", "json"}), kExitOk);
  const std::regex digest("\"library_sha256\": \"[0-9a-f]{64}\"");
  std::smatch before;
  std::smatch after;
  const std::string again = out.str();
  ASSERT_TRUE(std::regex_search(document, before, digest));
  ASSERT_TRUE(std::regex_search(again, after, digest));
  EXPECT_EQ(before.str(), after.str());
}

}  // namespace
}  // namespace vantrel
