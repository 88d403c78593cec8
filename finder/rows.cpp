#include "rows.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "number_text.h"

namespace vantrel::finder {

// What legs of stock take from its drawer; values held in the kind's unit unless inBase.
RowUses UsesOf(const LoadedStock& stock, std::span<const networks::Network* const> legs,
               bool inBase) {
  RowUses uses;
  if (!stock.drawer) return uses;
  const std::vector<DrawerUse> drawn = DrawerUses(*stock.drawer, legs);
  // Each class by what tells it from the others, so that the one who fetches the parts takes
  // those the band was worked out for: "2 × 1k (1 %, 0603, A1)".
  for (const DrawerUse& use : drawn) {
    const drawer::PartClass& taken = *use.drawn;
    std::string marks;
    const auto mark = [&marks](const std::string& text) {
      if (!text.empty()) marks += (marks.empty() ? "" : ", ") + text;
    };
    if (taken.tolerance) mark(ShortestText(*taken.tolerance) + " %");
    mark(taken.package);
    mark(taken.location);
    uses.text += (uses.text.empty() ? "" : ", ") + std::to_string(use.count) + " × " +
                 stock.names[use.value] + (marks.empty() ? "" : " (" + marks + ")");
  }
  for (const DrawerUse& use : drawn) {
    const drawer::PartClass& taken = *use.drawn;
    std::string place = taken.location;
    if (!taken.partNumber.empty()) place += (place.empty() ? "" : ", ") + taken.partNumber;
    uses.places += (uses.places.empty() ? "" : "; ") + std::to_string(use.count) + " × " +
                   stock.names[use.value] + ": " + (place.empty() ? "no place given" : place);
    const double value = stock.stock.values[use.value];
    const auto number = [](std::string name, const std::optional<double>& x) {
      return table::JsonMember{std::move(name), x ? ShortestText(*x) : "null", true};
    };
    uses.objects.push_back(
        {{"value", ShortestText(inBase ? value : BaseValue(*stock.kind, value)), true},
         {"count", std::to_string(use.count), true},
         {"held", std::to_string(taken.quantity), true},
         number("tolerance", taken.tolerance),
         number("power", taken.power),
         {"package", taken.package, false},
         {"location", taken.location, false},
         {"part_number", taken.partNumber, false}});
  }
  return uses;
}

void Join(RowUses& uses, RowUses more) {
  if (!uses.text.empty() && !more.text.empty()) uses.text += ", ";
  uses.text += more.text;
  if (!uses.places.empty() && !more.places.empty()) uses.places += "; ";
  uses.places += more.places;
  for (auto& object : more.objects) uses.objects.push_back(std::move(object));
}

// A part tolerance that would do, as a designer would read it: rounded down to 2 significant
// digits, so that the tolerance named does.
std::string Tolerance(double percent) {
  if (!(percent > 0)) return "0";
  int decimals = 0;
  double unit = 1;
  for (; percent >= 100 * unit; unit *= 10) --decimals;
  for (; percent < 10 * unit; unit /= 10) ++decimals;
  return FormatFixed(std::floor(percent / unit) * unit, std::max(decimals, 0));
}

// A held value's quantity.
table::Quantity KindQuantity(const StockKind& kind) {
  return kind.part == PartKind::kCapacitor  ? table::Quantity::kFarad
         : kind.part == PartKind::kInductor ? table::Quantity::kHenry
                                            : table::Quantity::kOhm;
}

table::ShownCell RankCell(std::uint64_t rank) {
  return table::ShownNumber(table::Quantity::kCount, static_cast<double>(rank));
}

// The Uses field: its text in tsv and csv, the list of classes in json.
table::Cell UsesField(const RowUses& uses) {
  table::Cell cell = table::TextCell(uses.text);
  cell.objects = uses.objects;
  cell.list = true;
  return cell;
}

table::Cell NewCell(int newValues) {
  return table::NumberCell(static_cast<std::uint64_t>(newValues));
}

void AddBandColumns(std::vector<table::Column>& columns, bool banded,
                    const Statistics& statistics) {
  if (banded) columns.insert(columns.end(), kBandColumns, std::end(kBandColumns));
  if (statistics.rss) columns.insert(columns.end(), kRssColumns, std::end(kRssColumns));
}

std::vector<std::string> ColumnNames(const std::vector<table::Column>& columns) {
  std::vector<std::string> names;
  for (const table::Column& column : columns) names.emplace_back(column.name);
  return names;
}

}  // namespace vantrel::finder
