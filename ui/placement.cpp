#include "placement.h"

#include <algorithm>

namespace vantrel {

QPoint CentredFramePosition(const QRect& area, const QSize& size, int titleBarHeight) {
  const QSize frame(size.width(), size.height() + titleBarHeight);
  const auto place = [](int start, int length, int extent) {
    // Centred, kept from passing the far edge, and then from passing the near one.
    return std::max(start, std::min(start + (length - extent) / 2, start + length - extent));
  };
  return {place(area.x(), area.width(), frame.width()),
          place(area.y(), area.height(), frame.height())};
}

}  // namespace vantrel
