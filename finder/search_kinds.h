#pragma once

// find, divider, regulator, gain and RC pairs side by side: what each does differently, so that the
// command line and the window list any of them through one path.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "designs.h"
#include "divider_search.h"
#include "network_search.h"
#include "preferred_search.h"
#include "request.h"
#include "rows.h"
#include "stock_load.h"

namespace vantrel::finder {

// Whether request draws on the inventory, and the factor its parts' ratings are taken at.
template <class Request>
bool FromInventory(const Request& request) {
  if constexpr (requires { request.bounds.inventory; }) {
    return request.bounds.inventory;
  } else {
    return request.inventory;
  }
}

template <class Request>
double Derate(const Request& request) {
  if constexpr (requires { request.bounds.derate; }) {
    return request.bounds.derate;
  } else {
    return 1;
  }
}

struct FindKind {
  using Request = FindRequest;
  using Found = networks::NetworkRow;
  using Row = FindRow;
  static constexpr char kWhat[] = "networks";

  static std::vector<Column> Columns(const Request& request) { return FindColumns(request); }
  // In the base unit the row's cells are read in (farads for capacitors).
  static double Target(const Request& request) {
    return BaseValue(*request.kind, request.search.target);
  }
  // The row's networks by their place in its circuit, for its picture.
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.network};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeFindRow(rank, found, stock, request);
  }
  static std::vector<ShownCell> ShownCells(const Row& row, const Request& request) {
    return FindShownCells(row, request);
  }
  static std::vector<Cell> Fields(const Row& row, const Request& request) {
    return FindFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoFindRowNote(stock, request);
  }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take) {
    SearchFind(request, stock, stop, limit, take);
  }
};

struct DividerKind {
  using Request = DividerRequest;
  using Found = networks::TwoLegRow;
  using Row = DividerRow;
  static constexpr char kWhat[] = "dividers";

  static std::vector<Column> Columns(const Request& request) { return DividerColumns(request); }
  static double Target(const Request& request) { return request.search.vout; }
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.a, found.b};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeDividerRow(rank, found, stock, request);
  }
  static std::vector<ShownCell> ShownCells(const Row& row, const Request& request) {
    return DividerShownCells(row, request);
  }
  static std::vector<Cell> Fields(const Row& row, const Request& request) {
    return DividerFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoDividerRowNote(stock, request);
  }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take,
                     std::uint64_t* overRated = nullptr) {
    SearchDesign(DividerDesign(request), stock, stop, limit, take, overRated);
  }
};

struct RegulatorKind {
  using Request = RegulatorRequest;
  using Found = networks::TwoLegRow;
  using Row = DesignRow;
  static constexpr char kWhat[] = "designs";

  static std::vector<Column> Columns(const Request& request) { return RegulatorColumns(request); }
  static double Target(const Request& request) { return request.search.target; }
  // Rtop, then Rbottom: leg B, which carries VREF, is the top one in the top form.
  static std::vector<networks::Network> Legs(const Found& found, const Request& request) {
    if (request.referenceTop) return {found.b, found.a};
    return {found.a, found.b};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeRegulatorRow(rank, found, stock, request);
  }
  static std::vector<ShownCell> ShownCells(const Row& row, const Request& request) {
    return RegulatorShownCells(row, request);
  }
  static std::vector<Cell> Fields(const Row& row, const Request& request) {
    return RegulatorFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoRegulatorRowNote(stock, request);
  }
  // Rows that rest on the pin current, and what to say below them.
  static bool Marked(const Row& row) { return row.iadjShare > kIadjShareMark; }
  static std::string Footnote(const Request& request) { return IadjNote(request, true); }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take,
                     std::uint64_t* overRated = nullptr) {
    SearchDesign(RegulatorDesign(request), stock, stop, limit, take, overRated);
  }
};

struct GainKind {
  using Request = GainRequest;
  using Found = networks::TwoLegRow;
  using Row = DesignRow;
  static constexpr char kWhat[] = "designs";

  static std::vector<Column> Columns(const Request& request) { return GainColumns(request); }
  static double Target(const Request& request) { return request.search.target; }
  // Rf, then Rg or Rin.
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.a, found.b};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeGainRow(rank, found, stock, request);
  }
  static std::vector<ShownCell> ShownCells(const Row& row, const Request& request) {
    return GainShownCells(row, request);
  }
  static std::vector<Cell> Fields(const Row& row, const Request& request) {
    return GainFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoGainRowNote(stock, request);
  }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take,
                     std::uint64_t* overRated = nullptr) {
    SearchDesign(GainDesign(request), stock, stop, limit, take, overRated);
  }
};

struct RcKind {
  using Request = RcRequest;
  using Found = networks::RcRow;
  using Row = RcRow;
  static constexpr char kWhat[] = "RC pairs";

  static std::vector<Column> Columns(const Request& request) { return RcColumns(request); }
  static double Target(const Request& request) { return request.search.target; }
  // R on the resistor stock, then C on the capacitor stock.
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.r, found.c};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const RcStocks& stocks,
                     const Request& request) {
    return MakeRcRow(rank, found, stocks, request);
  }
  static std::vector<ShownCell> ShownCells(const Row& row, const Request& request) {
    return RcShownCells(row, request);
  }
  static std::vector<Cell> Fields(const Row& row, const Request& request) {
    return RcFields(row, request);
  }
  static std::string NoRowNote(const RcStocks& stocks, const Request& request) {
    return NoRcRowNote(stocks, request);
  }
  static void Search(const Request& request, const RcStocks& stocks, const std::atomic<bool>* stop,
                     std::uint64_t limit, const std::function<void(const Found&)>& take) {
    SearchRc(request.search, request.bounds, stocks.resistors.stock.values,
             stocks.capacitors.stock.values, stop, limit, take, stocks.resistors.drawer.get(),
             stocks.capacitors.drawer.get());
  }
};

// Gives take at most limit of the request's rows in rank order, stopping early once *stop is
// set (stop may be null). Stock: the LoadedStock, or the RcStocks of an RC request.
// overRated, where the kind checks ratings, is set as SearchDesign sets it (by the last search
// made: with a board, the walk over the whole stock), else to 0. With a board (--prefer), the
// rows that add fewest values to it come first (SearchPreferring), and scan, when given, bounds
// that ranking's walk and tells whether it was cut.
template <class Kind, class Stock>
void SearchRows(const typename Kind::Request& request, const Stock& stock,
                const std::atomic<bool>* stop, std::uint64_t limit,
                const std::function<void(const typename Kind::Found&)>& take,
                std::uint64_t* overRated = nullptr, PreferScan* scan = nullptr) {
  if (overRated) *overRated = 0;
  using Found = typename Kind::Found;
  const auto search = [&](const Stock& searched, const std::atomic<bool>* halt, std::uint64_t most,
                          const std::function<void(const Found&)>& give) {
    if constexpr (requires { Kind::Search(request, searched, halt, most, give, overRated); }) {
      Kind::Search(request, searched, halt, most, give, overRated);
    } else {
      Kind::Search(request, searched, halt, most, give);
    }
  };
  if (!Preferring(stock)) {
    search(stock, stop, limit, take);
    return;
  }
  SearchPreferring<Found, Stock>(search, stock, stop, limit, take, scan);
}

}  // namespace vantrel::finder
