#include "stock_input.h"

#include <algorithm>

#include "cli_app.h"
#include "exact_decimal.h"
#include "library_file.h"
#include "number_text.h"
#include "resistor_notation.h"
#include "text_columns.h"

namespace vantrel {

std::optional<StockInput> LoadStock(Services& services, const std::vector<double>& excluded,
                                    std::ostream& err) {
  LibraryTable table;
  ReadReport report;
  const bool read = ReadLibraryFile(services, table, &report);
  ReportReadNotes(report, err);
  if (!read) return std::nullopt;
  // The values as written, at double precision; the float table is Calculate's.
  std::vector<double> library;
  for (const LinePiece& piece : report.valuePieces) library.push_back(ParseAtof(piece.text));

  std::vector<double> excludedValues;
  for (double value : excluded) {
    if (std::find(library.begin(), library.end(), value) == library.end()) {
      err << "vantrel-cli: --exclude " << PlainDigits(value) << ": no such library value\n";
    }
    excludedValues.push_back(value);
  }

  StockInput input;
  input.stock = networks::MakeStock(library, excludedValues);
  const int notAboveZero = input.stock.nonPositive + report.zeroValues;
  if (notAboveZero > 0) {
    err << "vantrel-cli: left out " << notAboveZero << " library value(s) not above 0\n";
  }
  for (double value : input.stock.values) input.names.push_back(networks::DecimalName(value));
  return input;
}

}  // namespace vantrel
