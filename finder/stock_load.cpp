#include "stock_load.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <memory>
#include <unordered_map>

#include "drawer.h"
#include "files.h"
#include "inventory_file.h"
#include "number_text.h"
#include "request.h"

namespace vantrel::finder {

namespace {

// notes with each repeat folded into its first: "... (1000 times)".
std::vector<std::string> Counted(const std::vector<std::string>& notes) {
  std::vector<std::string> distinct;
  std::vector<std::size_t> times;
  std::unordered_map<std::string, std::size_t> index;
  for (const std::string& note : notes) {
    const auto [at, added] = index.try_emplace(note, distinct.size());
    if (added) {
      distinct.push_back(note);
      times.push_back(0);
    }
    ++times[at->second];
  }
  for (std::size_t i = 0; i < distinct.size(); ++i) {
    if (times[i] > 1) distinct[i] += " (" + std::to_string(times[i]) + " times)";
  }
  return distinct;
}

}  // namespace

std::string KindText(const StockKind& kind, double held) {
  return kind.part == PartKind::kResistor ? StockValueText(held) : KindValueText(kind, held);
}

std::string KindEngineering(const StockKind& kind, double held, int digits) {
  if (kind.part == PartKind::kResistor) return FormatEngineering(held, digits);
  std::string text = FormatEngineering(held * std::pow(10.0, kind.heldPower), digits);
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text.back()))) text += kind.unit;
  return text;
}

double BaseValue(const StockKind& kind, double held) {
  // A division by the exact power of ten rounds once; a multiplication by 10^-12 would not.
  return held / std::pow(10.0, -kind.heldPower);
}

std::string AcceptedRange(const StockKind& kind) {
  if (kind.part == PartKind::kResistor) return "resistances accepted, 1 µΩ to 1 PΩ";
  return std::string(kind.name) + " values accepted, " + KindValueText(kind, kMinResistance) +
         " to " + KindValueText(kind, kMaxResistance);
}

std::vector<std::string> ReadNotes(const ReadReport& report) {
  std::vector<std::string> notes;
  for (const NotationPiece& notation : report.notationPieces) {
    notes.push_back("line " + std::to_string(notation.piece.line) + ": \"" +
                    std::string(notation.piece.Trimmed()) + "\" is read as " +
                    PlainDigits(notation.readAs));
  }
  for (const RefusedPiece& refused : report.refusedPieces) {
    notes.push_back("line " + std::to_string(refused.piece.line) + ": \"" +
                    std::string(refused.piece.Trimmed()) + "\" is " + refused.why +
                    (refused.readAs ? "; read as " + PlainDigits(*refused.readAs) : "; left out"));
  }
  if (report.cutPiece) {
    notes.push_back("line " + std::to_string(report.cutPiece->line) + ": \"" +
                    std::string(report.cutPiece->Trimmed()) +
                    "\" is cut by the 10240-byte read limit and left out");
  }
  return notes;
}

LoadedStock LoadStock(Services& services, const std::vector<double>& excluded,
                      const StockKind& kind) {
  LoadedStock loaded;
  loaded.kind = &kind;
  LibraryTable table;
  ReadReport report;
  loaded.opened = ReadLibraryFile(services, kind, table, &report);
  loaded.readNotes = ReadNotes(report);
  if (!loaded.opened) return loaded;
  // The values as written, at double precision; the float table is Calculate's.
  std::vector<double> library = report.valuesAsRead;
  // Within the range a typed resistance may take, every value the searches work out from the
  // stock stays finite and above 0 (a parallel pair of 1e-300 would underflow to 0).
  const auto outOfRange = std::erase_if(library, [](double value) {
    return value > 0 && !(value >= kMinResistance && value <= kMaxResistance);
  });

  std::vector<std::string> missing;
  for (double value : excluded) {
    if (std::find(library.begin(), library.end(), value) == library.end()) {
      missing.push_back("--exclude " + KindText(kind, value) + ": no such library value");
    }
  }
  loaded.stockNotes = Counted(missing);

  loaded.stock = networks::MakeStock(library, excluded);
  const int notAboveZero = loaded.stock.nonPositive + report.zeroValues;
  if (notAboveZero > 0) {
    loaded.stockNotes.push_back("left out " +
                                CountText(static_cast<std::size_t>(notAboveZero), "library value") +
                                " not above 0");
  }
  if (outOfRange > 0) {
    loaded.stockNotes.push_back("left out " +
                                CountText(static_cast<std::size_t>(outOfRange), "library value") +
                                " outside the " + AcceptedRange(kind));
  }
  for (double value : loaded.stock.values) loaded.names.push_back(KindText(kind, value));
  return loaded;
}

LoadedStock LoadInventoryStock(Services& services, const std::vector<double>& excluded,
                               const StockKind& kind) {
  LoadedStock loaded;
  loaded.kind = &kind;
  IFileService& files = services.files;
  const std::optional<drawer::Inventory> inventory = drawer::ReadInventory(files);
  if (!inventory) {
    const std::string what = files.NotRegularFile(drawer::kInventoryPath);
    loaded.readNotes.push_back(
        !what.empty() ? std::string(drawer::kInventoryFileName) + " is " + what +
                            "; the inventory must be a regular file, or a symbolic link to one"
        : files.LastFailure() == MissingFileReason()
            ? std::string("no ") + drawer::kInventoryFileName +
                  " in the library folder; make one with \"vantrel-cli import FILE --write\""
            : std::string("cannot read ") + drawer::kInventoryFileName + ": " +
                  files.LastFailure());
    return loaded;
  }
  if (!inventory->refusal.empty()) {
    loaded.readNotes.push_back(inventory->refusal);
    return loaded;
  }
  loaded.opened = true;
  for (const drawer::InventoryProblem& problem : inventory->problems) {
    loaded.readNotes.push_back(std::string(drawer::kInventoryFileName) + " line " +
                               std::to_string(problem.line) + ": " + problem.reason + "; left out");
  }
  std::vector<const drawer::InventoryRow*> rows = inventory->InStock(kind);
  std::vector<std::string> missing;
  for (double value : excluded) {
    if (std::none_of(rows.begin(), rows.end(),
                     [&](const drawer::InventoryRow* row) { return row->value == value; })) {
      missing.push_back("--exclude " + KindText(kind, value) + ": no such value in stock");
    }
  }
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  loaded.stockNotes = missing;
  const auto outOfRange = std::erase_if(rows, [](const drawer::InventoryRow* row) {
    return !(row->value >= kMinResistance && row->value <= kMaxResistance);
  });
  if (outOfRange > 0) {
    loaded.stockNotes.push_back("left out " + CountText(outOfRange, "inventory row") +
                                " outside the " + AcceptedRange(kind));
  }
  std::vector<double> values;
  for (const drawer::InventoryRow* row : rows) values.push_back(row->value);
  loaded.stock = networks::MakeStock(values, excluded);
  loaded.drawer = std::make_shared<drawer::Drawer>(drawer::MakeDrawer(rows, loaded.stock.values));
  for (double value : loaded.stock.values) loaded.names.push_back(KindText(kind, value));
  return loaded;
}

}  // namespace vantrel::finder
