#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "editor_launch.h"
#include "rewrite_messages.h"
#include "services.h"

namespace vantrel {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What a command works with.
struct CliContext {
  Services& services;
  IEditorLauncher& editor;
  std::ostream& out;
  std::ostream& err;
  int outFd = -1;  // out's file descriptor when out is the process's standard output
};

struct CliCommand {
  CommandSpec spec;
  int (*run)(const ParsedArgs& args, CliContext& context);
};

// Every command, in the order the help lists them.
const std::vector<CliCommand>& CliCommands();

// --format FORMAT, for the commands that list results.
OptionSpec FormatOption();

// --inventory, for the searches that may draw on Inventory.csv instead of a library.
OptionSpec InventoryOption();

// The options that come before the command.
const std::vector<OptionSpec>& ProgramOptions();

// Runs vantrel-cli with args (program name excluded), writing results to out and messages and
// errors to err; returns the exit status. The working directory changes with -C.
int RunCli(const std::vector<std::string>& args, Services& services, std::ostream& out,
           std::ostream& err);

// As above, with edit starting its editor through editor instead of the terminal launcher on
// the process environment.
int RunCli(const std::vector<std::string>& args, Services& services, IEditorLauncher& editor,
           std::ostream& out, std::ostream& err);

}  // namespace vantrel
