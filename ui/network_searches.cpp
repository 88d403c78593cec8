#include "network_searches.h"

#include <algorithm>
#include <memory>
#include <variant>

#include "collected_messages.h"
#include "display_text.h"
#include "library_file.h"
#include "number_text.h"
#include "rc_search.h"
#include "resource_strings.h"
#include "rows.h"
#include "schematic_view.h"
#include "search_kinds.h"

namespace vantrel {
namespace {

// Rows past the shown ones are counted up to this many, for the status line; counting every
// network within a wide tolerance would take as long as listing them all.
constexpr std::uint64_t kCountLimit = 10000;

ShownTable EmptyTable(const std::vector<finder::Column>& columns) {
  ShownTable table;
  for (const finder::Column& column : columns) {
    table.titles.emplace_back(column.title);
    table.leftAligned.push_back(column.leftAligned);
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
      .append(kind.part == PartKind::kResistor ? PlainDigits(request.search.target)
                                               : finder::KindText(kind, request.search.target));
}

std::string Subject(const finder::DividerRequest& request) {
  return std::string(finder::DividerKind::kWhat) + " within " +
         PlainDigits(request.search.tolerance) + " % of " + PlainDigits(request.search.vout) +
         " V from " + PlainDigits(request.search.vin) + " V";
}

std::string Subject(const finder::RegulatorRequest& request) {
  return std::string("regulator ") + finder::RegulatorKind::kWhat + " within " +
         PlainDigits(request.search.tolerance) + " % of " + PlainDigits(request.search.target) +
         " V at VREF " + PlainDigits(request.vref.typ) + " V";
}

std::string Subject(const finder::GainRequest& request) {
  return std::string(request.inverting ? "inverting " : "non-inverting ") +
         finder::GainKind::kWhat + " within " + PlainDigits(request.search.tolerance) +
         " % of a gain of " + PlainDigits(request.search.target);
}

std::string Subject(const finder::RcRequest& request) {
  const bool corner = request.search.quantity == networks::RcQuantity::kCorner;
  return std::string(finder::RcKind::kWhat) + " within " + PlainDigits(request.search.tolerance) +
         " % of " + (corner ? "the corner " : "the time constant ") +
         PlainDigits(request.search.target) + (corner ? " Hz" : " s");
}

// How a search's rows are drawn, with the request's choices of circuit.
using Drawing = decltype(SearchOutcome::draw);

Drawing DrawingOf(const finder::FindRequest& request) {
  const schematic::PartSymbol symbol =
      request.kind->part == PartKind::kCapacitor  ? schematic::PartSymbol::kCapacitor
      : request.kind->part == PartKind::kInductor ? schematic::PartSymbol::kInductor
                                                  : schematic::PartSymbol::kResistor;
  // A capacitor row's network was found with the resistor arithmetic, series for parallel.
  return [symbol, swapped = request.kind->swapFold](SchematicView& view,
                                                    const std::vector<networks::Network>& row,
                                                    std::span<const std::string> names) {
    view.SetNetwork(swapped ? networks::Swapped(row[0]) : row[0], names, symbol);
  };
}

Drawing DrawingOf(const finder::DividerRequest&) {
  return [](SchematicView& view, const std::vector<networks::Network>& row,
            std::span<const std::string> names) { view.SetDivider(row[0], row[1], names); };
}

Drawing DrawingOf(const finder::RegulatorRequest& request) {
  return [top = request.referenceTop](
             SchematicView& view, const std::vector<networks::Network>& row,
             std::span<const std::string> names) { view.SetRegulator(row[0], row[1], top, names); };
}

Drawing DrawingOf(const finder::GainRequest& request) {
  return [inverting = request.inverting](SchematicView& view,
                                         const std::vector<networks::Network>& row,
                                         std::span<const std::string> names) {
    view.SetAmplifier(row[0], row[1], inverting, names);
  };
}

// The RC picture's label: the corner the pair gives, or its time constant.
std::string RcCaption(double tau, bool corner) {
  return corner ? "fc = " + finder::ShownQuantity(1 / (networks::kTwoPi * tau), 3, "Hz")
                : "\u03c4 = " + finder::ShownQuantity(tau, 3, "s");
}

template <class Request>
void SetDrawing(SearchOutcome& outcome, const Request& request,
                const std::shared_ptr<const finder::LoadedStock>& stock) {
  outcome.stock = stock;
  outcome.draw = DrawingOf(request);
}

// The capacitors' names are kept by the drawing, beside the resistors' that the outcome holds.
void SetDrawing(SearchOutcome& outcome, const finder::RcRequest& request,
                const std::shared_ptr<const finder::RcStocks>& stocks) {
  outcome.stock = std::shared_ptr<const finder::LoadedStock>(stocks, &stocks->resistors);
  outcome.draw = [stocks, corner = request.search.quantity == networks::RcQuantity::kCorner](
                     SchematicView& view, const std::vector<networks::Network>& row,
                     std::span<const std::string> names) {
    const double tau = networks::NetworkValue(row[0], stocks->resistors.stock.values) *
                       networks::CapacitorLegValue(row[1], stocks->capacitors.stock.values);
    view.SetRc(row[0], names, row[1], stocks->capacitors.names, RcCaption(tau, corner));
  };
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
  SearchOutcome outcome{EmptyTable(Kind::Columns(request)), {}, Subject(request), {}, {}, {}};
  SetDrawing(outcome, request, stock);
  std::vector<typename Kind::Row> rows;
  std::uint64_t count = 0;
  finder::SearchRows<Kind>(request, *stock, &stop, std::max(request.limit, kCountLimit + 1),
                           [&](const typename Kind::Found& found) {
                             if (++count > request.limit) return;
                             rows.push_back(Kind::MakeRow(count, found, *stock, request));
                             outcome.legs.push_back(Kind::Legs(found, request));
                           });
  std::vector<double> keys;
  for (const auto& row : rows) keys.push_back(Kind::Key(row));
  const std::vector<int> digits = finder::ShownKeyDigits(keys, Kind::Target(request));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = rows[i];
    outcome.rows.cells.push_back(finder::ShownCells(row, digits[i], request));
    std::vector<std::string>& tsv = outcome.rows.tsvCells.emplace_back();
    for (const finder::Cell& cell : Kind::Fields(row, request)) tsv.push_back(cell.text);
  }
  std::vector<std::string> status{
      rows.empty() ? Kind::NoRowNote(*stock, request)
                   : std::to_string(rows.size()) + " of " +
                         (count > kCountLimit ? "more than " + std::to_string(kCountLimit)
                                              : std::to_string(count)) +
                         " " + outcome.subject};
  for (const finder::LoadedStock* loaded : Loaded(*stock)) {
    status.insert(status.end(), loaded->readNotes.begin(), loaded->readNotes.end());
    status.insert(status.end(), loaded->stockNotes.begin(), loaded->stockNotes.end());
  }
  outcome.status = Lines(status);
  return outcome;
}

// A stock read for a search, or what to say instead: the missing library's message with where
// to make one, or that it holds nothing to search.
template <class Stock>
struct StockRead {
  std::shared_ptr<const Stock> stock;
  std::string status;
};

StockRead<finder::LoadedStock> ReadStock(Services& services, const std::vector<double>& excluded,
                                         const StockKind& kind, std::string_view what) {
  CollectedMessages messages;
  Services reading{messages, services.files};
  finder::LoadedStock stock = finder::LoadStock(reading, excluded, kind);
  if (!stock.opened) {
    // A name that is no regular file is told as what it is, not as missing.
    if (std::string notALibrary = NotALibraryMessage(services.files, kind); !notALibrary.empty())
      return {nullptr, std::move(notALibrary)};
    messages.texts.emplace_back(kMissingStockHint);
    return {nullptr, Lines(messages.texts)};
  }
  if (stock.stock.values.empty()) {
    const std::string library =
        kind.part == PartKind::kResistor ? "library" : std::string(kind.name).append(" library");
    const std::size_t held =
        excluded.empty() ? 0 : finder::LoadStock(reading, {}, kind).stock.values.size();
    return {nullptr,
            held == 0 ? "The " + library + " holds no value to build " + std::string(what) + " from"
                      : "Every one of the " + library + "'s " + std::to_string(held) +
                            " values is excluded"};
  }
  return {std::make_shared<const finder::LoadedStock>(std::move(stock)), {}};
}

// The stock a request searches: find's in the stock kind it names, the designs' resistors.
StockRead<finder::LoadedStock> ReadFor(const finder::FindRequest& request, Services& services,
                                       std::string_view what) {
  return ReadStock(services, request.excluded, *request.kind, what);
}

template <class Request>
StockRead<finder::LoadedStock> ReadFor(const Request& request, Services& services,
                                       std::string_view what) {
  return ReadStock(services, request.excluded, kResistors, what);
}

// Both libraries, the resistors' first, as the command line reads them.
StockRead<finder::RcStocks> ReadFor(const finder::RcRequest&, Services& services,
                                    std::string_view what) {
  const StockRead resistors = ReadStock(services, {}, kResistors, what);
  if (!resistors.stock) return {nullptr, resistors.status};
  const StockRead capacitors = ReadStock(services, {}, kCapacitors, what);
  if (!capacitors.stock) return {nullptr, capacitors.status};
  return {std::make_shared<const finder::RcStocks>(
              finder::MakeRcStocks(*resistors.stock, *capacitors.stock, kCapacitors.heldPower)),
          {}};
}

// Checks the request and reads the library here; the search is left to the job.
template <class Kind>
PreparedSearch Prepare(const finder::Checked<typename Kind::Request>& checked, Services& services) {
  if (const auto* error = std::get_if<finder::RequestError>(&checked))
    return {{*error}, {}, {}, {}};
  const auto& request = std::get<typename Kind::Request>(checked);
  const auto read = ReadFor(request, services, Kind::kWhat);
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
  return EmptyTable(finder::FindColumns({}));
}

ShownTable DividerListColumns() {
  return EmptyTable(finder::DividerColumns());
}

ShownTable RegulatorListColumns(bool referenceTop) {
  finder::RegulatorRequest request;
  request.referenceTop = referenceTop;
  return EmptyTable(finder::RegulatorColumns(request));
}

ShownTable GainListColumns() {
  return EmptyTable(finder::GainColumns({}));
}

ShownTable RcListColumns() {
  finder::RcRequest request;
  request.search.quantity = networks::RcQuantity::kCorner;
  return EmptyTable(finder::RcColumns(request));
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
          }};
}

}  // namespace vantrel
