#pragma once

#include <string>

namespace vantrel {

// The date, reached through the services so that tests can fix it.
class IClock {
 public:
  virtual ~IClock() = default;
  // Today's date in UTC, "2026-12-09".
  virtual std::string Today() const = 0;
};

// The system's clock.
class SystemClock final : public IClock {
 public:
  std::string Today() const override;
};

}  // namespace vantrel
