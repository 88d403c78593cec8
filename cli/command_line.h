#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

// A wrong command line. command names the command whose usage fits, or is empty for the
// program's usage.
struct UsageError {
  std::string what;
  std::string command;
};

struct OptionSpec {
  OptionSpec(std::string_view name_, std::string_view valueName_, std::string_view help_,
             std::vector<std::string_view> choices_ = {},
             bool (*accepts_)(std::string_view) = nullptr)
      : name(name_),
        valueName(valueName_),
        help(help_),
        choices(std::move(choices_)),
        accepts(accepts_) {}

  std::string_view name;       // "--rows"
  std::string_view valueName;  // "N"; empty for a flag
  std::string_view help;
  std::vector<std::string_view> choices;  // the only values allowed, when not empty
  // Decides instead of an exact match which values name a choice, for choices that take
  // other spellings too (series names in either case).
  bool (*accepts)(std::string_view);
  bool required = false;  // the command refuses to run without it; shown without brackets
};

struct OperandSpec {
  OperandSpec(std::string_view name_, bool optional_ = false,
              std::vector<std::string_view> choices_ = {}, bool repeats_ = false)
      : name(name_), optional(optional_), choices(std::move(choices_)), repeats(repeats_) {}

  std::string_view name;  // "TARGET"
  bool optional;
  std::vector<std::string_view> choices;  // offered by the shell completions
  bool repeats;  // the last operand only: it takes every word left ("FILE...")
};

// One command of vantrel-cli. The help, the usage errors, the shell completions and a test
// of the manual page all read this description.
struct CommandSpec {
  std::string_view name;
  std::string_view summary;  // one line
  std::string_view details;  // the help's paragraph, lines of at most 78 columns
  std::vector<OperandSpec> operands;
  std::vector<OptionSpec> options;
  // Where a word with no operand left for it most likely belongs ("--corner or --tau").
  std::string_view strayHint = {};
};

// What a command's words say: its operands and the options given, in order; a flag's value
// is empty.
struct ParsedArgs {
  std::vector<std::string> operands;
  std::vector<std::pair<std::string, std::string>> options;
  bool help = false;  // --help was given; nothing else was checked

  bool Has(std::string_view option) const { return Value(option) != nullptr; }
  // The value given last.
  const std::string* Value(std::string_view option) const;
};

// Splits the words after the command name. A word starting with "--" is an option, with its
// value after "=" or in the next word; "--" ends the options; every other word, "-1" too, is
// an operand. Throws UsageError naming what is wrong.
ParsedArgs ParseArgs(const CommandSpec& command, std::span<const std::string> words);

// prefix, then "vantrel-cli [-C DIR] calc TARGET PRECISION [--rows N] ..." wrapped at 79
// columns with the lines after the first indented under the first operand, and a line end.
std::string Usage(const CommandSpec& command, std::string_view prefix);

// open, text, close. Text is appended to the piece before it rather than the other way round:
// a literal put before a temporary string makes GCC 12 warn (-Wrestrict) at -O3.
std::string Enclosed(char open, std::string_view text, char close);

// The option as help shows it: its name, and the name of its value if it takes one.
std::string OptionAndValue(const OptionSpec& option);

// The usage line, the details and the options of one command.
std::string CommandHelp(const CommandSpec& command);

}  // namespace vantrel
