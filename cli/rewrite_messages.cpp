#include "rewrite_messages.h"

#include <string>
#include <vector>

namespace vantrel {
namespace {

std::string QuotedList(const std::vector<std::string>& pieces) {
  std::string list;
  for (const std::string& piece : pieces) {
    if (!list.empty()) list += ", ";
    list += '"' + piece + '"';
  }
  return list;
}

std::string Trimmed(const std::string& piece) {
  const std::size_t begin = piece.find_first_not_of(" \t\n\v\f\r");
  if (begin == std::string::npos) return {};
  return piece.substr(begin, piece.find_last_not_of(" \t\n\v\f\r") - begin + 1);
}

}  // namespace

void ReportDropped(const RewriteReport& report, std::ostream& err) {
  std::vector<std::string> unused;
  for (const std::string& piece : report.read.unusedPieces) {
    std::string trimmed = Trimmed(piece);
    if (!trimmed.empty()) unused.push_back(std::move(trimmed));
  }
  if (!unused.empty()) {
    err << "dropped " << unused.size()
        << " line(s) that are no number or zero: " << QuotedList(unused) << '\n';
  }
  if (!report.read.infinitePieces.empty()) {
    std::vector<std::string> infinite;
    for (const std::string& piece : report.read.infinitePieces) infinite.push_back(Trimmed(piece));
    err << "dropped " << infinite.size()
        << " value(s) beyond the float range: " << QuotedList(infinite) << '\n';
  }
  if (report.duplicatesRemoved > 0) {
    err << "dropped " << report.duplicatesRemoved << " duplicate value(s)\n";
  }
}

}  // namespace vantrel
