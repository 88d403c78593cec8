#include "board_command.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board_choice.h"
#include "board_lines.h"
#include "command_args.h"
#include "number_text.h"
#include "output_table.h"
#include "text_columns.h"
#include "value_edit.h"

namespace vantrel {
namespace {

using board_lines::Circuit;
using board_lines::Gathered;
using board_lines::Line;
using board_lines::Settings;
using board_lines::ValueInfo;

// The one row of a circuit as its command prints it in text: the header line and the row.
std::string RowText(const Circuit& circuit, std::size_t pick) {
  std::ostringstream text;
  const auto forEach = [&](const auto& take) { take(pick); };
  WriteTable(
      forEach, circuit.target, [&](std::size_t j) { return circuit.shown[j]; },
      TextColumns(circuit.columns), text);
  return text.str();
}

// The row's own json object, as the command writes it.
std::string RowJson(const Circuit& circuit, std::size_t pick) {
  const std::string json = WriteFormatted(OutputFormat::kJson, {},
                                          OutputTable{circuit.columnNames, {circuit.fields[pick]}});
  const std::size_t from = json.find('{', json.find("\"rows\""));
  const std::size_t to = json.rfind('}', json.rfind(']'));
  return json.substr(from, to + 1 - from);
}

// The row's fields as name=value pairs, for one cell of tsv and csv.
std::string RowPairs(const Circuit& circuit, std::size_t pick) {
  const std::string tsv = WriteFormatted(OutputFormat::kTsv, {},
                                         OutputTable{circuit.columnNames, {circuit.fields[pick]}});
  const std::string line = tsv.substr(tsv.find('\n') + 1);
  std::vector<std::string> cells;
  std::size_t at = 0;
  for (std::size_t tab; (tab = line.find_first_of("\t\n", at)) != std::string::npos; at = tab + 1) {
    cells.push_back(line.substr(at, tab - at));
  }
  std::string pairs;
  for (std::size_t c = 0; c < cells.size() && c < circuit.columnNames.size(); ++c) {
    pairs += (c ? "; " : "") + circuit.columnNames[c] + "=" + cells[c];
  }
  return pairs;
}

std::string ItemName(const Gathered& gathered, const board::Item& item) {
  const auto& info = gathered.values.at(item.value);
  std::string text = info.kind + " " + info.name;
  if (const auto at = gathered.classes.find(item); at != gathered.classes.end()) {
    if (!at->second.empty()) text += " (" + at->second + ")";
  }
  return text;
}

// The chosen values into the schematic's Value fields of the circuits whose names list their
// parts' references in leg order, one part a leg; the others are named. Said on to; false when
// the changes are refused or a write fails, with nothing written then.
bool WriteSchematic(const Gathered& gathered, const std::vector<std::size_t>& picks,
                    const Settings& settings, const kicad::Schematic& schematic,
                    CliContext& context, std::ostream& to) {
  std::set<std::string> references;
  for (const kicad::PlacedSymbol& symbol : schematic.symbols) references.insert(symbol.reference);
  std::vector<kicad::ValueChange> changes;
  for (std::size_t c = 0; c < gathered.circuits.size(); ++c) {
    const Circuit& circuit = gathered.circuits[c];
    const auto& legs = circuit.legs[picks[c]];
    std::vector<std::string> named;
    for (std::size_t at = 0;;) {
      const std::size_t comma = circuit.line.name.find(',', at);
      named.push_back(circuit.line.name.substr(at, comma - at));
      if (comma == std::string::npos) break;
      at = comma + 1;
    }
    std::string why;
    if (named.size() != legs.size()) {
      why = "its name lists " + CountText(named.size(), "reference") + " for " +
            CountText(legs.size(), "leg");
    }
    for (std::size_t leg = 0; why.empty() && leg < legs.size(); ++leg) {
      if (legs[leg].size() != 1) {
        why = "leg " + std::to_string(leg + 1) + " is " + CountText(legs[leg].size(), "part");
      } else if (!references.contains(named[leg])) {
        why = "no symbol " + named[leg] + " in " + *settings.schematic;
      }
    }
    if (!why.empty()) {
      to << "not written: " << circuit.line.name << ": " << why << '\n';
      continue;
    }
    for (std::size_t leg = 0; leg < legs.size(); ++leg)
      changes.push_back({named[leg], legs[leg][0]});
  }
  const kicad::ValueEditPlan plan = kicad::PlanValueEdits(schematic, changes);
  if (!plan.refusal.empty()) {
    context.err << "vantrel-cli: board: --schematic " << plan.refusal << "; nothing written\n";
    return false;
  }
  if (settings.write) {
    if (const std::string left = kicad::WriteValueEdits(context.services.files, schematic, plan);
        !left.empty()) {
      context.err << "vantrel-cli: board: --schematic " << left << '\n';
      return false;
    }
  }
  for (const kicad::ValueChange& change : changes) {
    for (const kicad::PlacedSymbol& symbol : schematic.symbols) {
      if (symbol.reference != change.reference) continue;
      to << (settings.write ? "wrote " : "would write ") << change.reference << " = "
         << change.value << " (was " << symbol.value << ") in "
         << schematic.files[symbol.file]->path << '\n';
      break;
    }
  }
  return true;
}

}  // namespace

CommandSpec BoardCommandSpec() {
  return {"board",
          "Choose one row per circuit of a board, for the fewest values.",
          "FILE lists a board's circuits, one a line: a name, then the search as typed\n"
          "after vantrel-cli (find, divider, regulator, gain, led or rc with its own\n"
          "options); # starts a comment. Each circuit's candidates are the best K rows of\n"
          "its own list; a value counts once however many searches take it (the 100n of\n"
          "an rc and of a find --capacitors are one). One of each is chosen so that,\n"
          "with --inventory, the drawer holds the parts of every circuit at once; then the\n"
          "board takes the fewest distinct values (with --prefer, values already on that\n"
          "board are free), then the fewest parts, then the best ranks. The choice is\n"
          "exact: the answer says optimal, or when --time-limit runs out, the best found\n"
          "and the bound proved.\n"
          "Exits 1 when a circuit has no row, or the drawer cannot cover them all.\n",
          {{"FILE"}},
          {{"--candidates", "K", "Take each circuit's best K rows (default 500)."},
           {"--time-limit", "S", "Stop the choice after S seconds of CPU (default 10)."},
           InventoryOption(),
           {"--prefer", "BOM", "Count the values already on this board as free."},
           FormatOption(),
           {"--schematic", "S", "Put the chosen values into KiCad schematic S."},
           {"--write", "", "Write them; else say what would change."}}};
}

namespace {

// The board of args: its settings, each line's candidates, and the choice's input. nullopt after
// a message on context.err.
struct Read {
  Settings settings;
  Gathered gathered;
  board::ChoiceInput input;
  std::optional<kicad::Schematic> schematic;
};

std::optional<Read> ReadBoard(const ParsedArgs& args, CliContext& context) {
  const std::string& file = args.operands[0];
  Read read;
  Settings& settings = read.settings;
  if (const std::string* candidates = args.Value("--candidates")) {
    settings.candidates = Require(finder::CheckCount("--candidates", *candidates, 1, 100000));
  }
  double timeLimit = 10;
  if (const std::string* limit = args.Value("--time-limit")) {
    const double seconds = ParseAtof(*limit);
    if (!(seconds > 0) || seconds > 1e6) {
      throw ArgumentError{"--time-limit " + Quoted(*limit) + " is no number of seconds above 0"};
    }
    timeLimit = seconds;
  }
  settings.inventory = args.Has("--inventory");
  if (const std::string* prefer = args.Value("--prefer")) settings.prefer = *prefer;
  if (const std::string* schematic = args.Value("--schematic")) settings.schematic = *schematic;
  settings.write = args.Has("--write");
  if (settings.write && !settings.schematic) throw ArgumentError{"--write needs --schematic"};
  // The schematic is read first, so that one that cannot be read costs no search.
  if (settings.schematic) {
    read.schematic = kicad::ReadSchematic(context.services.files, *settings.schematic);
    if (!read.schematic->refusal.empty()) {
      context.err << "vantrel-cli: board: --schematic " << read.schematic->refusal << '\n';
      return std::nullopt;
    }
  }

  const std::unique_ptr<IReadableFile> opened = context.services.files.OpenForRead(file);
  if (!opened) {
    context.err << "vantrel-cli: board: cannot read " << Quoted(file) << ": "
                << context.services.files.LastFailure() << '\n';
    return std::nullopt;
  }
  const std::string text = opened->Read(board_lines::kMostFileBytes);
  opened->Close();
  const std::vector<Line> lines = board_lines::ReadLines(file, text);
  if (lines.empty()) throw UsageError{"board: " + file + " names no circuit", "board"};

  Gathered& gathered = read.gathered;
  for (const Line& line : lines) {
    if (!board_lines::Gather(file, line, settings, context, gathered)) return std::nullopt;
  }
  bool missing = false;
  for (const Circuit& circuit : gathered.circuits) {
    if (!circuit.candidates.empty()) continue;
    context.err << "vantrel-cli: board: " << circuit.line.name << " (" << circuit.line.command
                << "): " << circuit.noRowNote << '\n';
    missing = true;
  }
  if (missing) return std::nullopt;

  board::ChoiceInput& input = read.input;
  for (const Circuit& circuit : gathered.circuits) input.circuits.push_back(circuit.candidates);
  if (settings.inventory) input.drawer = gathered.drawer;
  input.free = gathered.free;
  input.timeLimit = timeLimit;
  return read;
}

}  // namespace

std::optional<board::ChoiceInput> BoardChoiceInput(const ParsedArgs& args, CliContext& context) {
  std::optional<Read> read = ReadBoard(args, context);
  if (!read) return std::nullopt;
  return std::move(read->input);
}

int RunBoard(const ParsedArgs& args, CliContext& context) {
  const std::string& file = args.operands[0];
  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  std::optional<Read> read = ReadBoard(args, context);
  if (!read) return kExitFailure;
  const Settings& settings = read->settings;
  const Gathered& gathered = read->gathered;
  const board::ChoiceInput& input = read->input;
  const double timeLimit = input.timeLimit;
  const board::Choice choice = board::ChooseBoard(input);
  const auto schematicWritten = [&](std::ostream& to) {
    return !read->schematic ||
           WriteSchematic(gathered, choice.picks, settings, *read->schematic, context, to);
  };
  if (choice.status == board::ChoiceStatus::kNoChoice) {
    context.err << "vantrel-cli: board: the drawer cannot hold every circuit's parts at once; "
                   "short of:";
    for (const board::Item& item : choice.shortItems)
      context.err << ' ' << ItemName(gathered, item) << ';';
    context.err << '\n';
    return kExitFailure;
  }
  if (choice.status == board::ChoiceStatus::kNoneFound) {
    context.err << "vantrel-cli: board: no choice found within " << PlainDigits(timeLimit)
                << " s; none has fewer than " << choice.bound << " new values\n";
    return kExitFailure;
  }

  std::set<board::Value> firstRows;
  for (const Circuit& circuit : gathered.circuits) {
    for (const board::Item& part : circuit.candidates.front().parts) firstRows.insert(part.value);
  }
  // The board's values, with the classes drawn.
  std::map<board::Value, std::int64_t> counts;
  std::map<board::Value, std::map<int, std::int64_t>> drawn;
  for (std::size_t c = 0; c < gathered.circuits.size(); ++c) {
    for (const board::Item& part : gathered.circuits[c].candidates[choice.picks[c]].parts) {
      ++counts[part.value];
      ++drawn[part.value][part.cls];
    }
  }
  const auto usesOf = [&](const board::Value& value) {
    std::string uses;
    for (const auto& [cls, count] : drawn[value]) {
      const board::Item item{value, cls};
      uses += (uses.empty() ? "" : ", ") + std::to_string(count) + " × " +
              gathered.values.at(value).name;
      if (const auto at = gathered.classes.find(item); at != gathered.classes.end()) {
        if (!at->second.empty()) uses += " (" + at->second + ")";
      }
    }
    return uses;
  };
  const bool optimal = choice.status == board::ChoiceStatus::kOptimal;
  const std::string noun = settings.prefer ? " new values" : " values";
  std::string summary = std::to_string(choice.distinct) + " distinct values";
  if (settings.prefer) summary += " (" + std::to_string(choice.newValues) + " new to the board)";
  summary += ", " + std::to_string(choice.parts) +
             " parts; each circuit's first row alone would need " +
             std::to_string(firstRows.size()) + "; ";
  const std::string found = "the best found in " + PlainDigits(timeLimit) + " s";
  if (optimal) {
    summary += "optimal";
  } else if (choice.bound >= choice.newValues) {
    summary += "the fewest" + noun + ", proved; the parts and ranks " + found;
  } else {
    summary += found + ": no choice has fewer than " + std::to_string(choice.bound) + noun;
  }

  if (format == OutputFormat::kJson) {
    std::string json =
        "{\n  \"command\": \"board\",\n  \"file\": " + JsonString(file) + ",\n  \"circuits\": [\n";
    for (std::size_t c = 0; c < gathered.circuits.size(); ++c) {
      const Circuit& circuit = gathered.circuits[c];
      json += "    {\"name\": " + JsonString(circuit.line.name) +
              ", \"command\": " + JsonString(circuit.line.command) +
              ", \"rank\": " + std::to_string(choice.picks[c] + 1) +
              ", \"row\": " + RowJson(circuit, choice.picks[c]) + "}" +
              (c + 1 < gathered.circuits.size() ? ",\n" : "\n");
    }
    json += "  ],\n  \"values\": [\n";
    std::size_t n = 0;
    for (const auto& [value, count] : counts) {
      const ValueInfo& info = gathered.values.at(value);
      json += "    {\"kind\": " + JsonString(info.kind) +
              ", \"value\": " + ShortestText(value.value) + ", \"name\": " + JsonString(info.name) +
              ", \"count\": " + std::to_string(count) +
              ", \"on_board\": " + (input.free.contains(value) ? "true" : "false");
      if (settings.inventory) json += ", \"uses\": " + JsonString(usesOf(value));
      json += std::string("}") + (++n < counts.size() ? ",\n" : "\n");
    }
    json += "  ],\n  \"distinct\": " + std::to_string(choice.distinct) +
            ",\n  \"new\": " + std::to_string(choice.newValues) +
            ",\n  \"parts\": " + std::to_string(choice.parts) +
            ",\n  \"optimal\": " + (optimal ? "true" : "false") +
            ",\n  \"bound\": " + std::to_string(choice.bound) +
            ",\n  \"first_rows_distinct\": " + std::to_string(firstRows.size()) + "\n}\n";
    context.out << json;
    return schematicWritten(context.err) ? kExitOk : kExitFailure;
  }
  if (format != OutputFormat::kText) {
    OutputTable table{{"name", "command", "rank", "values", "row"}, {}};
    for (std::size_t c = 0; c < gathered.circuits.size(); ++c) {
      const Circuit& circuit = gathered.circuits[c];
      std::string values;
      for (const board::Item& part : circuit.candidates[choice.picks[c]].parts) {
        values += (values.empty() ? "" : " ") + gathered.values.at(part.value).name;
      }
      table.rows.push_back(
          {table::TextCell(circuit.line.name), table::TextCell(circuit.line.command),
           table::NumberCell(static_cast<std::uint64_t>(choice.picks[c] + 1)),
           table::TextCell(values), table::TextCell(RowPairs(circuit, choice.picks[c]))});
    }
    context.out << WriteFormatted(format, {}, table);
    context.err << "vantrel-cli: board: " << summary << '\n';
    return schematicWritten(context.err) ? kExitOk : kExitFailure;
  }
  std::string out;
  for (std::size_t c = 0; c < gathered.circuits.size(); ++c) {
    const Circuit& circuit = gathered.circuits[c];
    out += circuit.line.name + "  " + circuit.line.command + "\n" +
           RowText(circuit, choice.picks[c]) + "\n";
  }
  std::vector<std::vector<std::string>> rows = {{"Kind", "Value", "Count"}};
  if (settings.inventory) rows[0].push_back("Uses");
  if (settings.prefer) rows[0].push_back("On board");
  for (const auto& [value, count] : counts) {
    const ValueInfo& info = gathered.values.at(value);
    std::vector<std::string>& row = rows.emplace_back();
    row = {info.kind, info.name, std::to_string(count)};
    if (settings.inventory) row.push_back(usesOf(value));
    if (settings.prefer) row.push_back(input.free.contains(value) ? "yes" : "no");
  }
  std::vector<std::size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] + 2 - row[i].size(), ' ');
    }
    out += line + "\n";
  }
  context.out << out << summary << '\n';
  return schematicWritten(context.out) ? kExitOk : kExitFailure;
}

}  // namespace vantrel
