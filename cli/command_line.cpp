#include "command_line.h"

#include <algorithm>

#include "number_text.h"

namespace vantrel {
namespace {

constexpr std::string_view kHelpOption = "--help";
constexpr std::size_t kUsageWidth = 79;

std::string ChoiceList(const std::vector<std::string_view>& choices) {
  std::string list;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) list += i + 1 == choices.size() ? " or " : ", ";
    list += choices[i];
  }
  return list;
}

const OptionSpec* FindOption(const CommandSpec& command, std::string_view name) {
  for (const OptionSpec& option : command.options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

std::size_t RequiredOperands(const CommandSpec& command) {
  return static_cast<std::size_t>(
      std::count_if(command.operands.begin(), command.operands.end(),
                    [](const OperandSpec& operand) { return !operand.optional; }));
}

}  // namespace

const std::string* ParsedArgs::Value(std::string_view option) const {
  const auto found = std::find_if(options.rbegin(), options.rend(),
                                  [&](const auto& given) { return given.first == option; });
  return found == options.rend() ? nullptr : &found->second;
}

ParsedArgs ParseArgs(const CommandSpec& command, std::span<const std::string> words) {
  const std::string name(command.name);
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || !word.starts_with("--")) {
      parsed.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string_view optionName = std::string_view(word).substr(0, equals);
    if (optionName == kHelpOption) {
      parsed.help = true;
      return parsed;
    }
    const OptionSpec* option = FindOption(command, optionName);
    if (!option) throw UsageError{name + ": unknown option " + Quoted(optionName), name};
    std::string value;
    if (option->valueName.empty()) {
      if (equals != std::string::npos) {
        throw UsageError{name + ": " + std::string(optionName) + " takes no value", name};
      }
    } else if (equals != std::string::npos) {
      value = word.substr(equals + 1);
    } else if (i + 1 < words.size()) {
      value = words[++i];
    } else {
      throw UsageError{name + ": " + std::string(optionName) + " needs a value " +
                           std::string(option->valueName),
                       name};
    }
    if (!option->choices.empty() &&
        (option->accepts ? !option->accepts(value)
                         : std::find(option->choices.begin(), option->choices.end(), value) ==
                               option->choices.end())) {
      throw UsageError{name + ": " + std::string(optionName) + " must be " +
                           ChoiceList(option->choices) + ", not " + Quoted(value),
                       name};
    }
    parsed.options.emplace_back(optionName, std::move(value));
  }
  if (parsed.operands.size() > command.operands.size() &&
      (command.operands.empty() || !command.operands.back().repeats)) {
    const std::string& stray = parsed.operands[command.operands.size()];
    std::string what = name + ": unexpected argument " + Quoted(stray);
    if (!command.strayHint.empty()) {
      what += "; give it to " + std::string(command.strayHint) + ", as in " +
              std::string(command.strayHint.substr(0, command.strayHint.find(' '))) + " " + stray;
    }
    throw UsageError{what, name};
  }
  if (parsed.operands.size() < RequiredOperands(command)) {
    throw UsageError{
        name + ": missing " + std::string(command.operands[parsed.operands.size()].name), name};
  }
  return parsed;
}

std::string Enclosed(char open, std::string_view text, char close) {
  std::string enclosed(1, open);
  enclosed += text;
  return enclosed += close;
}

std::string OptionAndValue(const OptionSpec& option) {
  std::string shown(option.name);
  if (!option.valueName.empty()) (shown += ' ') += option.valueName;
  return shown;
}

std::string Usage(const CommandSpec& command, std::string_view prefix) {
  std::vector<std::string> words;
  for (const OperandSpec& operand : command.operands) {
    const std::string name = std::string(operand.name) + (operand.repeats ? "..." : "");
    words.push_back(operand.optional ? Enclosed('[', name, ']') : name);
  }
  for (const OptionSpec& option : command.options)
    words.push_back(option.required ? OptionAndValue(option)
                                    : Enclosed('[', OptionAndValue(option), ']'));
  std::string text = std::string(prefix) + "vantrel-cli [-C DIR] " + std::string(command.name);
  const std::size_t indent = text.size() + 1;
  std::size_t lineStart = 0;
  for (const std::string& word : words) {
    if (text.size() - lineStart + 1 + word.size() > kUsageWidth) {
      text += '\n';
      lineStart = text.size();
      text += std::string(indent - 1, ' ');
    }
    text += ' ' + word;
  }
  return text + '\n';
}

std::string CommandHelp(const CommandSpec& command) {
  std::string help = Usage(command, "usage: ") + '\n' + std::string(command.details);
  std::vector<std::string> names;
  std::size_t width = kHelpOption.size();
  for (const OptionSpec& option : command.options) {
    std::string shown = OptionAndValue(option);
    width = std::max(width, shown.size());
    names.push_back(std::move(shown));
  }
  help += "\nOptions:\n";
  for (std::size_t i = 0; i < names.size(); ++i) {
    help += "  " + names[i] + std::string(width + 2 - names[i].size(), ' ') +
            std::string(command.options[i].help) + '\n';
  }
  help += "  " + std::string(kHelpOption) + std::string(width + 2 - kHelpOption.size(), ' ') +
          "Show this help.\n";
  return help;
}

}  // namespace vantrel
