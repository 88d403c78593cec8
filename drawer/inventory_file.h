#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "files.h"
#include "services.h"
#include "stock_kind.h"

// Inventory.csv, the drawer as a file: one row per class of part, with its count.
//
//   kind,value,quantity,tolerance,power,tcr,package,location,part_number,note
//   R,4k7,12,1%,0.25W,100ppm,0603,Box 2,RC0603FR-074K7L,
//
// It lies beside the libraries. Lines that start with '#' are comments; columns the header
// names besides these are kept as they are.
namespace vantrel::drawer {

inline constexpr char kInventoryFileName[] = "Inventory.csv";
inline constexpr char kInventoryPath[] = "./Inventory.csv";
// Inventories, and the rows of a file to import, are refused beyond these.
inline constexpr std::size_t kInventoryByteLimit = 1 << 20;
inline constexpr std::size_t kInventoryRowLimit = 20000;
// A file to import may be longer than an inventory: an order export's rows carry descriptions
// and prices (some 130 bytes a row), and 20,000 of them pass 1 MB.
inline constexpr std::size_t kImportByteLimit = 8 << 20;
// As many distinct values of one kind as a search takes.
inline constexpr std::size_t kInventoryValueLimit = 1000;

// What a column holds: Inventory.csv's own columns, in the file's order, then those only a file
// to import has.
enum class ImportRole {
  kKind,
  kValue,
  kQuantity,
  kTolerance,
  kPower,
  kTcr,
  kPackage,
  kLocation,
  kPartNumber,
  kNote,
  // Inventory.csv ends here.
  kDescription,  // free text the description reader takes; every such column is read
  kReference,    // a BOM's designators ("R1,R2"): the kind by their letter, the count by theirs
  kNotFitted,    // a BOM's "DNP" mark: a row marked is not used
};
inline constexpr std::size_t kInventoryColumnCount =
    static_cast<std::size_t>(ImportRole::kDescription);

// A class of part of some value: how many there are, how close and how strong they are, and
// where they lie.
struct PartClass {
  std::uint64_t quantity = 0;
  std::optional<double> tolerance;  // percent
  std::optional<double> power;      // watts
  std::optional<double> tcr;        // ppm/°C
  std::string package;
  std::string location;
  std::string partNumber;
};

// One class of part: a value with its count, and what tells it from others of that value.
struct InventoryRow : PartClass {
  const StockKind* kind = &kResistors;
  double value = 0;  // in the kind's held unit (ohms, pF, nH)
  std::string note;
  // The value and the ratings as the file writes them; made from the numbers when empty.
  std::string valueText;
  std::string toleranceText;
  std::string powerText;
  std::string tcrText;
  std::vector<std::string> extra;     // the fields of the unknown columns, in their order
  std::vector<std::string> comments;  // the comment lines just above the row, kept with it
  int line = 0;                       // where it was read; 0 for a row not read from the file

  // What tells a class of part from others: kind, value, tolerance, power and package (in
  // any case). Two rows with the same key hold the same class of part.
  using ClassKey =
      std::tuple<int, double, std::optional<double>, std::optional<double>, std::string>;
  ClassKey Class() const;
};

// A line of the file that is no row, and why.
struct InventoryProblem {
  int line = 0;
  std::string text;
  std::string reason;
};

struct Inventory {
  std::vector<std::string> extraColumns;  // header names besides the known ones
  std::vector<std::string> headComments;  // comment lines above the header
  std::vector<InventoryRow> rows;
  std::vector<std::string> tailComments;  // comment lines after the last row
  std::vector<InventoryProblem> problems;
  std::string refusal;  // why the file as a whole cannot be read; rows are empty then
  FileIdentity identity;

  // The rows of kind with a count above 0, in file order: what a search may draw on.
  std::vector<const InventoryRow*> InStock(const StockKind& kind) const;
  // Whether the file can be rewritten without losing a line.
  bool Readable() const { return refusal.empty() && problems.empty(); }
};

// Reads the text of an inventory file: a UTF-8 byte order mark is skipped, CR LF, LF and CR
// end lines, fields are RFC 4180. Rows and refusals name the file as name.
Inventory ParseInventory(std::string_view bytes, std::string_view name = kInventoryFileName);

// Reads ./Inventory.csv; nullopt when it cannot be opened (LastFailure says why). A failed
// read throws FileError.
std::optional<Inventory> ReadInventory(IFileService& files);

// Sorts the rows by kind (R, C, L) and value, rows of one value in the order they came.
void SortInventory(Inventory& inventory);

// The file text of the inventory as it stands: the header, then the rows, CR LF.
std::string InventoryText(const Inventory& inventory);

// Why the rows cannot stand in one file: a kind with more than kInventoryValueLimit values, or
// more than kInventoryRowLimit rows. Empty when they can.
std::string InventoryLimitProblem(const std::vector<InventoryRow>& rows);

// A file imported, as Inventory.csv records it in a comment line above the header:
//   # imported "lcsc_order.csv" on 2026-12-09 sha256 3a7bd3e2...
struct ImportSource {
  std::string name;
  std::string sha256;  // lower-case hex
  std::string date;    // "2026-12-09"
};

// The comment line that records source.
std::string ImportSourceComment(const ImportSource& source);

// The date the inventory's comments record an import of the bytes with sha256 on; none when
// they record none.
std::optional<std::string> ImportedOn(const Inventory& inventory, std::string_view sha256);

// What a merge did.
struct InventoryMerge {
  std::size_t added = 0;       // rows that joined
  std::size_t summed = 0;      // rows whose count went to a row of the same class
  std::size_t rows = 0;        // rows the file holds afterwards
  std::string refusal;         // why nothing was written; empty when it was
  bool created = false;        // the file did not exist before
  bool cannotCreate = false;   // the new file could not be made; LastFailure says why
  std::size_t unreadable = 0;  // lines of the file that cannot be read, which refused the merge
  bool imported = false;       // a source was imported before, which refused the merge
};

// Adds rows to ./Inventory.csv, creating it when there is none: a row's count goes to the
// first row of the same class (Class), other rows join; the file is written sorted through
// the safe replacement. Nothing is written, and refusal says why, when the file cannot be read
// whole or would pass the limits; when it cannot be created, refusal is the write error and
// LastFailure tells why. When another program changes the file meanwhile it is read again.
// Each of sources is recorded in a comment line; one the file records already refuses the
// merge unless again. File errors throw FileError.
InventoryMerge MergeIntoInventory(IFileService& files, const std::vector<InventoryRow>& rows,
                                  const std::vector<ImportSource>& sources = {},
                                  bool again = false);

}  // namespace vantrel::drawer
