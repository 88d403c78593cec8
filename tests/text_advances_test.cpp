#include <QFontMetricsF>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QTextLayout>
#include <QtTest>

#include <cmath>
#include <map>
#include <random>

#include "text_advances.h"

using vantrel::TextAdvances;

namespace {

// Texts as a list's cells and words spell them, with a few the font has no glyph for.
QString RandomCell(std::mt19937& rng) {
  static const QStringList kPieces = {
      "0",   "1",   "2",    "3",  "4",       "5",          "6",           "7",    "8",   "9",
      ".",   "k",   "M",    "m",  "µ",       "u",          "n",           "p",    "Ω",   "F",
      "Hz",  "V",   "A",    "%",  "s",       " ",          " ",           " ",    " + ", " || ",
      " / ", "−",   "+",    "±",  "…",       "×",          "fi",          "W",    "AV",  "To",
      "yj",  "1 %", "0603", "A1", "(",       ")",          ", ",          "IADJ", "→",   "–",
      "≤",   "°C",  "ppm",  "ﬁ",  "e\u0301", "\U0001F50B", "\u05D0\u05D1"};
  const int pieces = 1 + static_cast<int>(rng() % 12);
  QString text;
  for (int i = 0; i < pieces; ++i) text += kPieces[static_cast<qsizetype>(rng() % kPieces.size())];
  return text;
}

// The same text with other digits: alike in the font's eyes where digits are as wide.
QString OtherDigits(QString text, std::mt19937& rng) {
  for (QChar& c : text) {
    if (c.isDigit()) c = QChar(u'0' + static_cast<char16_t>(rng() % 10));
  }
  return text;
}

// A list view whose item options are those the list lays its rows out with.
class View : public QTableView {
 public:
  QStyleOptionViewItem Options() {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return option;
  }
};

std::vector<QFont> Fonts() {
  QFont bold = QApplication::font();
  bold.setBold(true);
  QFont italic = QApplication::font();
  italic.setItalic(true);  // glyphs that reach past their advance
  QFont large = QApplication::font();
  large.setPointSizeF(large.pointSizeF() * 2.5);
  return {QApplication::font(), bold, italic, large};
}

}  // namespace

class TextAdvancesTest : public QObject {
  Q_OBJECT

 private slots:
  void SumsAsTheFontLaysTextOut();
  void TextsOfOneKeyWrapAlike();
};

// The yardstick is Qt shaping each text whole, and laying it out on one line.
void TextAdvancesTest::SumsAsTheFontLaysTextOut() {
  std::mt19937 rng(20261209);
  for (const QFont& font : Fonts()) {
    TextAdvances advances(font);
    const QFontMetricsF metrics(font);
    for (int i = 0; i < 3000; ++i) {
      const QString text = RandomCell(rng).trimmed();
      QTextLayout layout(text, font);
      layout.beginLayout();
      QTextLine line = layout.createLine();
      line.setLineWidth(1e6);
      const qreal natural = line.naturalTextWidth();
      layout.endLayout();
      QVERIFY2(
          advances.Line(text) == natural,
          qPrintable(
              QString("\"%1\": %2, drawn %3").arg(text).arg(advances.Line(text)).arg(natural)));
      QVERIFY2(advances.Of(text) == metrics.horizontalAdvance(text),
               qPrintable(QString("\"%1\": %2, laid out %3")
                              .arg(text)
                              .arg(advances.Of(text))
                              .arg(metrics.horizontalAdvance(text))));
    }
  }
}

// Laid out by the list's delegate at random widths, texts with one key are as high, and a text
// the font holds whole that fits on a line is a line high.
void TextAdvancesTest::TextsOfOneKeyWrapAlike() {
  std::mt19937 rng(9122026);
  for (const QFont& font : Fonts()) {
    View view;
    view.setFont(font);
    view.setWordWrap(true);
    QStandardItemModel model(1, 1);
    view.setModel(&model);
    const QModelIndex index = model.index(0, 0);
    TextAdvances advances(font);
    const int margins =
        2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1);
    const auto height = [&](const QString& text, int width) {
      model.setData(index, text);
      QStyleOptionViewItem option = view.Options();
      option.rect.setSize({width, 10});
      return view.itemDelegate()->sizeHint(option, index).height();
    };
    const int oneLine = height("0", 1000);
    std::map<std::pair<QByteArray, int>, std::pair<QString, int>> seen;
    int shared = 0;
    QString text;
    int width = 0;
    for (int i = 0; i < 4000; ++i) {
      // Every other text is the one before with other digits, at its width.
      if (i % 2 == 0) {
        text = RandomCell(rng);
        width = 8 + static_cast<int>(rng() % 120);
      } else {
        text = OtherDigits(text, rng);
      }
      const int high = height(text, width);
      if (advances.InFont(text) && std::ceil(advances.Line(text)) + margins <= width) {
        QVERIFY2(high == oneLine,
                 qPrintable(QString("\"%1\" at %2 px: %3 high").arg(text).arg(width).arg(high)));
      }
      const QByteArray key = advances.WrapKey(text);
      if (key.isEmpty()) continue;
      const auto [at, first] = seen.insert({{key, width}, {text, high}});
      if (first) continue;
      ++shared;
      QVERIFY2(
          at->second.second == high,
          qPrintable(QString("\"%1\" and \"%2\" at %3 px").arg(at->second.first, text).arg(width)));
    }
    // The check compares texts, not only each with itself.
    QVERIFY(shared > 100);
  }
}

QTEST_MAIN(TextAdvancesTest)
#include "text_advances_test.moc"
