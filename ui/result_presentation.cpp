#include "result_presentation.h"

#include <algorithm>

#include "number_text.h"

namespace vantrel {

std::vector<std::string> DisplayNumberChoices(std::int32_t count) {
  std::vector<std::string> choices;
  choices.push_back(FormatFixed(std::min(count, 10), 0));
  for (const std::int32_t step : {20, 40, 50, 80}) {
    if (count > step) choices.push_back(FormatFixed(step, 0));
  }
  if (count > 10) choices.push_back(FormatFixed(count, 0));
  return choices;
}

std::vector<std::array<std::string, 4>> ListedRows(const ResultTable& table,
                                                   std::string_view choiceText) {
  // The choices come from the result count, which never exceeds the table; the clamp keeps
  // a choice that somehow does from reading past it.
  const int rows = std::clamp(ParseAtoi(choiceText), 0, ResultTable::kSlots);
  std::vector<std::array<std::string, 4>> listed;
  for (int i = 0; i < rows; ++i) {
    const ResultRow& row = table.rows[static_cast<std::size_t>(i)];
    listed.push_back({FormatFixed(row.value, 3), FormatFixed(row.resistor1, 3),
                      FormatFixed(row.resistor2, 3), FormatFixed(row.precision, 3)});
  }
  return listed;
}

}  // namespace vantrel
