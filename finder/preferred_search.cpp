#include "preferred_search.h"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <span>

#include "board_values.h"
#include "drawer.h"

namespace vantrel::finder {
namespace {

// The distinct values of legs that are not on board, each part a stock index.
int NewIn(std::initializer_list<const networks::Network*> legs, const LoadedStock& stock) {
  std::vector<std::uint16_t> parts;
  for (const networks::Network* leg : legs) {
    for (int i = 0; i < networks::PartCount(leg->shape); ++i)
      parts.push_back(leg->parts[static_cast<std::size_t>(i)]);
  }
  std::sort(parts.begin(), parts.end());
  parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
  const std::vector<double> none;
  const std::vector<double>& board = stock.board ? *stock.board : none;
  return static_cast<int>(std::count_if(parts.begin(), parts.end(), [&](std::uint16_t part) {
    return !std::binary_search(board.begin(), board.end(), stock.stock.values[part]);
  }));
}

void RenumberLeg(networks::Network& leg, const LoadedStock& from, const LoadedStock& to) {
  const std::vector<double>& values = to.stock.values;
  for (int i = 0; i < networks::PartCount(leg.shape); ++i) {
    std::uint16_t& part = leg.parts[static_cast<std::size_t>(i)];
    part = static_cast<std::uint16_t>(
        std::lower_bound(values.begin(), values.end(), from.stock.values[part]) - values.begin());
  }
}

}  // namespace

int NewValues(const networks::NetworkRow& row, const LoadedStock& stock) {
  return NewIn({&row.network}, stock);
}

int NewValues(const networks::TwoLegRow& row, const LoadedStock& stock) {
  return NewIn({&row.a, &row.b}, stock);
}

int NewValues(const networks::RcRow& row, const RcStocks& stocks) {
  return NewIn({&row.r}, stocks.resistors) + NewIn({&row.c}, stocks.capacitors);
}

std::vector<OffBoard> OffBoardValues(const LoadedStock& stock) {
  std::vector<OffBoard> off;
  const std::vector<double>& values = stock.stock.values;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!stock.board || !std::binary_search(stock.board->begin(), stock.board->end(), values[i])) {
      off.push_back({0, i});
    }
  }
  return off;
}

std::vector<OffBoard> OffBoardValues(const RcStocks& stocks) {
  std::vector<OffBoard> off = OffBoardValues(stocks.resistors);
  for (OffBoard value : OffBoardValues(stocks.capacitors)) off.push_back({1, value.index});
  return off;
}

LoadedStock BoardStock(const LoadedStock& stock, std::span<const OffBoard> with, int which) {
  // Field by field, so that the whole stock's values and names are not copied only to be cut.
  LoadedStock board;
  board.opened = stock.opened;
  board.kind = stock.kind;
  board.stock.nonPositive = stock.stock.nonPositive;
  board.readNotes = stock.readNotes;
  board.stockNotes = stock.stockNotes;
  board.board = stock.board;
  // A drawer is indexed by stock value, so it is cut as the values are.
  std::shared_ptr<drawer::Drawer> drawer;
  if (stock.drawer) drawer = std::make_shared<drawer::Drawer>();
  const auto given = [&](std::size_t i) {
    return std::any_of(with.begin(), with.end(), [&](const OffBoard& value) {
      return value.stock == which && value.index == i;
    });
  };
  for (std::size_t i = 0; i < stock.stock.values.size(); ++i) {
    const double value = stock.stock.values[i];
    if ((stock.board && std::binary_search(stock.board->begin(), stock.board->end(), value)) ||
        given(i)) {
      board.stock.values.push_back(value);
      board.names.push_back(stock.names[i]);
      if (drawer) {
        drawer->classes.push_back(stock.drawer->classes[i]);
        drawer->held.push_back(stock.drawer->held[i]);
      }
    }
  }
  board.drawer = std::move(drawer);
  return board;
}

RcStocks BoardStock(const RcStocks& stocks, std::span<const OffBoard> with) {
  return {BoardStock(stocks.resistors, with, 0), BoardStock(stocks.capacitors, with, 1)};
}

std::string PreferCutNote(const PreferScan& scan, Wording wording) {
  if (!scan.cut) return {};
  return "The rows that add values to the board were ranked among the first " +
         std::to_string(scan.scanLimit) + ", fewest parts first, of more within the " +
         "tolerance; a narrower " + std::string(FieldName("--tolerance", wording)) + " or " +
         std::string(FieldName("--within", wording)) + " ranks them all.";
}

bool HasValues(const LoadedStock& stock) {
  return !stock.stock.values.empty();
}

bool HasValues(const RcStocks& stocks) {
  return HasValues(stocks.resistors) && HasValues(stocks.capacitors);
}

void Renumber(networks::NetworkRow& row, const LoadedStock& from, const LoadedStock& to) {
  RenumberLeg(row.network, from, to);
}

void Renumber(networks::TwoLegRow& row, const LoadedStock& from, const LoadedStock& to) {
  RenumberLeg(row.a, from, to);
  RenumberLeg(row.b, from, to);
}

void Renumber(networks::RcRow& row, const RcStocks& from, const RcStocks& to) {
  RenumberLeg(row.r, from.resistors, to.resistors);
  RenumberLeg(row.c, from.capacitors, to.capacitors);
}

std::string AddBoard(IFileService& files, const std::optional<std::string>& prefer,
                     const std::vector<LoadedStock*>& stocks, std::vector<std::string>* skipped) {
  if (!prefer) return {};
  std::vector<const StockKind*> kinds;
  for (const LoadedStock* stock : stocks) kinds.push_back(stock->kind);
  const drawer::BoardValues board = drawer::ReadBoardFile(files, *prefer, kinds);
  if (!board.refusal.empty()) return board.refusal;
  if (skipped) {
    for (const drawer::BoardSkip& skip : board.skipped)
      skipped->push_back(drawer::BoardSkipText(skip));
  }
  for (LoadedStock* stock : stocks) stock->board = board.Of(*stock->kind);
  return {};
}

}  // namespace vantrel::finder
