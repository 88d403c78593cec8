#pragma once

#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QStringView>
#include <optional>

namespace vantrel {

// How wide the font lays a line of text out, as QFontMetricsF::horizontalAdvance and a text
// layout say, for the thousands of short texts of a list: each character's advance and each
// pair's adjustment (kerning) are shaped once, and a text sums them. A text whose shaping may
// reach past a pair (marks, characters outside the Basic Multilingual Plane, controls,
// right-to-left scripts, ligatures) is shaped whole. The tests hold the sums to Qt's own.
class TextAdvances {
 public:
  explicit TextAdvances(const QFont& font) : m_font(font), m_metrics(font) {}

  // The text's advance.
  qreal Of(QStringView text);
  // How wide a line of text is drawn: its advance and as far as its last glyph reaches past it.
  qreal Line(QStringView text);
  // Whether the font itself has every character of text, so that a line of it is as high as
  // any other such line, with none of a fallback font's.
  bool InFont(QStringView text);
  // A key equal for texts that a line of any width wraps alike and as high: the advances of
  // the runs between their break opportunities, with and without their trailing spaces, how far
  // each run's last glyph reaches past its advance, and the adjustment between a run and the
  // one before. Empty for a text the font does not hold whole or whose advance is not such a sum.
  QByteArray WrapKey(const QString& text);

 private:
  struct Glyph {
    qreal advance;
    qreal rightBearing;  // negative where the glyph reaches past its advance
    bool inFont;
  };
  // The text's advance as the sum of its characters' and pairs', where that holds.
  std::optional<qreal> Summed(QStringView text);
  const Glyph& Char(char16_t c);
  qreal Pair(char16_t a, char16_t b);

  QFont m_font;
  QFontMetricsF m_metrics;
  QHash<char16_t, Glyph> m_chars;
  QHash<quint32, qreal> m_pairs;  // the pair's advance less its characters'; NaN for a ligature
};

}  // namespace vantrel
