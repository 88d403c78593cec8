#include "library_rewrite.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel {
namespace {

std::string LineAndText(const LinePiece& piece) {
  return "line " + std::to_string(piece.line) + " \"" + std::string(piece.Trimmed()) + '"';
}

std::string RefusedMessage(const StockKind& kind, const RefusedPiece& refused) {
  return std::string(kind.fileName) + " was not rewritten: " + LineAndText(refused.piece) + " is " +
         refused.why + ". Write the value in " + std::string(kind.name) +
         " notation and try again.";
}

std::string NotationMessage(const NotationPiece& notation) {
  return "ResistorLibrary.txt was not rewritten: " + LineAndText(notation.piece) +
         " would be read as " + PlainDigits(notation.readAs) +
         ". Write the value in plain digits (" + PlainDigits(notation.written) + ") and try again.";
}

std::string WrittenAsZeroMessage(const LinePiece& piece, std::string_view text) {
  return "ResistorLibrary.txt was not rewritten: " + LineAndText(piece) +
         " would be written with two decimals as " + std::string(text) +
         ", which reads as no value. Keep the library in a smaller unit or remove the line, and "
         "try again.";
}

// True when the file holds text but no value: rewriting it would leave it empty. A blank file
// is no loss.
bool HoldsOnlyText(const ReadReport& read) {
  if (!read.valuePieces.empty()) return false;
  const auto holdsText = [](const LinePiece& piece) { return !piece.Trimmed().empty(); };
  return std::any_of(read.unusedPieces.begin(), read.unusedPieces.end(), holdsText) ||
         std::any_of(read.infinitePieces.begin(), read.infinitePieces.end(), holdsText);
}

bool IsZeroText(std::string_view text) {
  return text == "0.00" || text == "-0.00";
}

// Keeps the first of ascending values that two decimals write alike; returns how many stay.
std::size_t KeepOnePerText(float* values, std::size_t count) {
  std::size_t kept = 0;
  std::string previous;
  for (std::size_t i = 0; i < count; ++i) {
    std::string text = FormatFixed(values[i], 2);
    if (kept > 0 && text == previous) continue;
    values[kept++] = values[i];
    previous = std::move(text);
  }
  return kept;
}

}  // namespace

const char* IncompleteReadMessage(const ReadReport& report) {
  if (report.fileTooLong) return kLibraryTooLongMessage;
  if (report.valuesBeyondTable > 0) return kLibraryTooManyMessage;
  if (report.textAfterNul) return kLibraryNulMessage;
  return nullptr;
}

void PlanRewrite(LibraryTable& table, RewriteReport& report) {
  const std::vector<LinePiece>& pieces = report.read.valuePieces;
  const auto count = static_cast<std::size_t>(table.count);
  std::vector<std::string> texts(count);
  for (std::size_t i = 0; i < count; ++i) {
    texts[i] = FormatFixed(table.values[i], 2);
    if (IsZeroText(texts[i])) report.writtenAsZero.push_back(pieces[i]);
  }

  // In ascending order equal texts are neighbours; the first line of the smallest value stays.
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return table.values[a] < table.values[b]; });
  for (std::size_t k = 1, kept = order.empty() ? 0 : order[0]; k < count; ++k) {
    const std::size_t i = order[k];
    if (texts[i] != texts[kept]) {
      kept = i;
      continue;
    }
    report.repeats.push_back({pieces[i], pieces[kept].line, table.values[i] == table.values[kept]});
  }
  std::stable_sort(
      report.repeats.begin(), report.repeats.end(),
      [](const RepeatedLine& a, const RepeatedLine& b) { return a.piece.line < b.piece.line; });

  NormaliseLibrary(table);
  table.count = static_cast<std::int32_t>(
      KeepOnePerText(table.values.data(), static_cast<std::size_t>(table.count)));
  report.text = LibraryFileText(table.values.data(), table.count);

  if (const char* message = IncompleteReadMessage(report.read)) {
    report.refusal = message;
  } else if (!report.read.notationPieces.empty()) {
    report.refusal = NotationMessage(report.read.notationPieces.front());
  } else if (!report.read.refusedPieces.empty()) {
    report.refusal = RefusedMessage(kResistors, report.read.refusedPieces.front());
  } else if (HoldsOnlyText(report.read)) {
    report.refusal = kLibraryNoValueMessage;
  } else if (!report.writtenAsZero.empty()) {
    const LinePiece& first = report.writtenAsZero.front();
    report.refusal = WrittenAsZeroMessage(first, FormatFixed(ParseAtof(first.text), 2));
  } else if (report.text.size() > kLibraryReadLimit) {
    report.refusal = kLibraryWouldGrowMessage;
  }
}

void PlanRewrite(const StockKind& kind, LibraryTable& table, RewriteReport& report) {
  if (kind.part == PartKind::kResistor) {
    PlanRewrite(table, report);
    return;
  }
  const std::vector<LinePiece>& pieces = report.read.valuePieces;
  const std::vector<double>& values = report.read.valuesAsRead;
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  std::vector<double> kept;
  for (std::size_t k = 0, first = 0; k < order.size(); ++k) {
    const std::size_t i = order[k];
    if (k > 0 && values[i] == values[first]) {
      report.repeats.push_back({pieces[i], pieces[first].line, true});
      continue;
    }
    first = i;
    kept.push_back(values[i]);
  }
  std::stable_sort(
      report.repeats.begin(), report.repeats.end(),
      [](const RepeatedLine& a, const RepeatedLine& b) { return a.piece.line < b.piece.line; });
  table.count = static_cast<std::int32_t>(kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) table.values[i] = RoundToFloat(kept[i]);
  report.text = KindFileText(kind, kept);

  if (const char* message = IncompleteReadMessage(report.read)) {
    report.refusal = KindMessage(kind, message);
  } else if (!report.read.refusedPieces.empty()) {
    report.refusal = RefusedMessage(kind, report.read.refusedPieces.front());
  } else if (HoldsOnlyText(report.read)) {
    report.refusal = KindMessage(kind, kLibraryNoValueMessage);
  } else if (report.text.size() > kLibraryReadLimit) {
    report.refusal = KindMessage(kind, kKindWouldGrowMessage);
  }
}

namespace {

// Joins added, in the held unit, to kind's planned values; equal values are kept once.
void PlanKindMerge(const StockKind& kind, LibraryTable& table, RewriteReport& report,
                   std::span<const double> added) {
  std::vector<double> merged(report.read.valuesAsRead);
  merged.insert(merged.end(), added.begin(), added.end());
  std::sort(merged.begin(), merged.end());
  merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
  if (merged.size() > static_cast<std::size_t>(LibraryTable::kCapacity)) {
    report.refusal = KindMessage(kind, kLibraryMergeTooManyMessage);
    return;
  }
  report.valuesAdded = static_cast<std::int32_t>(merged.size()) - table.count;
  for (std::size_t i = 0; i < merged.size(); ++i) table.values[i] = RoundToFloat(merged[i]);
  table.count = static_cast<std::int32_t>(merged.size());
  report.text = KindFileText(kind, merged);
  if (report.text.size() > kLibraryReadLimit) {
    report.refusal = KindMessage(kind, kKindWouldGrowMessage);
  }
}

// Joins added to the planned table, ascending; of values that two decimals write alike the
// smallest stays, as in the plan.
void PlanMerge(LibraryTable& table, RewriteReport& report, std::span<const float> added) {
  std::vector<float> merged(table.values.begin(), table.values.begin() + table.count);
  merged.insert(merged.end(), added.begin(), added.end());
  std::stable_sort(merged.begin(), merged.end());
  std::vector<float> kept = std::move(merged);
  kept.resize(KeepOnePerText(kept.data(), kept.size()));
  if (kept.size() > static_cast<std::size_t>(LibraryTable::kCapacity)) {
    report.refusal = kLibraryMergeTooManyMessage;
    return;
  }
  report.valuesAdded = static_cast<std::int32_t>(kept.size()) - table.count;
  std::copy(kept.begin(), kept.end(), table.values.begin());
  table.count = static_cast<std::int32_t>(kept.size());
  report.text = LibraryFileText(table.values.data(), table.count);
  if (report.text.size() > kLibraryReadLimit) report.refusal = kLibraryWouldGrowMessage;
}

// One read, normalisation and write; sets changed when another program changed the file
// between the read and the write, which then did not happen.
bool RewriteOnce(Services& services, const StockKind& kind, LibraryTable& table,
                 std::span<const float> added, std::span<const double> heldAdded,
                 RewriteReport& out, bool& changed) {
  out = {};
  if (!ReadLibraryFile(services, kind, table, &out.read)) return false;
  PlanRewrite(kind, table, out);
  if (out.refusal.empty() && !added.empty()) PlanMerge(table, out, added);
  if (out.refusal.empty() && !heldAdded.empty()) PlanKindMerge(kind, table, out, heldAdded);
  if (!out.refusal.empty()) {
    services.messages.Show({out.refusal});
    return false;
  }
  const ReplaceOutcome outcome =
      services.files.ReplaceFile(std::string(kind.path), out.text, out.read.identity);
  changed = outcome == ReplaceOutcome::kChanged;
  if (outcome == ReplaceOutcome::kCannotCreate) services.messages.Show({WriteErrorMessage(kind)});
  return outcome == ReplaceOutcome::kReplaced;
}

// Rewrites kind's file with added (resistors) or heldAdded (the other kinds) joined.
bool Rewrite(Services& services, const StockKind& kind, LibraryTable& table,
             std::span<const float> added, std::span<const double> heldAdded,
             RewriteReport* report) {
  RewriteReport local;
  RewriteReport& out = report ? *report : local;
  for (int attempt = 0; attempt < kRewriteAttempts; ++attempt) {
    bool changed = false;
    const bool rewritten = RewriteOnce(services, kind, table, added, heldAdded, out, changed);
    if (!changed) return rewritten;
  }
  services.messages.Show({KindMessage(kind, kLibraryChangedMessage)});
  return false;
}

}  // namespace

bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report) {
  return Rewrite(services, kResistors, table, {}, {}, report);
}

bool RewriteLibraryFile(Services& services, const StockKind& kind, LibraryTable& table,
                        RewriteReport* report) {
  return Rewrite(services, kind, table, {}, {}, report);
}

bool MergeIntoLibraryFile(Services& services, LibraryTable& table, std::span<const float> added,
                          RewriteReport* report) {
  return Rewrite(services, kResistors, table, added, {}, report);
}

bool MergeIntoLibraryFile(Services& services, const StockKind& kind, LibraryTable& table,
                          std::span<const double> added, RewriteReport* report) {
  if (kind.part != PartKind::kResistor) return Rewrite(services, kind, table, {}, added, report);
  std::vector<float> rounded;
  for (double value : added) rounded.push_back(RoundToFloat(value));
  return Rewrite(services, kind, table, rounded, {}, report);
}

}  // namespace vantrel
