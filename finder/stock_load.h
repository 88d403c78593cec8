#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library_file.h"
#include "services.h"
#include "stock.h"

namespace vantrel::drawer {
struct Drawer;
}

namespace vantrel::finder {

// The stock a find or divider searches, with each value's name (its shortest decimal, the text
// as written up to 15 significant digits) and what the user should hear about how it was made.
struct LoadedStock {
  bool opened = false;  // false after the missing-library message; nothing else is set then
  const StockKind* kind = &kResistors;  // capacitors are spelled with + and || swapped
  networks::Stock stock;
  std::vector<std::string> names;
  // Library lines read otherwise than they look ("line 3: "4k7" is read as 4").
  std::vector<std::string> readNotes;
  // Values left out: not above 0, outside the resistance range a request accepts, or
  // excluded values the library lacks (each once, with how often it was given).
  std::vector<std::string> stockNotes;
  // Drawn from the inventory: each value's classes and counts (drawer.h); null for a library.
  std::shared_ptr<const drawer::Drawer> drawer;
  // With --prefer: the values already on the board, in the held unit, ascending; rows rank by
  // how many values they add to it.
  std::optional<std::vector<double>> board;
};

// The stocks an RC request searches, in ohms and farads.
struct RcStocks {
  LoadedStock resistors;
  LoadedStock capacitors;
};

// Reads the library as Calculate does, but takes each value as written at double precision
// rather than as the float Calculate keeps, and makes the stock without the excluded values.
// Capacitor and inductor values are held in pF and nH and named in their notation ("4.7n").
LoadedStock LoadStock(Services& services, const std::vector<double>& excluded,
                      const StockKind& kind = kResistors);

// A stock value as a name and as messages write it: "4700" for resistors, "4.7n" for capacitors.
std::string KindText(const StockKind& kind, double held);

// The values a request and a stock accept, for messages: "resistances accepted, 1e-6 to 1e15".
// Capacitors and inductors are held in pF and nH, within the same bounds as resistances.
std::string AcceptedRange(const StockKind& kind);

// A held value in engineering notation for a table cell: FormatEngineering for resistors,
// "3.20n" for capacitors (the unit's prefix; the unit itself from 1 F or 1 H up).
std::string KindEngineering(const StockKind& kind, double held, int digits);

// A held value in the kind's base unit (ohms, farads, henries), the double nearest the decimal
// it stands for: 4700 pF gives 4.7e-9.
double BaseValue(const StockKind& kind, double held);

// One line per library line that a reader may not expect to be read the way it was.
std::vector<std::string> ReadNotes(const ReadReport& report);

// The stock of kind in ./Inventory.csv: the values of its rows of that kind with a count above 0,
// less excluded, each value's classes in the drawer; the lines that cannot be read as read notes.
// opened is false when the file cannot be read (the message told through services).
LoadedStock LoadInventoryStock(Services& services, const std::vector<double>& excluded,
                               const StockKind& kind);

}  // namespace vantrel::finder
