#include "clock.h"

#include <ctime>

namespace vantrel {

std::string SystemClock::Today() const {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
  return text;
}

}  // namespace vantrel
