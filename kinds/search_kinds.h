#pragma once

// The search kinds, one file each in this folder: what each reads, searches, lists and says
// when it finds nothing. The command line and the window list any of them through one path
// (search_rows.h SearchRows and the members below); a new kind is a new file and a line in
// SearchKinds.

#include <string>
#include <vector>

#include "cells.h"
#include "divider.h"
#include "find.h"
#include "gain.h"
#include "led.h"
#include "rc.h"
#include "regulator.h"
#include "search_rows.h"

namespace vantrel::finder {

// What every kind gives the listings: its request and rows, the columns and cells of a row,
// and the value its key column is read against.
template <class Kind>
concept SearchKind = requires(const typename Kind::Request& request, const typename Kind::Row& row,
                              const typename Kind::Found& found) {
  { Kind::kWhat } -> std::convertible_to<const char*>;
  { Kind::Columns(request) } -> std::same_as<std::vector<table::Column>>;
  { Kind::Target(request) } -> std::same_as<double>;
  { Kind::Legs(found, request) } -> std::same_as<std::vector<networks::Network>>;
  { Kind::ShownCells(row, request) } -> std::same_as<std::vector<table::ShownCell>>;
  { Kind::Fields(row, request) } -> std::same_as<std::vector<table::Cell>>;
};

template <SearchKind... Kinds>
struct KindList {};

// Every search kind, in the order the command line's help and the window's tabs give them.
using SearchKinds = KindList<FindKind, DividerKind, RegulatorKind, GainKind, RcKind, LedKind>;

}  // namespace vantrel::finder
