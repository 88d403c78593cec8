#include "board_command.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board_choice.h"
#include "command_args.h"
#include "divider_command.h"
#include "exact_decimal.h"
#include "find_command.h"
#include "gain_command.h"
#include "led_command.h"
#include "number_text.h"
#include "output_table.h"
#include "rc_command.h"
#include "regulator_command.h"
#include "search_kinds.h"
#include "stock_input.h"
#include "text_columns.h"
#include "value_edit.h"

namespace vantrel {
namespace {

constexpr std::size_t kMostCircuits = 200;
constexpr std::size_t kMostFileBytes = 1 << 20;

// What the board decides for every line: where parts come from and how the answer is printed.
constexpr std::string_view kBoardOptions[] = {"-C",       "--inventory", "--prefer",
                                              "--format", "--top",       "--all"};
constexpr std::string_view kSearches[] = {"find", "divider", "regulator", "gain", "led", "rc"};

struct Line {
  std::size_t number = 0;
  std::string name;
  std::string command;  // the search's words as typed after vantrel-cli
  std::vector<std::string> words;
};

// The board's own settings, which every line's search takes.
struct Settings {
  std::uint64_t candidates = 500;
  bool inventory = false;
  std::optional<std::string> prefer;
  std::optional<std::string> schematic;
  bool write = false;
};

// A line's candidates, each with what the answer prints of it.
struct Circuit {
  Line line;
  std::vector<board::Candidate> candidates;
  // Per candidate, each leg's parts as its stock names them, for --schematic.
  std::vector<std::vector<std::vector<std::string>>> legs;
  std::vector<std::string> columnNames;
  std::vector<std::vector<table::Cell>> fields;
  std::vector<std::vector<table::ShownCell>> shown;
  std::vector<table::Column> columns;
  double target = 0;
  std::string noRowNote;
};

struct ValueInfo {
  std::string kind;  // "R", "C", "L"
  std::string name;  // as its stock spells it
};

struct Gathered {
  std::vector<Circuit> circuits;
  std::map<board::Value, ValueInfo> values;
  std::map<board::Item, std::string> classes;  // how each class is described in Uses
  std::map<board::Item, std::int64_t> drawer;
  std::set<board::Value> free;
  std::map<const StockKind*, bool> boardRead;
  std::set<std::string> notesShown;  // what reading a stock said, said once for the board
};

std::string Where(const std::string& file, std::size_t line) {
  return "board: " + file + ":" + std::to_string(line) + ": ";
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream in{std::string(text)};
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

bool IsBoardOption(std::string_view word) {
  return std::any_of(std::begin(kBoardOptions), std::end(kBoardOptions), [&](std::string_view o) {
    return word == o || (o.starts_with("--") && word.starts_with(std::string(o) + "="));
  });
}

// The circuits of text, or a usage error naming file and line.
std::vector<Line> ReadLines(const std::string& file, std::string_view text) {
  std::vector<Line> lines;
  std::map<std::string, std::size_t> named;
  std::size_t number = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    line = line.substr(0, std::min(line.find('#'), line.size()));
    std::vector<std::string> words = Words(line);
    if (words.empty()) continue;
    if (words.size() < 2 ||
        std::find(std::begin(kSearches), std::end(kSearches), words[1]) == std::end(kSearches)) {
      throw UsageError{Where(file, number) +
                           "not a search: a name, then find, divider, "
                           "regulator, gain, led or rc and its words",
                       "board"};
    }
    for (std::size_t w = 2; w < words.size(); ++w) {
      if (IsBoardOption(words[w])) {
        throw UsageError{Where(file, number) + words[w] + " is board's to give, not a line's",
                         "board"};
      }
    }
    if (const auto [at2, added] = named.emplace(words[0], number); !added) {
      throw UsageError{Where(file, number) + Quoted(words[0]) + " names line " +
                           std::to_string(at2->second) + " already",
                       "board"};
    }
    if (named.size() > kMostCircuits) {
      throw UsageError{"board: " + file + " holds more than " + std::to_string(kMostCircuits) +
                           " circuits, the most a board takes",
                       "board"};
    }
    Line& added = lines.emplace_back();
    added.number = number;
    added.name = words[0];
    for (std::size_t w = 1; w < words.size(); ++w) {
      added.command += (w > 1 ? " " : "") + words[w];
      if (w > 1) added.words.push_back(words[w]);
    }
  }
  return lines;
}

const CommandSpec& SpecOf(std::string_view name) {
  for (const CliCommand& command : CliCommands()) {
    if (command.spec.name == name) return command.spec;
  }
  throw UsageError{"board: no command " + std::string(name), "board"};
}

int KindId(const StockKind& kind) {
  return static_cast<int>(kind.part);
}

std::string_view KindLetter(const StockKind& kind) {
  switch (kind.part) {
    case PartKind::kCapacitor:
      return "C";
    case PartKind::kInductor:
      return "L";
    case PartKind::kResistor:
      break;
  }
  return "R";
}

std::string ClassText(const drawer::PartClass& drawn) {
  std::string text;
  const auto mark = [&](const std::string& piece) {
    if (!piece.empty()) text += (text.empty() ? "" : ", ") + piece;
  };
  if (drawn.tolerance) mark(ShortestText(*drawn.tolerance) + " %");
  mark(drawn.package);
  mark(drawn.location);
  return text;
}

// Where a line's legs take their parts from: a stock, its kind, and each of its values as the
// board counts it, in the unit the kind's stock is read in (an RC search holds its capacitors
// in farads, where a capacitor find holds them in picofarads).
struct Source {
  const StockKind* kind = &kResistors;
  const finder::LoadedStock* stock = nullptr;
  std::vector<double> counted;
};

// Reads the stock of kind for a line, says once for the board what reading it said, and with
// --prefer takes the values already on the board, once for each kind.
std::optional<finder::LoadedStock> LoadLineStock(const std::string& file, const Line& line,
                                                 const std::vector<double>& excluded,
                                                 const char* what, const StockKind& kind,
                                                 const Settings& settings, CliContext& context,
                                                 Gathered& gathered) {
  std::ostringstream notes;
  std::optional<finder::LoadedStock> stock =
      LoadStock(context.services, excluded, what, notes, kind, settings.inventory);
  if (!notes.str().empty() && gathered.notesShown.insert(notes.str()).second) {
    context.err << Where(file, line.number) << notes.str();
  }
  if (!stock) return std::nullopt;
  if (settings.prefer && !gathered.boardRead[&kind]) {
    gathered.boardRead[&kind] = true;
    finder::LoadedStock onBoard = *stock;
    if (!AddBoard(context.services, settings.prefer, {&onBoard}, context.err)) return std::nullopt;
    if (onBoard.board) {
      for (const double value : *onBoard.board) gathered.free.insert({KindId(kind), value});
    }
  }
  return stock;
}

Source SourceOf(const finder::LoadedStock& stock, const StockKind& kind) {
  return {&kind, &stock, stock.stock.values};
}

// The best rows of one line's search, each as the parts it takes; leg i of a row draws from
// sources[sourceOf(i)].
template <class Kind, class Stocks, class SourceOf>
void GatherRows(const Line& line, const typename Kind::Request& request, const Stocks& stocks,
                const std::vector<Source>& sources, const SourceOf& sourceOf,
                const Settings& settings, Gathered& gathered) {
  for (const Source& source : sources) {
    if (!source.stock->drawer) continue;
    const auto& drawer = *source.stock->drawer;
    for (std::size_t v = 0; v < drawer.classes.size(); ++v) {
      for (std::size_t c = 0; c < drawer.classes[v].size(); ++c) {
        const board::Item item{{KindId(*source.kind), source.counted[v]}, static_cast<int>(c)};
        gathered.drawer[item] = static_cast<std::int64_t>(drawer.classes[v][c].quantity);
        gathered.classes[item] = ClassText(drawer.classes[v][c]);
      }
    }
  }
  Circuit& circuit = gathered.circuits.emplace_back();
  circuit.line = line;
  circuit.columns = Kind::Columns(request);
  circuit.columnNames = finder::ColumnNames(circuit.columns);
  circuit.target = Kind::Target(request);
  std::uint64_t rank = 0;
  finder::SearchRows<Kind>(
      request, stocks, nullptr, settings.candidates, [&](const typename Kind::Found& found) {
        const typename Kind::Row row = Kind::MakeRow(++rank, found, stocks, request);
        circuit.fields.push_back(Kind::Fields(row, request));
        circuit.shown.push_back(Kind::ShownCells(row, request));
        board::Candidate& candidate = circuit.candidates.emplace_back();
        const std::vector<networks::Network> legs = Kind::Legs(found, request);
        auto& legNames = circuit.legs.emplace_back();
        for (std::size_t i = 0; i < legs.size(); ++i) {
          auto& names = legNames.emplace_back();
          const finder::LoadedStock& stock = *sources[sourceOf(i)].stock;
          for (int p = 0; p < networks::PartCount(legs[i].shape); ++p) {
            names.push_back(stock.names[legs[i].parts[static_cast<std::size_t>(p)]]);
          }
        }
        for (std::size_t s = 0; s < sources.size(); ++s) {
          const Source& source = sources[s];
          const auto note = [&](std::uint16_t index) {
            const board::Value value{KindId(*source.kind), source.counted[index]};
            gathered.values.emplace(value, ValueInfo{std::string(KindLetter(*source.kind)),
                                                     source.stock->names[index]});
            return value;
          };
          std::vector<const networks::Network*> drawn;
          for (std::size_t i = 0; i < legs.size(); ++i) {
            if (sourceOf(i) == s) drawn.push_back(&legs[i]);
          }
          if (source.stock->drawer) {
            const auto& drawer = *source.stock->drawer;
            for (const finder::DrawerUse& use : finder::DrawerUses(drawer, drawn)) {
              const int cls = static_cast<int>(use.drawn - drawer.classes[use.value].data());
              for (std::uint32_t n = 0; n < use.count; ++n) {
                candidate.parts.push_back({note(use.value), cls});
              }
            }
            continue;
          }
          for (const networks::Network* leg : drawn) {
            for (int p = 0; p < networks::PartCount(leg->shape); ++p) {
              candidate.parts.push_back({note(leg->parts[static_cast<std::size_t>(p)]), 0});
            }
          }
        }
      });
  if (circuit.candidates.empty()) circuit.noRowNote = Kind::NoRowNote(stocks, request);
}

// A line whose legs all draw from one stock.
template <class Kind>
bool GatherLine(const std::string& file, const Line& line, const typename Kind::Request& request,
                const Settings& settings, CliContext& context, Gathered& gathered) {
  const StockKind& kind = [&]() -> const StockKind& {
    if constexpr (requires { request.kind; }) return *request.kind;
    return kResistors;
  }();
  const std::optional<finder::LoadedStock> stock =
      LoadLineStock(file, line, request.excluded, Kind::kWhat, kind, settings, context, gathered);
  if (!stock) return false;
  GatherRows<Kind>(
      line, request, *stock, {SourceOf(*stock, kind)}, [](std::size_t) { return std::size_t{0}; },
      settings, gathered);
  return true;
}

// An RC line: the resistor leg from the resistors, the capacitor leg from the capacitors, each
// capacitor counted in picofarads as a capacitor find counts it.
bool GatherRcLine(const std::string& file, const Line& line, const finder::RcRequest& request,
                  const Settings& settings, CliContext& context, Gathered& gathered) {
  std::optional<finder::LoadedStock> resistors =
      LoadLineStock(file, line, {}, finder::RcKind::kWhat, kResistors, settings, context, gathered);
  if (!resistors) return false;
  std::optional<finder::LoadedStock> capacitors = LoadLineStock(
      file, line, {}, finder::RcKind::kWhat, kCapacitors, settings, context, gathered);
  if (!capacitors) return false;
  const finder::RcStocks stocks =
      finder::MakeRcStocks(std::move(*resistors), std::move(*capacitors), kCapacitors.heldPower);
  // Each capacitor's farads back in the held unit, decimal for decimal as the stocks were made.
  Source c{&kCapacitors, &stocks.capacitors, {}};
  for (const double farads : stocks.capacitors.stock.values) {
    const networks::Decimal decimal = networks::ShortestDecimal(farads);
    const std::string text = std::to_string(decimal.digits) + "e" +
                             std::to_string(decimal.exponent - kCapacitors.heldPower);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    c.counted.push_back(value);
  }
  GatherRows<finder::RcKind>(
      line, request, stocks, {SourceOf(stocks.resistors, kResistors), c},
      [](std::size_t leg) { return leg; }, settings, gathered);
  return true;
}

// The line's words as its command reads them, with the board's settings added.
bool Gather(const std::string& file, const Line& line, const Settings& settings,
            CliContext& context, Gathered& gathered) {
  const CommandSpec& spec = SpecOf(line.command.substr(0, line.command.find(' ')));
  ParsedArgs args;
  try {
    args = ParseArgs(spec, line.words);
  } catch (const UsageError& error) {
    throw UsageError{Where(file, line.number) + error.what, "board"};
  }
  if (args.help) throw UsageError{Where(file, line.number) + "--help is no search", "board"};
  args.options.emplace_back("--top", std::to_string(settings.candidates));
  if (settings.inventory) args.options.emplace_back("--inventory", "");
  try {
    if (spec.name == "find") {
      return GatherLine<finder::FindKind>(file, line, FindRequestOf(args), settings, context,
                                          gathered);
    }
    if (spec.name == "divider") {
      return GatherLine<finder::DividerKind>(file, line, DividerRequestOf(args), settings, context,
                                             gathered);
    }
    if (spec.name == "regulator") {
      return GatherLine<finder::RegulatorKind>(file, line, RegulatorRequestOf(args), settings,
                                               context, gathered);
    }
    if (spec.name == "rc") {
      return GatherRcLine(file, line, RcRequestOf(args), settings, context, gathered);
    }
    if (spec.name == "led") {
      return GatherLine<finder::LedKind>(file, line, LedRequestOf(args), settings, context,
                                         gathered);
    }
    return GatherLine<finder::GainKind>(file, line, GainRequestOf(args), settings, context,
                                        gathered);
  } catch (const ArgumentError& error) {
    throw UsageError{Where(file, line.number) + std::string(spec.name) + ": " + error.what,
                     "board"};
  }
}

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
  const std::string text = opened->Read(kMostFileBytes);
  opened->Close();
  const std::vector<Line> lines = ReadLines(file, text);
  if (lines.empty()) throw UsageError{"board: " + file + " names no circuit", "board"};

  Gathered& gathered = read.gathered;
  for (const Line& line : lines) {
    if (!Gather(file, line, settings, context, gathered)) return std::nullopt;
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
  summary += optimal ? std::string("optimal")
                     : "the best found in " + PlainDigits(timeLimit) +
                           " s: no choice has fewer than " + std::to_string(choice.bound) + noun;

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
