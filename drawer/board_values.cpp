#include "board_values.h"

#include <algorithm>
#include <optional>

#include "csv_records.h"
#include "inventory_file.h"
#include "kicad_board.h"
#include "number_text.h"
#include "part_text.h"
#include "quantity_text.h"

namespace vantrel::drawer {
namespace {

// A schematic BOM, known by its header: the columns of the references, the value and the mark
// of parts not placed, each by the names it may have ("a|b").
struct BomFormat {
  std::string_view name;
  std::string_view reference;
  std::string_view value;
  std::string_view dnp;
};

constexpr BomFormat kBomFormats[] = {
    {"a schematic or assembly BOM",
     "reference|ref|references|reference(s)|designator|designation|designators",
     "value|comment|val", "dnp"},
};

// Values a BOM writes for a part that is not placed.
constexpr std::string_view kNotPlaced[] = {"", "~", "-", "dnp", "dnf", "np", "nc", "nf", "n/a"};

// Whether a DNP column's field marks the part as not placed.
bool MarkedNotPlaced(std::string_view field) {
  const std::string mark = MatchKey(field);
  return !mark.empty() && mark != "0" && mark != "no" && mark != "false";
}

void Sort(BoardValues& board) {
  for (std::vector<double>& values : board.values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
  }
}

BoardValues Refused(std::string refusal) {
  BoardValues board;
  board.refusal = std::move(refusal);
  return board;
}

// Whether a piece written after a BOM's value rates the part or places it rather than changes
// the value: a package ("0402", "0603"), a voltage, a tolerance or its letter, a power, a TCR or
// a dielectric.
bool IsValueSuffix(std::string_view piece) {
  constexpr std::string_view kDielectrics[] = {"c0g", "cog", "np0", "x5r", "x6s",
                                               "x7r", "x7s", "x8r", "y5v", "z5u"};
  const std::string key = MatchKey(piece);
  if (!key.empty() &&
      std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return key.size() >= 4;
  if (std::find(std::begin(kDielectrics), std::end(kDielectrics), key) != std::end(kDielectrics))
    return true;
  // A tolerance's letter: "10K/F/1005" is 10 kΩ at 1 %.
  if (key.size() == 1 && std::string_view("bcdfgjkm").find(key.front()) != std::string_view::npos)
    return true;
  const QuantityRead volts = ReadQuantity(kVolts, piece);
  if (volts.value && volts.unitWritten) return true;
  if (key.ends_with('%')) return ReadTolerance(piece).value.has_value();
  if (key.ends_with('w')) return ReadPower(piece).value.has_value();
  return key.find("ppm") != std::string::npos && ReadTcr(piece).value.has_value();
}

// The pieces of a BOM's value: split at white space, '_' and '/' ("100nF_0402_16V",
// "100nF/16V/0603"), a power's fraction kept whole ("10k/1/4W").
std::vector<std::string> ValuePieces(std::string_view text) {
  std::vector<std::string> pieces;
  for (std::size_t pos = 0; pos < text.size();) {
    const auto split = [](char c) { return IsCSpace(c) || c == '_' || c == '/'; };
    while (pos < text.size() && split(text[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !split(text[pos])) ++pos;
    if (pos == start) continue;
    const std::string_view piece = text.substr(start, pos - start);
    const bool wholeNumber =
        !pieces.empty() && pieces.back().find_first_not_of("0123456789") == std::string::npos;
    if (wholeNumber && text[start - 1] == '/' && MatchKey(piece).ends_with('w')) {
      pieces.back().append("/").append(piece);
    } else {
      pieces.emplace_back(piece);
    }
  }
  return pieces;
}

// A BOM's value of kind, or why it gives none (skip.reason).
std::optional<double> BomValue(const StockKind& kind, std::string_view text, std::string& why) {
  PartField<double> read = ReadPartValue(kind, text);
  const std::vector<std::string> pieces = ValuePieces(text);
  if (!read.value && pieces.size() > 1) {
    for (std::size_t i = 1; i < pieces.size(); ++i) {
      if (std::find(std::begin(kNotPlaced), std::end(kNotPlaced), MatchKey(pieces[i])) !=
          std::end(kNotPlaced)) {
        why = "not placed (" + std::string(pieces[i]) + ")";
        return std::nullopt;
      }
      if (!IsValueSuffix(pieces[i])) {
        why = Quoted(pieces[i]) + " after the value is no package, voltage, tolerance or rating";
        return std::nullopt;
      }
    }
    read = ReadPartValue(kind, pieces.front());
  }
  const std::string_view value =
      read.value || pieces.empty() ? text : std::string_view(pieces.front());
  // A 0 Ω part is a jumper, no value to build from.
  if (!read.value && ReadQuantity(*kind.quantity, value, kind.heldPower).value == 0.0) {
    why = "a 0 \xce\xa9 jumper, no value to build from";
    return std::nullopt;
  }
  if (!read.value) why = read.refusal;
  return read.value;
}

BoardValues ReadBom(const BomFormat& format, const std::vector<std::string>& header,
                    const CsvText& csv, std::string_view name) {
  BoardValues board;
  board.format = format.name;
  const std::size_t reference = *ColumnOf(header, format.reference);
  const std::size_t value = *ColumnOf(header, format.value);
  const std::optional<std::size_t> dnp = ColumnOf(header, format.dnp);
  const auto field = [](const CsvRecord& record, std::size_t index) -> std::string_view {
    return index < record.fields.size() ? TrimCSpace(record.fields[index]) : std::string_view();
  };
  for (std::size_t i = 1; i < csv.records.size(); ++i) {
    const CsvRecord& record = csv.records[i];
    const std::string_view references = field(record, reference);
    const std::string_view text = field(record, value);
    const auto skip = [&](std::string reason) {
      board.skipped.push_back({SheetSource(name, record.line),
                               std::string(text.empty() ? std::string_view(record.text) : text),
                               std::string(references), std::move(reason)});
    };
    // "R10,3,3k": a decimal comma in a file separated by commas splits the value.
    if (record.fields.size() > header.size()) {
      board.skipped.push_back({SheetSource(name, record.line),
                               record.text,
                               {},
                               "more fields than the header; a decimal comma in the value?"});
      continue;
    }
    const StockKind* kind = KindOfReference(references);
    if (!kind) {
      skip(references.empty() ? "no reference" : "neither a resistor, a capacitor nor an inductor");
      continue;
    }
    if (dnp && MarkedNotPlaced(field(record, *dnp))) {
      skip("not placed (" + std::string(field(record, *dnp)) + ")");
      continue;
    }
    if (text.empty()) {
      skip("no value");
      continue;
    }
    if (std::find(std::begin(kNotPlaced), std::end(kNotPlaced), MatchKey(text)) !=
        std::end(kNotPlaced)) {
      skip("not placed");
      continue;
    }
    std::string why;
    const std::optional<double> read = BomValue(*kind, text, why);
    if (!read) {
      skip(std::move(why));
      continue;
    }
    board.values[static_cast<std::size_t>(kind->part)].push_back(*read);
  }
  return board;
}

BoardValues ReadInventoryRows(std::string_view bytes, std::string_view name) {
  const Inventory inventory = ParseInventory(bytes, name);
  if (!inventory.refusal.empty()) return Refused(inventory.refusal);
  if (!inventory.problems.empty()) {
    const InventoryProblem& first = inventory.problems.front();
    return Refused(SheetSource(name, first.line) + ": " + Quoted(first.text) + " cannot be read (" +
                   first.reason + ")");
  }
  BoardValues board;
  board.format = "Vantrel's Inventory.csv";
  for (const StockKind* kind : kStockKinds) {
    for (const InventoryRow* row : inventory.InStock(*kind))
      board.values[static_cast<std::size_t>(kind->part)].push_back(row->value);
  }
  return board;
}

// The value a plain list's line starts with, in the first of kinds that reads it.
std::optional<std::pair<const StockKind*, double>> PlainValue(
    std::string_view line, const std::vector<const StockKind*>& kinds) {
  line = TrimCSpace(line);
  const std::size_t end = std::min(line.find_first_of(" \t,;"), line.size());
  const std::string_view token = line.substr(0, end);
  for (const StockKind* kind : kinds) {
    if (const PartField<double> read = ReadPartValue(*kind, token); read.value)
      return std::make_pair(kind, *read.value);
  }
  return std::nullopt;
}

// "resistor or capacitor value".
std::string KindsValue(const std::vector<const StockKind*>& kinds) {
  std::string nouns;
  for (std::size_t i = 0; i < kinds.size(); ++i)
    nouns.append(i == 0 ? "" : " or ").append(kinds[i]->name);
  return nouns + " value";
}

std::string WithArticle(const std::string& noun) {
  return (noun.starts_with('i') ? "an " : "a ") + noun;
}

}  // namespace

std::string BoardSkipText(const BoardSkip& skip) {
  return skip.source + ": " + Quoted(skip.text) +
         (skip.reference.empty() ? "" : " of " + skip.reference) + " skipped: " + skip.reason;
}

std::string KnownBoardFormatsText() {
  std::string text;
  for (const BomFormat& format : kBomFormats)
    text.append(format.name).append(" (Reference or Designator, Value or Comment, DNP), ");
  return text +
         "a KiCad schematic (.kicad_sch), Vantrel's Inventory.csv (kind, value, quantity) or a "
         "plain list of values, one a line";
}

BoardValues ReadBoardValues(std::string_view bytes, std::string_view name,
                            const std::vector<const StockKind*>& kinds) {
  const std::string file(name);
  if (bytes.size() > kInventoryByteLimit) {
    return Refused(file + " is longer than 1 MB (" + std::to_string(kInventoryByteLimit) +
                   " bytes), more than a bill of materials holds");
  }
  CsvSheet sheet = ReadCsvSheet(bytes, name);
  if (!sheet.refusal.empty()) return Refused(std::move(sheet.refusal));
  const CsvText& csv = sheet.csv;
  if (csv.records.empty()) return Refused(file + " holds no line with a value");
  if (csv.records.size() - 1 > kInventoryRowLimit) {
    return Refused(file + " holds " + std::to_string(csv.records.size() - 1) +
                   " rows, more than the " + std::to_string(kInventoryRowLimit) +
                   " a bill of materials may hold");
  }
  if (!csv.faults.empty()) {
    const CsvFault& fault = csv.faults.front();
    return Refused(SheetSource(name, fault.line) + ": " + Quoted(fault.text) + " cannot be read (" +
                   fault.reason + ")");
  }
  std::vector<std::string> header;
  for (const std::string& field : csv.records.front().fields) header.push_back(MatchKey(field));
  for (const BomFormat& format : kBomFormats) {
    if (ColumnOf(header, format.reference) && ColumnOf(header, format.value)) {
      BoardValues board = ReadBom(format, header, csv, name);
      Sort(board);
      return board;
    }
  }
  if (ColumnOf(header, "kind") && ColumnOf(header, "value") && ColumnOf(header, "quantity")) {
    BoardValues board = ReadInventoryRows(bytes, name);
    Sort(board);
    return board;
  }
  const CsvRecord& first = csv.records.front();
  if (!PlainValue(first.text, kinds)) {
    return Refused(SheetSource(name, first.line) + ": " + Quoted(first.text) +
                   " is no header Vantrel knows, nor " + WithArticle(KindsValue(kinds)) +
                   "; --prefer reads " + KnownBoardFormatsText());
  }
  BoardValues board;
  board.format = "a plain list of values";
  for (const CsvRecord& record : csv.records) {
    const auto value = PlainValue(record.text, kinds);
    if (!value) {
      board.skipped.push_back(
          {SheetSource(name, record.line), record.text, {}, "no " + KindsValue(kinds)});
      continue;
    }
    board.values[static_cast<std::size_t>(value->first->part)].push_back(value->second);
  }
  Sort(board);
  return board;
}

BoardValues ReadBoardFile(IFileService& files, const std::string& path,
                          const std::vector<const StockKind*>& kinds) {
  if (path.ends_with(".kicad_sch")) return ReadKicadBoard(files, path);
  auto opened = files.OpenForRead(path);
  if (!opened) {
    const std::string what = files.NotRegularFile(path);
    return Refused(Quoted(path) +
                   " cannot be read: " + (what.empty() ? files.LastFailure() : what));
  }
  const std::string bytes = opened->Read(kInventoryByteLimit + 1);
  opened->Close();
  return ReadBoardValues(bytes, path, kinds);
}

}  // namespace vantrel::drawer
