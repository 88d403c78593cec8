#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli_app.h"
#include "command_line.h"
#include "inventory_file.h"
#include "output_table.h"
#include "ranked_rows.h"
#include "reader_watch.h"
#include "row_notes.h"
#include "rows.h"
#include "search_kinds.h"
#include "stock_input.h"
#include "text_columns.h"

namespace vantrel {

// A network search's target, tolerance and most parts, for json's head.
inline void AppendNetworkHead(const networks::FindOptions& search, OutputHead& head) {
  head.emplace_back("target", table::NumberCell(search.target));
  head.emplace_back("tolerance", table::NumberCell(search.tolerance));
  head.emplace_back("parts", table::NumberCell(static_cast<std::uint64_t>(search.maxParts)));
}

// What request's bands were worked out from, for json's head: each setting only where it was
// given (a derating factor where it is below 1).
template <class Request>
void AppendBandHead(const Request& request, OutputHead& head) {
  const auto number = [&](const char* name, const std::optional<double>& value) {
    if (value) head.emplace_back(name, table::NumberCell(*value));
  };
  const finder::Statistics* statistics = nullptr;
  if constexpr (requires { request.bounds.rTolerance; }) {
    number("r_tolerance", request.bounds.rTolerance);
    number("c_tolerance", request.bounds.cTolerance);
    number("within", request.bounds.within);
    statistics = &request.bounds.statistics;
  } else if constexpr (requires { request.bounds.partTolerance; }) {
    number("part_tolerance", request.bounds.partTolerance);
    number("within", request.bounds.within);
    statistics = &request.bounds.statistics;
  } else {
    number("part_tolerance", request.partTolerance);
    statistics = &request.statistics;
  }
  if (statistics->rss) head.emplace_back("statistics", table::TextCell("rss"));
  if (statistics->byRss) head.emplace_back("by", table::TextCell("rss"));
  if (statistics->temperature) {
    number("temperature_low", statistics->low);
    number("temperature_high", statistics->high);
    number("tcr", statistics->tcr);
  }
  if (finder::Derate(request) < 1) number("derate", finder::Derate(request));
}

// Lists the rows of request on stock (Kind and Stock as in search_kinds.h); false when there was
// none.
// tsv, csv and json print each row as it is found, and an empty table when there is none; text
// prints nothing then. The text table of --all is streamed (TableStream); a text table of K
// rows is laid out from all of them. A streamed search ends once out has gone bad. outFd:
// out's file descriptor, watched while rows are streamed, or -1. A --prefer ranking cut short
// (finder::PreferCutNote) is told below a text table, on err beside the other formats.
template <class Kind, class Stock>
bool ListRows(const typename Kind::Request& request, const Stock& stock, OutputFormat format,
              const OutputHead& head, int outFd, std::ostream& out, std::ostream& err) {
  using Found = typename Kind::Found;
  using Row = typename Kind::Row;
  const std::vector<table::Column> columns = Kind::Columns(request);
  const auto row = [&](std::uint64_t rank, const Found& found) {
    return Kind::MakeRow(rank, found, stock, request);
  };
  bool marked = false;
  const auto shownCells = [&](const Row& shown) {
    if constexpr (requires { Kind::Marked(shown); }) marked = marked || Kind::Marked(shown);
    return Kind::ShownCells(shown, request);
  };
  std::uint64_t overRated = 0;
  const auto footnote = [&] {
    if constexpr (requires { Kind::Footnote(request); }) {
      if (marked) out << Kind::Footnote(request) << '\n';
    }
    if (overRated > 0) out << finder::OverRatedNote(overRated, finder::Derate(request)) << '\n';
  };
  std::uint64_t rank = 0;
  // With --prefer, whether the ranking looked at only the first rows, which a note says.
  finder::PreferScan scan;
  const auto cutNote = [&](std::ostream& to) {
    if (const std::string note = finder::PreferCutNote(scan, finder::Wording::kCommandLine);
        !note.empty())
      to << note << '\n';
  };
  // Rows as they are found: a reader that has gone, or a write that failed, ends the search.
  std::atomic<bool> stop = false;
  std::optional<ReaderGoneWatch> watch;
  if (outFd >= 0) watch.emplace(outFd, stop);
  if (format != OutputFormat::kText) {
    RowWriter writer(format, head, finder::ColumnNames(columns), out);
    finder::SearchRows<Kind>(
        request, stock, &stop, request.limit,
        [&](const Found& found) {
          writer.Row(Kind::Fields(row(++rank, found), request));
          if (!out) stop = true;
        },
        &overRated, &scan);
    writer.Finish();
    if (overRated > 0) err << finder::OverRatedNote(overRated, finder::Derate(request)) << '\n';
    cutNote(err);
    return rank > 0;
  }
  if (request.limit == std::numeric_limits<std::uint64_t>::max()) {
    TableStream<Row> table(TextColumns(columns), Kind::Target(request), shownCells, out);
    finder::SearchRows<Kind>(
        request, stock, &stop, request.limit,
        [&](const Found& found) {
          table.Add(row(++rank, found));
          if (!out) stop = true;
        },
        &overRated, &scan);
    table.Finish();
    footnote();
    return rank > 0;
  }
  const RankedRows<Found> rows(
      [&](std::uint64_t limit, const auto& take) {
        finder::SearchRows<Kind>(request, stock, nullptr, limit, take, &overRated, &scan);
      },
      request.limit);
  if (rows.Empty()) return false;
  const auto forEach = [&](const auto& take) {
    rows.ForEach([&](std::uint64_t n, const Found& found) { take(row(n, found)); });
  };
  WriteTable(forEach, Kind::Target(request), shownCells, TextColumns(columns), out);
  footnote();
  cutNote(out);
  return true;
}

// find and divider: the rows of request on the library, or the note when none qualifies, on
// out for text, on err beside the empty table of the other formats. head comes first in tsv,
// csv and json; json's head also names the library (LibraryHead).
template <class Kind>
int RunListing(const typename Kind::Request& request, OutputHead head, const ParsedArgs& args,
               CliContext& context) {
  const StockKind& kind = [&]() -> const StockKind& {
    if constexpr (requires { request.kind; }) return *request.kind;
    return kResistors;
  }();
  const bool inventory = finder::FromInventory(request);
  std::optional<finder::LoadedStock> stock =
      LoadStock(context.services, request.excluded, Kind::kWhat, context.err, kind, inventory);
  if (!stock) return kExitFailure;
  if (!AddBoard(context.services, request.prefer, {&*stock}, context.err)) return kExitFailure;
  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  if (format == OutputFormat::kJson && inventory) {
    head.emplace_back("inventory", table::TextCell(drawer::kInventoryFileName));
  } else if (format == OutputFormat::kJson) {
    for (auto& field : LibraryHead(context.services.files, kind)) head.push_back(std::move(field));
  }
  if (format == OutputFormat::kJson) AppendBandHead(request, head);
  if (!ListRows<Kind>(request, *stock, format, head, context.outFd, context.out, context.err)) {
    (format == OutputFormat::kText ? context.out : context.err)
        << Kind::NoRowNote(*stock, request) << '\n';
  }
  return kExitOk;
}

}  // namespace vantrel
