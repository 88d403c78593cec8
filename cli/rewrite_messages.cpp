#include "rewrite_messages.h"

#include <string>
#include <string_view>
#include <vector>

#include "number_text.h"
#include "stock_load.h"

namespace vantrel {
namespace {

std::string QuotedList(const std::vector<std::string_view>& pieces) {
  std::string list;
  for (std::string_view piece : pieces) {
    if (!list.empty()) list += ", ";
    list += '"';
    list += piece;
    list += '"';
  }
  return list;
}

}  // namespace

void ReportReadNotes(const ReadReport& report, std::ostream& err) {
  for (const std::string& note : finder::ReadNotes(report)) err << note << '\n';
}

void ReportDropped(const RewriteReport& report, std::ostream& err) {
  std::vector<std::string_view> unused;
  for (const LinePiece& piece : report.read.unusedPieces) {
    if (!piece.Trimmed().empty()) unused.push_back(piece.Trimmed());
  }
  if (!unused.empty()) {
    err << "dropped " << CountText(unused.size(), "line")
        << " that are no number or zero: " << QuotedList(unused) << '\n';
  }
  if (!report.read.infinitePieces.empty()) {
    std::vector<std::string_view> infinite;
    for (const LinePiece& piece : report.read.infinitePieces) infinite.push_back(piece.Trimmed());
    err << "dropped " << CountText(infinite.size(), "value")
        << " beyond the float range: " << QuotedList(infinite) << '\n';
  }
  std::size_t duplicates = 0;
  std::vector<std::string_view> sameText;
  for (const RepeatedLine& repeat : report.repeats) {
    if (repeat.sameValue) {
      ++duplicates;
    } else {
      sameText.push_back(repeat.piece.Trimmed());
    }
  }
  if (duplicates > 0) err << "dropped " << CountText(duplicates, "duplicate value") << '\n';
  if (!sameText.empty()) {
    err << "dropped " << CountText(sameText.size(), "value")
        << " that two decimals write like a smaller one: " << QuotedList(sameText) << '\n';
  }
}

}  // namespace vantrel
