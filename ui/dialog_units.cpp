#include "dialog_units.h"

#include <QStringList>
#include <cmath>

namespace vantrel {
namespace {

int ScaleRounded(int value, int numerator, int denominator) {
  return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

// The width of the 52 Latin letters over 52, rounded, as Windows measures a dialog font.
int AverageCharWidth(const QFontMetrics& metrics) {
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return (letters / 26 + 1) / 2;
}

}  // namespace

QFont DialogFont() {
  QFont font;
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                    QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei")});
  font.setPointSize(9);
  return font;
}

DialogUnits::DialogUnits(const QFontMetrics& metrics)
    : m_baseX(AverageCharWidth(metrics)), m_baseY(metrics.height()) {}

QRect DialogUnits::ToPixels(const DialogRect& rect) const {
  return {ScaleRounded(rect.x, m_baseX, 4), ScaleRounded(rect.y, m_baseY, 8),
          ScaleRounded(rect.cx, m_baseX, 4), ScaleRounded(rect.cy, m_baseY, 8)};
}

}  // namespace vantrel
