#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::finder {

// The values of a list typed in one field, "4k7, 10k 22k": the pieces between commas and
// white space, in order, empty pieces left out. A value with a space inside ("1 k") is two
// pieces here; "1k" is one.
std::vector<std::string> SplitValueList(std::string_view text);

}  // namespace vantrel::finder
