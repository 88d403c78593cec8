#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vantrel::testing {

// Whether a search's rows are the yardstick's, one for one; if not, names the first row that
// differs rather than printing two long lists.
template <class Row>
::testing::AssertionResult SameRows(const std::vector<Row>& fast, const std::vector<Row>& plain) {
  const auto [f, p] = std::mismatch(fast.begin(), fast.end(), plain.begin(), plain.end());
  if (f == fast.end() && p == plain.end()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "row " << (f - fast.begin()) << " of " << fast.size() << " / " << plain.size()
         << ": fast " << (f == fast.end() ? std::string("none") : ::testing::PrintToString(*f))
         << ", plain " << (p == plain.end() ? std::string("none") : ::testing::PrintToString(*p));
}

}  // namespace vantrel::testing
