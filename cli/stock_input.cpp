#include "stock_input.h"

#include <algorithm>

#include "cli_app.h"
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
  const std::span<const float> library(table.values.data(), static_cast<std::size_t>(table.count));

  std::vector<float> excludedValues;
  for (double value : excluded) {
    const float stored = RoundToFloat(value);
    if (std::find(library.begin(), library.end(), stored) == library.end()) {
      err << "vantrel-cli: --exclude " << PlainDigits(value) << ": no such library value\n";
    }
    excludedValues.push_back(stored);
  }

  StockInput input;
  input.stock = networks::MakeStock(library, excludedValues);
  const int notAboveZero = input.stock.nonPositive + report.zeroValues;
  if (notAboveZero > 0) {
    err << "vantrel-cli: left out " << notAboveZero << " library value(s) not above 0\n";
  }
  for (double value : input.stock.values)
    input.names.push_back(StockValueText(static_cast<float>(value)));
  return input;
}

}  // namespace vantrel
