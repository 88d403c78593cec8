#include "completion.h"

#include <algorithm>

namespace vantrel {
namespace {

std::string Joined(const std::vector<std::string_view>& words) {
  std::string joined;
  for (std::string_view word : words) {
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  return joined;
}

// Text inside single quotes, for bash and zsh.
std::string ShellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The text with a backslash before each character of special.
std::string BackslashEscaped(std::string_view text, std::string_view special) {
  std::string escaped;
  for (char c : text) {
    if (special.find(c) != std::string_view::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// Text inside single quotes for fish, which escapes with backslashes.
std::string FishQuoted(std::string_view text) {
  return Enclosed('\'', BackslashEscaped(text, "'\\"), '\'');
}

// A description inside zsh's _arguments brackets.
std::string ZshDescription(std::string_view text) {
  return BackslashEscaped(text, "[]:\\");
}

// A command whose operands name files to read, as import's FILE does.
bool TakesFiles(const CommandSpec& command) {
  return std::any_of(command.operands.begin(), command.operands.end(),
                     [](const OperandSpec& operand) { return operand.name == "FILE"; });
}

std::vector<std::string_view> OperandChoices(const CommandSpec& command) {
  std::vector<std::string_view> choices;
  for (const OperandSpec& operand : command.operands) {
    choices.insert(choices.end(), operand.choices.begin(), operand.choices.end());
  }
  return choices;
}

// bash: options after a word starting with "-", operand choices otherwise, option values
// after their option (also after "--opt=", which bash splits at the "=").
std::string BashScript(const std::vector<OptionSpec>& program,
                       const std::vector<const CommandSpec*>& commands) {
  std::string script =
      "# bash completion for vantrel-cli, made by `vantrel-cli completion bash`.\n"
      "_vantrel_cli() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
      "  if [[ $cur == = ]]; then\n"
      "    cur=\n"
      "  elif [[ $prev == = ]]; then\n"
      "    prev=${COMP_WORDS[COMP_CWORD - 2]}\n"
      "  fi\n"
      "  local i command=\n"
      "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      "    case ${COMP_WORDS[i]} in\n"
      "      -C) i=$((i + 1)) ;;\n"
      "      -*) ;;\n"
      "      *)\n"
      "        command=${COMP_WORDS[i]}\n"
      "        break\n"
      "        ;;\n"
      "    esac\n"
      "  done\n"
      "  local words files=\n"
      "  case $command in\n";
  auto addCase = [&script](std::string_view name, const std::vector<OptionSpec>& options,
                           std::vector<std::string_view> words, bool files) {
    script += "    " + (name.empty() ? std::string("\"\"") : std::string(name)) + ")\n";
    std::string values;
    for (const OptionSpec& option : options) {
      if (option.valueName.empty()) continue;
      std::string reply =
          option.valueName == "DIR"    ? "COMPREPLY=($(compgen -d -- \"$cur\"))"
          : option.valueName == "FILE" ? "COMPREPLY=($(compgen -f -- \"$cur\"))"
          : option.choices.empty()
              ? "COMPREPLY=()"
              : "COMPREPLY=($(compgen -W " + ShellQuoted(Joined(option.choices)) + " -- \"$cur\"))";
      values += "        " + std::string(option.name) + ")\n          " + reply +
                "\n          return\n          ;;\n";
    }
    if (!values.empty()) script += "      case $prev in\n" + values + "      esac\n";
    for (const OptionSpec& option : options) words.push_back(option.name);
    script += "      words=" + ShellQuoted(Joined(words)) + "\n";
    if (files) script += "      files=1\n";
    script += "      ;;\n";
  };
  std::vector<std::string_view> names;
  for (const CommandSpec* command : commands) names.push_back(command->name);
  addCase("", program, names, false);
  for (const CommandSpec* command : commands) {
    std::vector<OptionSpec> options = command->options;
    options.emplace_back("--help", "", "");
    addCase(command->name, options, OperandChoices(*command), TakesFiles(*command));
  }
  script +=
      "  esac\n"
      "  if [[ -n $files && $cur != -* ]]; then\n"
      "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
      "    return\n"
      "  fi\n"
      "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
      "}\n"
      "complete -F _vantrel_cli vantrel-cli\n";
  return script;
}

std::string ZshOption(const OptionSpec& option, bool exclusive) {
  std::string spec = exclusive ? "(- *)" : "";
  spec += std::string(option.name);
  if (!option.valueName.empty() && option.name.starts_with("--")) spec += "=";
  spec += Enclosed('[', ZshDescription(option.help), ']');
  if (!option.valueName.empty()) {
    spec += Enclosed(':', option.valueName, ':');
    if (option.valueName == "DIR") {
      spec += "_files -/";
    } else if (option.valueName == "FILE") {
      spec += "_files";
    } else if (!option.choices.empty()) {
      spec += Enclosed('(', Joined(option.choices), ')');
    } else {
      spec += " ";
    }
  }
  return ShellQuoted(spec);
}

std::string ZshScript(const std::vector<OptionSpec>& program,
                      const std::vector<const CommandSpec*>& commands) {
  std::string script =
      "#compdef vantrel-cli\n"
      "# zsh completion for vantrel-cli, made by `vantrel-cli completion zsh`.\n"
      "_vantrel-cli() {\n"
      "  local curcontext=$curcontext state line\n"
      "  local -a commands\n"
      "  commands=(\n";
  for (const CommandSpec* command : commands) {
    script += "    " +
              ShellQuoted(std::string(command->name) + ":" + std::string(command->summary)) + "\n";
  }
  script += "  )\n  _arguments -C";
  for (const OptionSpec& option : program) {
    script += " \\\n    " + ZshOption(option, option.valueName.empty());
  }
  script +=
      " \\\n    '1:command:->command' \\\n    '*::argument:->argument'\n"
      "  case $state in\n"
      "    command) _describe -t commands command commands ;;\n"
      "    argument)\n"
      "      case $words[1] in\n";
  for (const CommandSpec* command : commands) {
    script += "        " + std::string(command->name) + ")\n          _arguments";
    for (const OptionSpec& option : command->options) {
      script += " \\\n            " + ZshOption(option, false);
    }
    script += " \\\n            '--help[Show this help.]'";
    for (std::size_t i = 0; i < command->operands.size(); ++i) {
      const OperandSpec& operand = command->operands[i];
      if (operand.repeats) {
        script += " \\\n            '*:" + std::string(operand.name) + ":" +
                  (TakesFiles(*command) ? "_files" : " ") + "'";
        continue;
      }
      script += " \\\n            '" + std::to_string(i + 1) + (operand.optional ? "::" : ":") +
                std::string(operand.name) + ":" +
                (operand.choices.empty() ? " " : Enclosed('(', Joined(operand.choices), ')')) + "'";
    }
    script += "\n          ;;\n";
  }
  script +=
      "      esac\n"
      "      ;;\n"
      "  esac\n"
      "}\n"
      "# Autoloaded from fpath, the file is the completion function's body; sourced, it\n"
      "# registers the function instead, as _arguments works only inside completion.\n"
      "if [[ $funcstack[1] == _vantrel-cli ]]; then\n"
      "  _vantrel-cli \"$@\"\n"
      "else\n"
      "  compdef _vantrel-cli vantrel-cli\n"
      "fi\n";
  return script;
}

std::string FishOption(const OptionSpec& option) {
  std::string spec = option.name.starts_with("--") ? " -l " + std::string(option.name.substr(2))
                                                   : " -s " + std::string(option.name.substr(1));
  if (option.valueName == "DIR") {
    spec += " -x -a '(__fish_complete_directories)'";
  } else if (option.valueName == "FILE") {
    spec += " -r -F";
  } else if (!option.valueName.empty()) {
    spec += " -x";
    if (!option.choices.empty()) spec += " -a " + FishQuoted(Joined(option.choices));
  }
  return spec + " -d " + FishQuoted(option.help);
}

std::string FishScript(const std::vector<OptionSpec>& program,
                       const std::vector<const CommandSpec*>& commands) {
  std::string script =
      "# fish completion for vantrel-cli, made by `vantrel-cli completion fish`.\n"
      "function __vantrel_cli_command\n"
      "    set -l words (commandline -opc)\n"
      "    set -e words[1]\n"
      "    while set -q words[1]\n"
      "        switch $words[1]\n"
      "            case -C\n"
      "                set -e words[1]\n"
      "            case '-*'\n"
      "            case '*'\n"
      "                echo $words[1]\n"
      "                return\n"
      "        end\n"
      "        set -e words[1]\n"
      "    end\n"
      "end\n"
      "function __vantrel_cli_in\n"
      "    set -l command (__vantrel_cli_command)\n"
      "    test \"$command\" = \"$argv[1]\"\n"
      "end\n"
      "complete -c vantrel-cli -f\n";
  const std::string top = "complete -c vantrel-cli -n '__vantrel_cli_in \"\"'";
  for (const OptionSpec& option : program) script += top + FishOption(option) + "\n";
  for (const CommandSpec* command : commands) {
    script +=
        top + " -a " + std::string(command->name) + " -d " + FishQuoted(command->summary) + "\n";
  }
  for (const CommandSpec* command : commands) {
    const std::string in =
        "complete -c vantrel-cli -n '__vantrel_cli_in " + std::string(command->name) + "'";
    for (const OptionSpec& option : command->options) script += in + FishOption(option) + "\n";
    script += in + " -l help -d 'Show this help.'\n";
    if (const auto choices = OperandChoices(*command); !choices.empty()) {
      script += in + " -a " + FishQuoted(Joined(choices)) + "\n";
    }
    if (TakesFiles(*command)) script += in + " -F\n";
  }
  return script;
}

}  // namespace

const std::vector<std::string_view>& CompletionShells() {
  static const std::vector<std::string_view> shells = {"bash", "zsh", "fish"};
  return shells;
}

std::string CompletionScript(std::string_view shell, const std::vector<OptionSpec>& program,
                             const std::vector<const CommandSpec*>& commands) {
  if (shell == "bash") return BashScript(program, commands);
  if (shell == "zsh") return ZshScript(program, commands);
  return FishScript(program, commands);
}

}  // namespace vantrel
