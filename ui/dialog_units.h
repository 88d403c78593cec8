#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>

#include "dialog_templates.h"

namespace vantrel {

// The font of the program's windows: 9-point SimSun ("宋体"); where it is not installed, the
// Ming face AR PL UMing, which has SimSun's metrics at this size, or WenQuanYi Zen Hei.
QFont DialogFont();

// Converts dialog units to pixels by the window font's average character width and height, so
// that a window keeps its proportions whatever font it gets.
class DialogUnits {
 public:
  explicit DialogUnits(const QFontMetrics& metrics);

  QRect ToPixels(const DialogRect& rect) const;

 private:
  int m_baseX;  // average character width in pixels, four dialog units
  int m_baseY;  // character height in pixels, eight dialog units
};

}  // namespace vantrel
