#include "network_searches.h"

#include <algorithm>
#include <memory>
#include <variant>

#include "collected_messages.h"
#include "display_text.h"
#include "number_text.h"
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
  return std::string(finder::FindKind::kWhat) + " within " + PlainDigits(request.search.tolerance) +
         " % of " + PlainDigits(request.search.target);
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

// How a search's rows are drawn, with the request's choices of circuit.
using Drawing = decltype(SearchOutcome::draw);

Drawing DrawingOf(const finder::FindRequest&) {
  return [](SchematicView& view, const std::vector<networks::Network>& row,
            std::span<const std::string> names) { view.SetNetwork(row[0], names); };
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

// The rows of one search, the first request.limit of those the command line lists, and the
// status line: how many there are and what for, or the closest when none, and the library's
// notes.
template <class Kind>
SearchOutcome Outcome(const typename Kind::Request& request,
                      const std::shared_ptr<const finder::LoadedStock>& stock,
                      const std::atomic<bool>& stop) {
  SearchOutcome outcome{
      EmptyTable(Kind::Columns(request)), {}, Subject(request), {}, stock, DrawingOf(request)};
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
  status.insert(status.end(), stock->readNotes.begin(), stock->readNotes.end());
  status.insert(status.end(), stock->stockNotes.begin(), stock->stockNotes.end());
  outcome.status = Lines(status);
  return outcome;
}

// Checks the request and reads the library here; the search is left to the job.
template <class Kind>
PreparedSearch Prepare(const finder::Checked<typename Kind::Request>& checked, Services& services) {
  if (const auto* error = std::get_if<finder::RequestError>(&checked))
    return {{*error}, {}, {}, {}};
  const auto& request = std::get<typename Kind::Request>(checked);
  CollectedMessages messages;
  Services reading{messages, services.files};
  auto stock =
      std::make_shared<const finder::LoadedStock>(finder::LoadStock(reading, request.excluded));
  if (!stock->opened) return {{}, {}, Lines(messages.texts), {}};
  if (stock->stock.values.empty()) {
    const std::size_t held =
        request.excluded.empty() ? 0 : finder::LoadStock(reading, {}).stock.values.size();
    return {{},
            {},
            held == 0
                ? std::string("The library holds no value to build ") + Kind::kWhat + " from"
                : "Every one of the library's " + std::to_string(held) + " values is excluded",
            {}};
  }
  return {{},
          [request, stock](const std::atomic<bool>& stop) {
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

ShownTable RegulatorListColumns() {
  return EmptyTable(finder::RegulatorColumns({}));
}

ShownTable GainListColumns() {
  return EmptyTable(finder::GainColumns({}));
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
          }};
}

}  // namespace vantrel
