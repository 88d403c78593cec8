#include "text_advances.h"

#include <QChar>
#include <QGlyphRun>
#include <QString>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace vantrel {
namespace {

// Characters shaped alone and in pairs as they are in a line: printable, left to right, in the
// Basic Multilingual Plane and not combining.
bool Simple(char16_t c) {
  const QChar ch(c);
  if (ch.isSurrogate() || ch.isMark() || !ch.isPrint()) return false;
  switch (ch.direction()) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirRLI:
    case QChar::DirAN:
      return false;
    default:
      return true;
  }
}

}  // namespace

std::optional<qreal> TextAdvances::Summed(QStringView text) {
  qreal width = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    const qreal pair = i > 0 && Simple(c) ? Pair(text[i - 1].unicode(), c) : 0;
    if (!Simple(c) || std::isnan(pair)) return std::nullopt;
    width += Char(c).advance + pair;
  }
  return width;
}

qreal TextAdvances::Of(QStringView text) {
  const std::optional<qreal> summed = Summed(text);
  return summed ? *summed : m_metrics.horizontalAdvance(text.toString());
}

qreal TextAdvances::Line(QStringView text) {
  if (const std::optional<qreal> summed = Summed(text)) {
    const qreal overhang = text.isEmpty() ? 0 : -Char(text.back().unicode()).rightBearing;
    return *summed + std::max<qreal>(0, overhang);
  }
  QTextLayout layout(text.toString(), m_font);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(std::numeric_limits<int>::max());
  layout.endLayout();
  return line.naturalTextWidth();
}

bool TextAdvances::InFont(QStringView text) {
  for (const QChar c : text) {
    if (c.isSurrogate() || !Char(c.unicode()).inFont) return false;
  }
  return true;
}

QByteArray TextAdvances::WrapKey(const QString& text) {
  if (!InFont(text) || !Summed(text)) return {};
  QByteArray key;
  const auto add = [&key](qreal value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
  };
  QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
  qsizetype from = 0;
  for (qsizetype to = breaks.toNextBoundary(); to > from; from = to, to = breaks.toNextBoundary()) {
    const QStringView run = QStringView(text).sliced(from, to - from);
    qsizetype words = run.size();
    while (words > 0 && run[words - 1].isSpace()) --words;
    add(Of(run));
    add(Of(run.first(words)));
    add(words > 0 ? std::min<qreal>(0, Char(run[words - 1].unicode()).rightBearing) : 0);
    add(from > 0 ? Pair(text[from - 1].unicode(), run.front().unicode()) : 0);
  }
  return key;
}

const TextAdvances::Glyph& TextAdvances::Char(char16_t c) {
  auto known = m_chars.constFind(c);
  if (known == m_chars.constEnd()) {
    known = m_chars.insert(c, {m_metrics.horizontalAdvance(QString(QChar(c))),
                               m_metrics.rightBearing(QChar(c)), m_metrics.inFont(QChar(c))});
  }
  return *known;
}

qreal TextAdvances::Pair(char16_t a, char16_t b) {
  const quint32 key = (quint32{a} << 16) | b;
  auto known = m_pairs.constFind(key);
  if (known != m_pairs.constEnd()) return *known;
  const QChar chars[] = {QChar(a), QChar(b)};
  const QString pair(chars, 2);
  // A ligature may be kerned to its neighbours as neither of its characters is ("Afi"),
  // even one as wide as they: a text with one is shaped whole.
  QTextLayout layout(pair, m_font);
  layout.beginLayout();
  layout.createLine().setLineWidth(std::numeric_limits<int>::max());
  layout.endLayout();
  qsizetype glyphs = 0;
  for (const QGlyphRun& run : layout.glyphRuns()) glyphs += run.glyphIndexes().size();
  const qreal adjustment =
      glyphs == 2 ? m_metrics.horizontalAdvance(pair) - Char(a).advance - Char(b).advance
                  : std::numeric_limits<qreal>::quiet_NaN();
  return *m_pairs.insert(key, adjustment);
}

}  // namespace vantrel
