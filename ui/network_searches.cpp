#include "network_searches.h"

#include <algorithm>
#include <array>
#include <memory>
#include <variant>

#include "circuit_drawings.h"
#include "collected_messages.h"
#include "colour_code.h"
#include "display_text.h"
#include "drawer.h"
#include "library_file.h"
#include "number_text.h"
#include "rc_search.h"
#include "resource_strings.h"
#include "row_notes.h"
#include "rows.h"
#include "schematic_view.h"
#include "search_kinds.h"
#include "search_rows.h"

namespace vantrel {
namespace {

// Rows past the shown ones are counted up to this many, for the status line; counting every
// network within a wide tolerance would take as long as listing them all.
constexpr std::uint64_t kCountLimit = 10000;

// Whether the window spells a quantity's cells with unit.
bool CellsCarry(std::string_view unit) {
  using table::Quantity;
  for (const table::Quantity quantity :
       {table::Quantity::kOhm, table::Quantity::kFarad, table::Quantity::kHenry,
        table::Quantity::kVolt, table::Quantity::kAmpere, table::Quantity::kWatt,
        table::Quantity::kSecond, table::Quantity::kHertz}) {
    if (finder::UnitOf(quantity) == unit) return true;
  }
  return false;
}

// A list with the window's columns for columns and, for copies, the command line's tsv names.
ShownTable ListTable(const std::vector<table::Column>& columns, bool within) {
  ShownTable table;
  for (const table::Column& column : finder::WindowColumns(columns, within)) {
    std::string title(column.title);
    // A unit the cells carry ("159.80 µs") is not repeated in the title: "Tau", not "Tau (s)".
    if (const auto at = title.rfind(" (");
        at != std::string::npos && title.ends_with(')') && !column.leftAligned &&
        CellsCarry(title.substr(at + 2, title.size() - at - 3))) {
      title.erase(at);
    }
    // A unit on a line of its own ("Error\n(%)"), so that a header is no wider than its cells;
    // a leg's pins ("Rtop (OUT–FB)") are its header's tooltip (RowTableModel).
    if (const auto at = title.find(" ("); at != std::string::npos && !column.leftAligned) {
      title[at] = '\n';
    }
    table.titles.push_back(std::move(title));
    table.leftAligned.push_back(column.leftAligned);
    table.names.emplace_back(column.name);
  }
  table.tsvColumns = finder::ColumnNames(columns);
  return table;
}

// What a search looks for, for the status line: "networks within 1 % of 4700".
std::string Subject(const finder::FindRequest& request) {
  const StockKind& kind = *request.kind;
  std::string what = kind.part == PartKind::kResistor ? "" : std::string(kind.name).append(" ");
  return what.append(finder::FindKind::kWhat)
      .append(" within ")
      .append(PlainDigits(request.search.tolerance))
      .append(" % of ")
      .append(finder::ShownValue(QuantityOf(kind), finder::BaseValue(kind, request.search.target)));
}

std::string Subject(const finder::DividerRequest& request) {
  return std::string(finder::DividerKind::kWhat) + " within " +
         PlainDigits(request.search.tolerance) + " % of " +
         finder::ShownValue(table::Quantity::kVolt, request.search.vout) + " from " +
         finder::ShownValue(table::Quantity::kVolt, request.search.vin);
}

std::string Subject(const finder::RegulatorRequest& request) {
  return std::string("regulator ") + finder::RegulatorKind::kWhat + " within " +
         PlainDigits(request.search.tolerance) + " % of " +
         finder::ShownValue(table::Quantity::kVolt, request.search.target) + " at VREF " +
         finder::ShownValue(table::Quantity::kVolt, request.vref.typ);
}

std::string Subject(const finder::GainRequest& request) {
  return std::string(request.inverting ? "inverting " : "non-inverting ") +
         finder::GainKind::kWhat + " within " + PlainDigits(request.search.tolerance) +
         " % of a gain of " + PlainDigits(request.search.target);
}

std::string Subject(const finder::LedRequest& request) {
  return std::string("series resistors for ")
      .append(finder::ShownValue(table::Quantity::kAmpere, request.current))
      .append(" within ")
      .append(
          PlainDigits(request.bounds.within ? *request.bounds.within : request.search.tolerance))
      .append(request.bounds.within ? " % worst case" : " %");
}

std::string Subject(const finder::RcRequest& request) {
  const bool corner = request.search.quantity == networks::RcQuantity::kCorner;
  return std::string(finder::RcKind::kWhat) + " within " + PlainDigits(request.search.tolerance) +
         " % of " + (corner ? "the corner " : "the time constant ") +
         finder::ShownValue(corner ? table::Quantity::kHertz : table::Quantity::kSecond,
                            request.search.target);
}

// How the window spells the legs of a row: each part's value in its shortest engineering text
// ("270k", "4.7n"), with + and || traded where the stock's arithmetic trades them.
struct LegSpelling {
  std::vector<std::string> names;
  bool swapped = false;
  std::vector<double> ohms;  // a resistor leg's stock, for its parts' colour codes
};

std::vector<std::string> ShortNames(const std::vector<double>& values) {
  std::vector<std::string> names;
  for (const double value : values) names.push_back(finder::ShortEngineering(value));
  return names;
}

std::vector<LegSpelling> LegSpellings(const finder::FindRequest& request,
                                      const finder::LoadedStock& stock) {
  const bool resistors = request.kind->part == PartKind::kResistor;
  return {{ShortNames(BaseValues(stock, *request.kind)), request.kind->swapFold,
           resistors ? stock.stock.values : std::vector<double>{}}};
}

std::vector<LegSpelling> LegSpellings(const finder::LedRequest&, const finder::LoadedStock& stock) {
  return {{ShortNames(stock.stock.values), false, stock.stock.values}};
}

template <class Request>
std::vector<LegSpelling> LegSpellings(const Request&, const finder::LoadedStock& stock) {
  const std::vector<std::string> names = ShortNames(stock.stock.values);
  return {{names, false, stock.stock.values}, {names, false, stock.stock.values}};
}

std::vector<LegSpelling> LegSpellings(const finder::RcRequest&, const finder::RcStocks& stocks) {
  return {{ShortNames(stocks.resistors.stock.values), false, stocks.resistors.stock.values},
          {ShortNames(stocks.capacitors.stock.values), false, {}}};
}

// A row's tooltip: each of its resistors' colour bands and EIA-96 code, once each.
std::string ColourCodes(const std::vector<networks::Network>& legs,
                        const std::vector<LegSpelling>& spellings) {
  std::vector<std::string> lines;
  for (std::size_t leg = 0; leg < legs.size() && leg < spellings.size(); ++leg) {
    const std::vector<double>& ohms = spellings[leg].ohms;
    if (ohms.empty()) continue;
    for (int slot = 0; slot < networks::PartCount(legs[leg].shape); ++slot) {
      const double value = ohms[legs[leg].parts[static_cast<std::size_t>(slot)]];
      const std::string bands = finder::ColourBandNames(value);
      const std::optional<std::string> eia = finder::Eia96Code(value);
      std::string line = finder::ShownValue(table::Quantity::kOhm, value) + ": " +
                         (bands.empty() ? "no colour code" : bands);
      if (eia) line += ", EIA-96 " + *eia;
      if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
    }
  }
  return Lines(lines);
}

// The cells of the leg columns (the left-aligned ones, in order) spelled for the window.
void RespellLegs(std::vector<table::ShownCell>& cells, const std::vector<table::Column>& shown,
                 const std::vector<networks::Network>& legs,
                 const std::vector<LegSpelling>& spellings) {
  std::size_t leg = 0;
  for (std::size_t i = 0; i < cells.size() && leg < legs.size(); ++i) {
    if (!shown[i].leftAligned) continue;
    cells[i].text = networks::Spell(legs[leg], spellings[leg].names, spellings[leg].swapped);
    ++leg;
  }
}

// The stocks a row draws on, named as the window spells its legs, for Uses.
finder::LoadedStock Renamed(const finder::LoadedStock& stock, std::vector<std::string> names) {
  finder::LoadedStock named = stock;
  named.names = std::move(names);
  return named;
}

std::vector<finder::LoadedStock> NamedStocks(const finder::LoadedStock& stock,
                                             const std::vector<LegSpelling>& spellings) {
  return {Renamed(stock, spellings[0].names)};
}

std::vector<finder::LoadedStock> NamedStocks(const finder::RcStocks& stocks,
                                             const std::vector<LegSpelling>& spellings) {
  return {Renamed(stocks.resistors, spellings[0].names),
          Renamed(stocks.capacitors, spellings[1].names)};
}

// What a row takes from the drawer, each value spelled as its legs are: "1 × 5.1k (1 %, 0603)".
std::string ShownUses(const networks::NetworkRow& found,
                      const std::vector<finder::LoadedStock>& named) {
  const std::array<const networks::Network*, 1> legs{&found.network};
  return finder::UsesOf(named[0], legs).text;
}

std::string ShownUses(const networks::TwoLegRow& found,
                      const std::vector<finder::LoadedStock>& named) {
  const std::array<const networks::Network*, 2> legs{&found.a, &found.b};
  return finder::UsesOf(named[0], legs).text;
}

std::string ShownUses(const networks::RcRow& found, const std::vector<finder::LoadedStock>& named) {
  const std::array<const networks::Network*, 1> r{&found.r};
  const std::array<const networks::Network*, 1> c{&found.c};
  finder::RowUses uses = finder::UsesOf(named[0], r);
  finder::Join(uses, finder::UsesOf(named[1], c, true));
  return uses.text;
}

// Sets the text of the cell in the column named name, where there is one.
void SetCell(std::vector<table::ShownCell>& cells, const std::vector<table::Column>& shown,
             std::string_view name, const std::string& text) {
  for (std::size_t i = 0; i < cells.size() && i < shown.size(); ++i) {
    if (shown[i].name == name) cells[i].text = text;
  }
}

// The nearest miss's In spec cell says what the row is.
void MarkNearest(std::vector<table::ShownCell>& cells, const std::vector<table::Column>& shown) {
  SetCell(cells, shown, "in_spec", "nearest, not in spec");
}

template <class Request>
bool Within(const Request& request) {
  if constexpr (requires { request.bounds.within; }) {
    return request.bounds.within.has_value();
  } else {
    return false;
  }
}

std::vector<const finder::LoadedStock*> Loaded(const finder::LoadedStock& stock) {
  return {&stock};
}

std::vector<const finder::LoadedStock*> Loaded(const finder::RcStocks& stocks) {
  return {&stocks.resistors, &stocks.capacitors};
}

// The rows of one search, the first request.limit of those the command line lists, and the
// status line: how many there are and what for, or the closest when none, and the library's
// notes.
template <class Kind, class Stock>
SearchOutcome Outcome(const typename Kind::Request& request,
                      const std::shared_ptr<const Stock>& stock, const std::atomic<bool>& stop) {
  const std::vector<table::Column> columns = Kind::Columns(request);
  const bool within = Within(request);
  SearchOutcome outcome{
      ListTable(columns, within), {}, Subject(request), {}, DrawingOf(request, *stock)};
  std::vector<typename Kind::Row> rows;
  // Uses as the window spells the legs, by row.
  const std::vector<LegSpelling> spellings = LegSpellings(request, *stock);
  const bool drawn = finder::FromInventory(request);
  const std::vector<finder::LoadedStock> named =
      drawn ? NamedStocks(*stock, spellings) : std::vector<finder::LoadedStock>{};
  std::vector<std::string> uses;
  const auto keep = [&](const typename Kind::Found& found, std::uint64_t rank) {
    rows.push_back(Kind::MakeRow(rank, found, *stock, request));
    outcome.legs.push_back(Kind::Legs(found, request));
    outcome.places.push_back(rows.back().uses.places);
    if (drawn) uses.push_back(ShownUses(found, named));
  };
  // Found up to one past the rows shown: whether there are more. They are counted later.
  std::uint64_t count = 0;
  std::uint64_t overRated = 0;
  finder::PreferScan scan;
  const bool preferring = finder::Preferring(*stock);
  if (preferring) {
    // The rows ranked by what they add to the board; counted in the search's own order.
    finder::SearchRows<Kind>(
        request, *stock, &stop, request.limit,
        [&](const typename Kind::Found& found) { keep(found, rows.size() + 1); }, &overRated,
        &scan);
    Kind::Search(request, *stock, &stop, request.limit + 1,
                 [&](const typename Kind::Found&) { ++count; });
  } else {
    finder::SearchRows<Kind>(
        request, *stock, &stop, request.limit + 1,
        [&](const typename Kind::Found& found) {
          if (++count > request.limit) return;
          keep(found, count);
        },
        &overRated);
  }
  // Where nothing meets the band, the nearest design as row 0, to be seen and drawn.
  bool missed = false;
  if constexpr (requires { Kind::Nearest(*stock, request); }) {
    if (rows.empty() && !stop) {
      if (const auto nearest = Kind::Nearest(*stock, request)) {
        keep(*nearest, 0);
        outcome.rows.nearest = missed = true;
      }
    }
  }
  const std::vector<table::Column> shownColumns = finder::WindowColumns(columns, within);
  const double target = Kind::Target(request);
  finder::ColumnSpeller speller(finder::Spelling::kUnits, target);
  std::vector<std::vector<table::ShownCell>> shown;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::vector<table::ShownCell> cells =
        finder::WindowCells(columns, Kind::ShownCells(rows[i], request), target, within);
    RespellLegs(cells, shownColumns, outcome.legs[i], spellings);
    if (missed) MarkNearest(cells, shownColumns);
    if (drawn) SetCell(cells, shownColumns, "uses", uses[i]);
    speller.See(cells);
    shown.push_back(std::move(cells));
    outcome.rows.tips.push_back(ColourCodes(outcome.legs[i], spellings));
    std::vector<std::string>& tsv = outcome.rows.tsvCells.emplace_back();
    for (const table::Cell& cell : Kind::Fields(rows[i], request)) tsv.push_back(cell.text);
  }
  for (const auto& cells : shown) outcome.rows.cells.push_back(speller.Spell(cells));
  // The status line: how many rows there are and what for, or the closest when none, then
  // the notes.
  // Rows marked for resting on the pin current, and the line that explains the mark.
  std::string footnote;
  if constexpr (requires { Kind::Marked(rows.front()); }) {
    if (std::any_of(rows.begin(), rows.end(), [](const auto& row) { return Kind::Marked(row); }))
      footnote = Kind::Footnote(request);
  }
  std::vector<std::string> notes;
  if (const std::string cut = finder::PreferCutNote(scan, finder::Wording::kWindow); !cut.empty())
    notes.push_back(cut);
  for (const finder::LoadedStock* loaded : Loaded(*stock)) {
    notes.insert(notes.end(), loaded->readNotes.begin(), loaded->readNotes.end());
    notes.insert(notes.end(), loaded->stockNotes.begin(), loaded->stockNotes.end());
  }
  const auto status = [derate = finder::Derate(request), footnote, notes](
                          std::string first, std::uint64_t overRatedRows) {
    std::vector<std::string> lines{std::move(first)};
    if (!footnote.empty()) lines.push_back(footnote);
    if (overRatedRows > 0) lines.push_back(finder::OverRatedNote(overRatedRows, derate));
    lines.insert(lines.end(), notes.begin(), notes.end());
    return Lines(lines);
  };
  const auto ofCount = [shown = rows.size(), subject = outcome.subject](std::string total) {
    return std::to_string(shown) + " of " + total + " " + subject;
  };
  const auto counted = [ofCount](std::uint64_t total) {
    return ofCount(total > kCountLimit ? "more than " + std::to_string(kCountLimit)
                                       : std::to_string(total));
  };
  if (rows.empty() || missed) {
    outcome.status = status(Kind::NoRowNote(*stock, request), overRated);
  } else if (count <= request.limit || request.limit >= kCountLimit) {
    outcome.status = status(counted(count), overRated);
  } else {
    outcome.status = status(ofCount("more than " + std::to_string(request.limit)), overRated);
    outcome.count = [request, stock, preferring, overRated, status,
                     counted](const std::atomic<bool>& halt) {
      std::uint64_t total = 0;
      // Preferring, the note stands as the ranked walk counted it; else over-rated rows are
      // told among all those counted, as the command line's walk would.
      std::uint64_t overRatedRows = overRated;
      const auto tally = [&total](const typename Kind::Found&) { ++total; };
      if (preferring) {
        Kind::Search(request, *stock, &halt, kCountLimit + 1, tally);
      } else {
        finder::SearchRows<Kind>(request, *stock, &halt, kCountLimit + 1, tally, &overRatedRows);
      }
      return status(counted(total), overRatedRows);
    };
  }
  return outcome;
}

// A stock read for a search, or what to say instead: the missing library's message with where
// to make one, or that it holds nothing to search.
template <class Stock>
struct StockRead {
  std::shared_ptr<const Stock> stock;
  std::string status;
  std::string preferError;  // why the board's file (Prefer) cannot be read
};

// The stock read, with the board's values of its kind when the request prefers them.
StockRead<finder::LoadedStock> WithBoard(StockRead<finder::LoadedStock> read, Services& services,
                                         const std::optional<std::string>& prefer) {
  if (!read.stock || !prefer) return read;
  auto stock = std::make_shared<finder::LoadedStock>(*read.stock);
  // The board's lines that give no value are told below the rows, with the stock's notes.
  read.preferError = finder::AddBoard(services.files, prefer, {stock.get()}, &stock->stockNotes);
  read.stock = std::move(stock);
  return read;
}

StockRead<finder::LoadedStock> ReadStock(Services& services, const std::vector<double>& excluded,
                                         const StockKind& kind, std::string_view what,
                                         bool inventory = false) {
  CollectedMessages messages;
  Services reading{messages, services.files, services.clock};
  if (inventory) {
    finder::LoadedStock stock = finder::LoadInventoryStock(reading, excluded, kind);
    if (!stock.opened) {
      std::vector<std::string> lines = stock.readNotes;
      lines.emplace_back(kMissingInventoryHint);
      return {nullptr, Lines(lines), {}};
    }
    if (stock.stock.values.empty()) return {nullptr, drawer::NoneInStockMessage(kind, what), {}};
    return {std::make_shared<const finder::LoadedStock>(std::move(stock)), {}, {}};
  }
  finder::LoadedStock stock = finder::LoadStock(reading, excluded, kind);
  if (!stock.opened) {
    // A name that is no regular file is told as what it is, not as missing.
    if (std::string notALibrary = NotALibraryMessage(services.files, kind); !notALibrary.empty())
      return {nullptr, std::move(notALibrary), {}};
    messages.texts.emplace_back(kMissingStockHint);
    return {nullptr, Lines(messages.texts), {}};
  }
  if (stock.stock.values.empty()) {
    const std::string library =
        kind.part == PartKind::kResistor ? "library" : std::string(kind.name).append(" library");
    const std::size_t held =
        excluded.empty() ? 0 : finder::LoadStock(reading, {}, kind).stock.values.size();
    return {nullptr,
            held == 0 ? "The " + library + " holds no value to build " + std::string(what) + " from"
                      : "Every one of the " + library + "'s " + std::to_string(held) +
                            " values is excluded",
            {}};
  }
  return {std::make_shared<const finder::LoadedStock>(std::move(stock)), {}, {}};
}

// The stock a request searches: find's in the stock kind it names, the designs' resistors.
StockRead<finder::LoadedStock> ReadFor(const finder::FindRequest& request, Services& services,
                                       std::string_view what) {
  return WithBoard(ReadStock(services, request.excluded, *request.kind, what, request.inventory),
                   services, request.prefer);
}

template <class Request>
StockRead<finder::LoadedStock> ReadFor(const Request& request, Services& services,
                                       std::string_view what) {
  return WithBoard(
      ReadStock(services, request.excluded, kResistors, what, request.bounds.inventory), services,
      request.prefer);
}

// Both stocks, the resistors' first, as the command line reads them.
StockRead<finder::RcStocks> ReadFor(const finder::RcRequest& request, Services& services,
                                    std::string_view what) {
  const bool inventory = request.bounds.inventory;
  const StockRead resistors = ReadStock(services, {}, kResistors, what, inventory);
  if (!resistors.stock) return {nullptr, resistors.status, {}};
  const StockRead capacitors = ReadStock(services, {}, kCapacitors, what, inventory);
  if (!capacitors.stock) return {nullptr, capacitors.status, {}};
  finder::LoadedStock r = *resistors.stock;
  finder::LoadedStock c = *capacitors.stock;
  if (std::string refusal =
          finder::AddBoard(services.files, request.prefer, {&r, &c}, &r.stockNotes);
      !refusal.empty())
    return {nullptr, {}, std::move(refusal)};
  return {std::make_shared<const finder::RcStocks>(
              finder::MakeRcStocks(std::move(r), std::move(c), kCapacitors.heldPower)),
          {},
          {}};
}

// Checks the request and reads the library here; the search is left to the job.
template <class Kind>
PreparedSearch Prepare(const finder::Checked<typename Kind::Request>& checked, Services& services) {
  if (const auto* error = std::get_if<finder::RequestError>(&checked))
    return {{*error}, {}, {}, {}};
  const auto& request = std::get<typename Kind::Request>(checked);
  const auto read = ReadFor(request, services, Kind::kWhat);
  if (!read.preferError.empty()) {
    return {{{"--prefer", std::string(finder::FieldName("--prefer", finder::Wording::kWindow)) +
                              " " + read.preferError}},
            {},
            {},
            {}};
  }
  if (!read.stock) return {{}, {}, read.status, {}};
  return {{},
          [request, stock = read.stock](const std::atomic<bool>& stop) {
            return Outcome<Kind>(request, stock, stop);
          },
          {},
          Subject(request)};
}

}  // namespace

ShownTable FindListColumns() {
  return ListTable(finder::FindColumns({}), false);
}

ShownTable DividerListColumns() {
  return ListTable(finder::DividerColumns(), false);
}

ShownTable RegulatorListColumns(bool referenceTop) {
  finder::RegulatorRequest request;
  request.referenceTop = referenceTop;
  return ListTable(finder::RegulatorColumns(request), false);
}

ShownTable GainListColumns() {
  return ListTable(finder::GainColumns({}), false);
}

ShownTable RcListColumns() {
  finder::RcRequest request;
  request.search.quantity = networks::RcQuantity::kCorner;
  return ListTable(finder::RcColumns(request), false);
}

ShownTable LedListColumns() {
  return ListTable(finder::LedColumns({}), false);
}

NetworkSearches SharedSearches() {
  return {[](const finder::FindInput& input, Services& services) {
            return Prepare<finder::FindKind>(finder::CheckFind(input, finder::Wording::kWindow),
                                             services);
          },
          [](const finder::DividerInput& input, Services& services) {
            return Prepare<finder::DividerKind>(
                finder::CheckDivider(input, finder::Wording::kWindow), services);
          },
          [](const finder::RegulatorInput& input, Services& services) {
            return Prepare<finder::RegulatorKind>(
                finder::CheckRegulator(input, finder::Wording::kWindow), services);
          },
          [](const finder::GainInput& input, Services& services) {
            return Prepare<finder::GainKind>(finder::CheckGain(input, finder::Wording::kWindow),
                                             services);
          },
          [](const finder::RcInput& input, Services& services) {
            return Prepare<finder::RcKind>(finder::CheckRc(input, finder::Wording::kWindow),
                                           services);
          },
          [](const finder::LedInput& input, Services& services) {
            return Prepare<finder::LedKind>(finder::CheckLed(input, finder::Wording::kWindow),
                                            services);
          }};
}

}  // namespace vantrel
