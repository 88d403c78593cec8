#include "inventory_file.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "csv_records.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "part_text.h"
#include "utf8.h"

namespace vantrel::drawer {
namespace {

constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";

constexpr std::array<std::string_view, kInventoryColumnCount> kColumnNames = {
    "kind", "value",   "quantity", "tolerance",   "power",
    "tcr",  "package", "location", "part_number", "note"};

// The field of the record in the column of role, empty where the header does not name it.
std::string_view Known(const std::array<std::string_view, kInventoryColumnCount>& known,
                       ImportRole role) {
  return known[static_cast<std::size_t>(role)];
}

int KindOrder(const StockKind& kind) {
  return static_cast<int>(kind.part);
}

// The line of text the byte at offset is on, counted from 1 as the reader counts them.
int LineAt(std::string_view text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
      ++line;
  }
  return line;
}

// Reads one field that may be empty; a problem is named after its column.
template <class T, class Read>
bool ReadOptional(std::string_view text, std::string_view column, Read read,
                  std::optional<T>& value, std::string& kept, std::string& reason) {
  kept = TrimCSpace(text);
  if (kept.empty()) return true;
  auto field = read(kept);
  if (!field.value) {
    reason = std::string(column) + " " + Quoted(kept) + ": " + field.refusal;
    return false;
  }
  value = field.value;
  return true;
}

// The row a record of the file holds, or a problem's reason.
std::optional<InventoryRow> ReadRow(const CsvRecord& record, const std::vector<int>& roles,
                                    std::size_t extraCount, std::string& reason) {
  if (record.fields.size() > roles.size()) {
    reason = "more fields (" + std::to_string(record.fields.size()) + ") than the header names (" +
             std::to_string(roles.size()) + ")";
    return std::nullopt;
  }
  std::array<std::string_view, kInventoryColumnCount> known{};
  InventoryRow row;
  row.line = record.line;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    if (roles[i] >= 0) {
      known[static_cast<std::size_t>(roles[i])] = record.fields[i];
    } else {
      row.extra.push_back(record.fields[i]);
    }
  }
  row.extra.resize(extraCount);
  const StockKind* kind = KindOfLetter(Known(known, ImportRole::kKind));
  if (!kind) {
    reason = "kind " + Quoted(TrimCSpace(Known(known, ImportRole::kKind))) + " is not R, C or L";
    return std::nullopt;
  }
  row.kind = kind;
  row.valueText = TrimCSpace(Known(known, ImportRole::kValue));
  const PartField<double> value = ReadPartValue(*kind, row.valueText);
  if (!value.value) {
    reason = "value " + Quoted(row.valueText) + ": " + value.refusal;
    return std::nullopt;
  }
  row.value = *value.value;
  const PartField<std::uint64_t> quantity = ReadCount(Known(known, ImportRole::kQuantity));
  if (!quantity.value) {
    reason = "quantity " + Quoted(TrimCSpace(Known(known, ImportRole::kQuantity))) + ": " +
             quantity.refusal;
    return std::nullopt;
  }
  row.quantity = *quantity.value;
  if (!ReadOptional(Known(known, ImportRole::kTolerance), "tolerance", ReadTolerance, row.tolerance,
                    row.toleranceText, reason) ||
      !ReadOptional(Known(known, ImportRole::kPower), "power", ReadPower, row.power, row.powerText,
                    reason) ||
      !ReadOptional(Known(known, ImportRole::kTcr), "tcr", ReadTcr, row.tcr, row.tcrText, reason)) {
    return std::nullopt;
  }
  row.package = TrimCSpace(Known(known, ImportRole::kPackage));
  row.location = TrimCSpace(Known(known, ImportRole::kLocation));
  row.partNumber = TrimCSpace(Known(known, ImportRole::kPartNumber));
  row.note = TrimCSpace(Known(known, ImportRole::kNote));
  return row;
}

std::string FirstProblem(const Inventory& inventory) {
  if (!inventory.refusal.empty()) return inventory.refusal;
  const InventoryProblem& first = inventory.problems.front();
  std::string text =
      "line " + std::to_string(first.line) + " cannot be read (" + first.reason + ")";
  if (inventory.problems.size() > 1)
    text += ", nor " + std::to_string(inventory.problems.size() - 1) + " more line(s)";
  return text + "; vantrel-cli check --inventory names them";
}

}  // namespace

InventoryRow::ClassKey InventoryRow::Class() const {
  return {KindOrder(*kind), value, tolerance, power, MatchKey(package)};
}

std::vector<const InventoryRow*> Inventory::InStock(const StockKind& kind) const {
  std::vector<const InventoryRow*> rowsOfKind;
  for (const InventoryRow& row : rows) {
    if (row.kind == &kind && row.quantity > 0) rowsOfKind.push_back(&row);
  }
  return rowsOfKind;
}

Inventory ParseInventory(std::string_view bytes, std::string_view name) {
  Inventory inventory;
  const std::string file(name);
  if (bytes.size() > kInventoryByteLimit) {
    inventory.refusal = file + " is longer than 1 MB (" + std::to_string(kInventoryByteLimit) +
                        " bytes), more than an inventory holds";
    return inventory;
  }
  std::string_view text = bytes;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  if (const std::size_t bad = FirstNonUtf8(text); bad != std::string_view::npos) {
    inventory.refusal = file + " is not UTF-8 text: line " + std::to_string(LineAt(text, bad)) +
                        " holds a byte that is no UTF-8";
    return inventory;
  }
  CsvText csv = ReadCsvRecords(text, ',', CsvComments::kEvery, CsvLineBreaks::kNever);
  for (CsvFault& fault : csv.faults) {
    inventory.problems.push_back({fault.line, std::move(fault.text), fault.reason});
  }
  if (csv.records.empty()) {
    for (CsvComment& comment : csv.comments) inventory.headComments.push_back(comment.text);
    return inventory;
  }
  if (csv.records.size() - 1 > kInventoryRowLimit) {
    inventory.refusal = file + " holds " + std::to_string(csv.records.size() - 1) +
                        " rows, more than the " + std::to_string(kInventoryRowLimit) +
                        " an inventory may hold";
    inventory.problems.clear();
    return inventory;
  }
  // The header: each known column once, in any order and case; the others are kept.
  const CsvRecord& header = csv.records.front();
  std::vector<int> roles;
  std::set<int> seen;
  for (const std::string& field : header.fields) {
    const auto known = std::find(kColumnNames.begin(), kColumnNames.end(), MatchKey(field));
    if (known == kColumnNames.end()) {
      roles.push_back(-1);
      inventory.extraColumns.push_back(field);
      continue;
    }
    const int role = static_cast<int>(known - kColumnNames.begin());
    if (!seen.insert(role).second) {
      inventory.refusal = file + " line " + std::to_string(header.line) + ": the header names " +
                          std::string(*known) + " twice";
      return inventory;
    }
    roles.push_back(role);
  }
  if (!seen.contains(static_cast<int>(ImportRole::kKind)) ||
      !seen.contains(static_cast<int>(ImportRole::kValue)) ||
      !seen.contains(static_cast<int>(ImportRole::kQuantity))) {
    inventory.refusal = file + " line " + std::to_string(header.line) + ": " + Quoted(header.text) +
                        " is no inventory header; it names kind, value and quantity, and may "
                        "name tolerance, power, tcr, package, location, part_number and note";
    return inventory;
  }

  std::size_t comment = 0;
  const auto commentsBefore = [&](std::size_t record, std::vector<std::string>& into) {
    for (; comment < csv.comments.size() && csv.comments[comment].beforeRecord <= record;
         ++comment) {
      into.push_back(std::move(csv.comments[comment].text));
    }
  };
  commentsBefore(0, inventory.headComments);
  std::vector<std::string> pending;
  for (std::size_t i = 1; i < csv.records.size(); ++i) {
    commentsBefore(i, pending);
    std::string reason;
    std::optional<InventoryRow> row =
        ReadRow(csv.records[i], roles, inventory.extraColumns.size(), reason);
    if (!row) {
      inventory.problems.push_back({csv.records[i].line, csv.records[i].text, reason});
      continue;
    }
    row->comments = std::move(pending);
    pending.clear();
    inventory.rows.push_back(std::move(*row));
  }
  commentsBefore(csv.records.size(), pending);
  inventory.tailComments = std::move(pending);
  std::stable_sort(inventory.problems.begin(), inventory.problems.end(),
                   [](const auto& a, const auto& b) { return a.line < b.line; });
  if (std::string limit = InventoryLimitProblem(inventory.rows); !limit.empty()) {
    inventory.refusal = file + " " + limit;
  }
  return inventory;
}

std::optional<Inventory> ReadInventory(IFileService& files) {
  auto file = files.OpenForRead(kInventoryPath);
  if (!file) return std::nullopt;
  const std::string bytes = file->Read(kInventoryByteLimit + 1);
  const FileIdentity identity = file->Identity();
  file->Close();
  Inventory inventory = ParseInventory(bytes);
  inventory.identity = identity;
  return inventory;
}

void SortInventory(Inventory& inventory) {
  std::stable_sort(inventory.rows.begin(), inventory.rows.end(),
                   [](const InventoryRow& a, const InventoryRow& b) {
                     const int kindA = KindOrder(*a.kind);
                     const int kindB = KindOrder(*b.kind);
                     return kindA != kindB ? kindA < kindB : a.value < b.value;
                   });
}

std::string InventoryText(const Inventory& inventory) {
  std::string text;
  const auto line = [&](const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) text += ',';
      // A row stays on its line: the reader takes no line break inside quotes.
      std::string field = fields[i];
      std::replace_if(
          field.begin(), field.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
      text += CsvField(field);
    }
    text += "\r\n";
  };
  for (const std::string& comment : inventory.headComments) text.append(comment).append("\r\n");
  std::vector<std::string> header(kColumnNames.begin(), kColumnNames.end());
  header.insert(header.end(), inventory.extraColumns.begin(), inventory.extraColumns.end());
  line(header);
  const auto orMade = [](const std::string& kept, const std::optional<double>& value,
                         std::string (*made)(double)) {
    return !kept.empty() ? kept : value ? made(*value) : std::string();
  };
  for (const InventoryRow& row : inventory.rows) {
    for (const std::string& comment : row.comments) text.append(comment).append("\r\n");
    std::vector<std::string> fields = {
        std::string(KindLetter(*row.kind)),
        row.valueText.empty() ? PartValueText(*row.kind, row.value) : row.valueText,
        std::to_string(row.quantity),
        orMade(row.toleranceText, row.tolerance, ToleranceText),
        orMade(row.powerText, row.power, PowerText),
        orMade(row.tcrText, row.tcr, TcrText),
        row.package,
        row.location,
        row.partNumber,
        row.note};
    fields.insert(fields.end(), row.extra.begin(), row.extra.end());
    fields.resize(header.size());
    line(fields);
  }
  for (const std::string& comment : inventory.tailComments) text.append(comment).append("\r\n");
  return text;
}

std::string InventoryLimitProblem(const std::vector<InventoryRow>& rows) {
  if (rows.size() > kInventoryRowLimit) {
    return "would hold " + std::to_string(rows.size()) + " rows, more than the " +
           std::to_string(kInventoryRowLimit) + " an inventory may hold";
  }
  std::map<const StockKind*, std::set<double>> values;
  for (const InventoryRow& row : rows) values[row.kind].insert(row.value);
  for (const StockKind* kind : kStockKinds) {
    const std::size_t count = values[kind].size();
    if (count > kInventoryValueLimit) {
      return "holds " + std::to_string(count) + " distinct " + std::string(kind->name) +
             " values, more than the " + std::to_string(kInventoryValueLimit) + " a search takes";
    }
  }
  return {};
}

std::string ImportSourceComment(const ImportSource& source) {
  std::string name;
  // The comment stays one line whatever the name holds.
  for (char c : source.name) name += c == '\r' || c == '\n' ? ' ' : c;
  return "# imported " + Quoted(name) + " on " + source.date + " sha256 " + source.sha256;
}

std::optional<std::string> ImportedOn(const Inventory& inventory, std::string_view sha256) {
  const std::string mark = " sha256 " + std::string(sha256);
  const auto dateIn = [&](const std::string& comment) -> std::optional<std::string> {
    if (!comment.starts_with("# imported ") || !comment.ends_with(mark)) return std::nullopt;
    const std::size_t end = comment.size() - mark.size();
    const std::size_t start = comment.rfind(' ', end - 1);
    if (start == std::string::npos || end == 0) return std::nullopt;
    return comment.substr(start + 1, end - start - 1);
  };
  for (const std::vector<std::string>* comments :
       {&inventory.headComments, &inventory.tailComments}) {
    for (const std::string& comment : *comments) {
      if (auto date = dateIn(comment)) return date;
    }
  }
  for (const InventoryRow& row : inventory.rows) {
    for (const std::string& comment : row.comments) {
      if (auto date = dateIn(comment)) return date;
    }
  }
  return std::nullopt;
}

InventoryMerge MergeIntoInventory(IFileService& files, const std::vector<InventoryRow>& rows,
                                  const std::vector<ImportSource>& sources, bool again) {
  InventoryMerge merge;
  const std::string path = kInventoryPath;
  const std::string notWritten = std::string(kInventoryFileName) + " was not written: ";
  for (int attempt = 0; attempt < kRewriteAttempts; ++attempt) {
    merge = {};
    std::optional<Inventory> read = ReadInventory(files);
    if (!read) {
      if (const std::string what = files.NotRegularFile(path); !what.empty()) {
        merge.refusal = notWritten + "it is " + what + ", not a regular file";
        return merge;
      }
      if (files.LastFailure() != MissingFileReason()) {
        merge.refusal = notWritten + "it cannot be read: " + files.LastFailure();
        return merge;
      }
      read.emplace();
      merge.created = true;
    }
    Inventory& inventory = *read;
    if (!inventory.Readable()) {
      merge.refusal = notWritten + FirstProblem(inventory);
      merge.unreadable = inventory.problems.size();
      return merge;
    }
    for (const ImportSource& source : sources) {
      const std::optional<std::string> before = ImportedOn(inventory, source.sha256);
      if (before && !again) {
        merge.refusal = notWritten + Quoted(source.name) +
                        " holds the same bytes as a file "
                        "imported on " +
                        *before + "; --again imports it once more";
        merge.imported = true;
        return merge;
      }
      inventory.headComments.push_back(ImportSourceComment(source));
    }
    // The first row of each class takes the counts of that class.
    std::map<InventoryRow::ClassKey, std::size_t> classes;
    for (std::size_t i = 0; i < inventory.rows.size(); ++i)
      classes.emplace(inventory.rows[i].Class(), i);
    for (const InventoryRow& row : rows) {
      const auto [same, added] = classes.emplace(row.Class(), inventory.rows.size());
      if (added) {
        inventory.rows.push_back(row);
        inventory.rows.back().line = 0;
        inventory.rows.back().extra.resize(inventory.extraColumns.size());
        ++merge.added;
        continue;
      }
      InventoryRow& held = inventory.rows[same->second];
      if (held.quantity + row.quantity > kMostPartQuantity) {
        merge.refusal = notWritten + "the count of " + PartValueText(*row.kind, row.value) +
                        " would pass " + std::to_string(kMostPartQuantity);
        return merge;
      }
      held.quantity += row.quantity;
      ++merge.summed;
    }
    if (const std::string limit = InventoryLimitProblem(inventory.rows); !limit.empty()) {
      merge.refusal = notWritten + "it " + limit;
      return merge;
    }
    SortInventory(inventory);
    merge.rows = inventory.rows.size();
    const std::string text = InventoryText(inventory);
    // A file longer than the reader takes would no longer open.
    if (text.size() > kInventoryByteLimit) {
      merge.refusal = notWritten + "it would be " + std::to_string(text.size()) +
                      " bytes long, more than the 1 MB (" + std::to_string(kInventoryByteLimit) +
                      " bytes) an inventory may hold";
      return merge;
    }
    if (merge.created) {
      const CreateOutcome created = files.CreateFile(path, text);
      if (created == CreateOutcome::kExists) continue;
      merge.cannotCreate = created == CreateOutcome::kCannotCreate;
    } else {
      const ReplaceOutcome replaced = files.ReplaceFile(path, text, inventory.identity);
      if (replaced == ReplaceOutcome::kChanged) continue;
      merge.cannotCreate = replaced == ReplaceOutcome::kCannotCreate;
    }
    if (merge.cannotCreate) merge.refusal = notWritten + "the new file cannot be created";
    return merge;
  }
  merge.refusal = notWritten +
                  "another program changed it each time it was read. Try again once "
                  "that program has finished.";
  return merge;
}

}  // namespace vantrel::drawer
