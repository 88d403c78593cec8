#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli_app.h"
#include "command_line.h"
#include "files.h"
#include "output_table.h"
#include "ranked_rows.h"
#include "reader_watch.h"
#include "rows.h"
#include "search_kinds.h"
#include "stock_input.h"
#include "text_columns.h"

namespace vantrel {

// What find and divider tell PrintListing: how to search, and how a found row is printed.
template <class Found, class Row>
struct Listing {
  OutputFormat format = OutputFormat::kText;
  OutputHead head;
  std::vector<finder::Column> columns;
  double target = 0;  // what the key column is compared with
  std::uint64_t limit = 0;
  // search(limit, stop, take) gives take at most limit rows in rank order, stopping early
  // once *stop is set (stop may be null).
  std::function<void(std::uint64_t, const std::atomic<bool>*,
                     const std::function<void(const Found&)>&)>
      search;
  std::function<Row(std::uint64_t rank, const Found&)> row;
  std::function<double(const Row&)> key;
  std::function<std::vector<std::string>(const Row&, int digits)> textCells;
  std::function<std::vector<Cell>(const Row&)> fields;
  std::function<std::string()> noRowNote;  // said when no row qualifies
};

// Prints the listing's rows; false when there was none. tsv, csv and json print each row as
// it is found, and an empty table when there is none; text prints nothing then. The text
// table of --all is streamed (TableStream); a text table of K rows is laid out from all of them.
template <class Found, class Row>
bool ListRows(const Listing<Found, Row>& listing, int outFd, std::ostream& out) {
  std::uint64_t rank = 0;
  // Rows as they are found: a reader that has gone ends the search.
  std::atomic<bool> stop = false;
  std::optional<ReaderGoneWatch> watch;
  if (outFd >= 0) watch.emplace(outFd, stop);
  if (listing.format != OutputFormat::kText) {
    RowWriter writer(listing.format, listing.head, finder::ColumnNames(listing.columns), out);
    listing.search(listing.limit, &stop, [&](const Found& found) {
      writer.Row(listing.fields(listing.row(++rank, found)));
    });
    writer.Finish();
    return rank > 0;
  }
  if (listing.limit == std::numeric_limits<std::uint64_t>::max()) {
    TableStream<Row> table(TextColumns(listing.columns), listing.target, listing.key,
                           listing.textCells, out);
    listing.search(listing.limit, &stop,
                   [&](const Found& found) { table.Add(listing.row(++rank, found)); });
    table.Finish();
    return rank > 0;
  }
  const RankedRows<Found> rows(
      [&](std::uint64_t limit, const auto& take) { listing.search(limit, nullptr, take); },
      listing.limit);
  if (rows.Empty()) return false;
  const auto forEach = [&](const auto& take) {
    rows.ForEach([&](std::uint64_t n, const Found& found) { take(listing.row(n, found)); });
  };
  WriteTable(forEach, listing.key, listing.target, listing.textCells, TextColumns(listing.columns),
             out);
  return true;
}

// Prints the listing, or its note when no row qualifies: on out for text, on err beside the
// empty table of the other formats. json's head also names the library (LibraryHead).
// outFd: out's file descriptor, watched while rows are streamed, or -1.
template <class Found, class Row>
void PrintListing(Listing<Found, Row> listing, IFileService& files, int outFd, std::ostream& out,
                  std::ostream& err) {
  if (listing.format == OutputFormat::kJson) {
    for (auto& field : LibraryHead(files)) listing.head.push_back(std::move(field));
  }
  if (!ListRows(listing, outFd, out)) {
    (listing.format == OutputFormat::kText ? out : err) << listing.noRowNote() << '\n';
  }
}

// find and divider (Kind, as in search_kinds.h): the rows of request on the library, or the
// note when none qualifies; head comes first in tsv, csv and json.
template <class Kind>
int RunListing(const typename Kind::Request& request, OutputHead head, const ParsedArgs& args,
               CliContext& context) {
  using Found = typename Kind::Found;
  using Row = typename Kind::Row;
  const std::optional<finder::LoadedStock> stock =
      LoadStock(context.services, request.excluded, Kind::kWhat, context.err);
  if (!stock) return kExitFailure;
  Listing<Found, Row> listing;
  listing.format = OutputFormatNamed(args.Value("--format"));
  listing.head = std::move(head);
  listing.columns = Kind::Columns(request);
  listing.target = Kind::Target(request);
  listing.limit = request.limit;
  listing.search = [&](std::uint64_t limit, const std::atomic<bool>* stop, const auto& take) {
    finder::SearchRows<Kind>(request, *stock, stop, limit, take);
  };
  listing.row = [&](std::uint64_t rank, const Found& found) {
    return Kind::MakeRow(rank, found, *stock, request);
  };
  listing.key = Kind::Key;
  listing.textCells = [&](const Row& row, int digits) {
    return Kind::TextCells(row, digits, request);
  };
  listing.fields = [&](const Row& row) { return Kind::Fields(row, request); };
  listing.noRowNote = [&] { return Kind::NoRowNote(*stock, request); };
  PrintListing(std::move(listing), context.services.files, context.outFd, context.out, context.err);
  return kExitOk;
}

}  // namespace vantrel
