#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "result_table.h"

namespace vantrel {

// The display-count choices for a result count, in order: the count itself up to 10; past that
// 10, then 20, 40, 50 and 80 where the count exceeds them, then the count.
std::vector<std::string> DisplayNumberChoices(std::int32_t count);

// The cell texts of the rows to list for a display-count choice: the first atoi(choiceText)
// slots of table, whatever its count, each field formatted "%.3f" in column order.
std::vector<std::array<std::string, 4>> ListedRows(const ResultTable& table,
                                                   std::string_view choiceText);

}  // namespace vantrel
