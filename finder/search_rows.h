#pragma once

// How any search kind's rows are searched: with a board (--prefer), the rows that add fewest values
// to it first. Kind is a search kind: its Request, its Found rows and its Search, which gives them
// in its own order.

#include <atomic>
#include <cstdint>
#include <functional>

#include "preferred_search.h"

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

// Narrows request to its rows of exactly parts parts; false where it has none of that many.
template <class Request>
bool NarrowToParts(Request& request, int parts) {
  auto& search = request.search;
  if constexpr (requires { search.minParts; }) {
    if (parts < search.minParts || parts > search.maxParts) return false;
    search.minParts = search.maxParts = parts;
  } else {
    if (search.parts != 0 && search.parts != parts) return false;
    search.parts = parts;
  }
  return true;
}

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
                          int parts, const std::function<void(const Found&)>& give) {
    typename Kind::Request narrowed = request;
    if (parts != 0 && !NarrowToParts(narrowed, parts)) return;
    if constexpr (requires { Kind::Search(narrowed, searched, halt, most, give, overRated); }) {
      Kind::Search(narrowed, searched, halt, most, give, overRated);
    } else {
      Kind::Search(narrowed, searched, halt, most, give);
    }
  };
  if (!Preferring(stock)) {
    search(stock, stop, limit, 0, take);
    return;
  }
  SearchPreferring<Found, Stock>(search, stock, stop, limit, take, scan);
}

}  // namespace vantrel::finder
