#include "board_lines.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "command_args.h"
#include "divider_command.h"
#include "exact_decimal.h"
#include "find_command.h"
#include "gain_command.h"
#include "led_command.h"
#include "number_text.h"
#include "part_text.h"
#include "rc_command.h"
#include "regulator_command.h"
#include "search_kinds.h"
#include "stock_input.h"

namespace vantrel::board_lines {
namespace {

constexpr std::size_t kMostCircuits = 200;
// What the board decides for every line: where parts come from and how the answer is printed.
constexpr std::string_view kBoardOptions[] = {"-C",       "--inventory", "--prefer",
                                              "--format", "--top",       "--all"};
constexpr std::string_view kSearches[] = {"find", "divider", "regulator", "gain", "led", "rc"};

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

const CommandSpec& SpecOf(std::string_view name) {
  for (const CliCommand& command : CliCommands()) {
    if (command.spec.name == name) return command.spec;
  }
  throw UsageError{"board: no command " + std::string(name), "board"};
}

int KindId(const StockKind& kind) {
  return static_cast<int>(kind.part);
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
  // Each capacitor's farads back in the held unit, decimal for decimal as the stocks were made
  // (the same held value for up to 15 digits; longer ones may already have met in farads).
  Source c{&kCapacitors, &stocks.capacitors, {}};
  for (const double farads : stocks.capacitors.stock.values)
    c.counted.push_back(networks::ShiftedDecimal(farads, -kCapacitors.heldPower));
  GatherRows<finder::RcKind>(
      line, request, stocks, {SourceOf(stocks.resistors, kResistors), c},
      [](std::size_t leg) { return leg; }, settings, gathered);
  return true;
}

}  // namespace

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

}  // namespace vantrel::board_lines
