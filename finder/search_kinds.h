#pragma once

// find and divider side by side: what each does differently, so that the command line and the
// window list either through one path.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "divider_search.h"
#include "network_search.h"
#include "request.h"
#include "rows.h"
#include "stock_load.h"

namespace vantrel::finder {

struct FindKind {
  using Request = FindRequest;
  using Found = networks::NetworkRow;
  using Row = FindRow;
  static constexpr char kWhat[] = "networks";
  static constexpr auto kSearch = &networks::FindNetworks;

  static std::vector<Column> Columns(const Request& request) { return FindColumns(request); }
  static double Target(const Request& request) { return request.search.target; }
  static std::vector<networks::Network> Legs(const Found& found) { return {found.network}; }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeFindRow(rank, found, stock, request);
  }
  static double Key(const Row& row) { return row.value; }
  static std::vector<std::string> TextCells(const Row& row, int digits, const Request& request) {
    return FindTextCells(row, digits, request);
  }
  static std::vector<Cell> Fields(const Row& row, const Request& request) {
    return FindFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoFindRowNote(stock, request);
  }
};

struct DividerKind {
  using Request = DividerRequest;
  using Found = networks::DividerRow;
  using Row = DividerRow;
  static constexpr char kWhat[] = "dividers";
  static constexpr auto kSearch = &networks::FindDividers;

  static std::vector<Column> Columns(const Request&) { return DividerColumns(); }
  static double Target(const Request& request) { return request.search.vout; }
  static std::vector<networks::Network> Legs(const Found& found) {
    return {found.top, found.bottom};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeDividerRow(rank, found, stock, request);
  }
  static double Key(const Row& row) { return row.vout; }
  static std::vector<std::string> TextCells(const Row& row, int digits, const Request&) {
    return DividerTextCells(row, digits);
  }
  static std::vector<Cell> Fields(const Row& row, const Request&) { return DividerFields(row); }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoDividerRowNote(stock, request);
  }
};

// Gives take at most limit of the request's rows in rank order, stopping early once *stop is
// set (stop may be null).
template <class Kind>
void SearchRows(const typename Kind::Request& request, const LoadedStock& stock,
                const std::atomic<bool>* stop, std::uint64_t limit,
                const std::function<void(const typename Kind::Found&)>& take) {
  auto options = request.search;
  options.stop = stop;
  Kind::kSearch(stock.stock.values, options, limit, take);
}

}  // namespace vantrel::finder
