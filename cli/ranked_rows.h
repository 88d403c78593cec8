#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace vantrel {

// Up to this many rows are held and printed from memory; more are found again for each of
// the table's passes (digits, widths, printing), so memory stays flat.
inline constexpr std::uint64_t kHeldRows = std::uint64_t{1} << 18;

// The first rows of a ranked search. search(limit, take) gives take at most limit rows in
// rank order; it runs once more for each pass when there are too many rows to hold.
template <class Row>
class RankedRows {
 public:
  using Take = std::function<void(const Row&)>;
  using Search = std::function<void(std::uint64_t limit, const Take& take)>;

  RankedRows(Search search, std::uint64_t limit) : m_search(std::move(search)), m_limit(limit) {
    m_search(std::min(limit, kHeldRows + 1), [this](const Row& row) { m_held.push_back(row); });
    m_streamed = m_held.size() > kHeldRows;
    if (m_streamed) m_held = {};
  }

  bool Empty() const { return m_held.empty() && !m_streamed; }

  // Calls take(rank, row) for every row, ranks counted from 1.
  template <class RankedTake>
  void ForEach(const RankedTake& take) const {
    std::uint64_t rank = 0;
    if (m_streamed) {
      m_search(m_limit, [&](const Row& row) { take(++rank, row); });
    } else {
      for (const Row& row : m_held) take(++rank, row);
    }
  }

 private:
  Search m_search;
  std::uint64_t m_limit;
  std::vector<Row> m_held;
  bool m_streamed = false;
};

}  // namespace vantrel
