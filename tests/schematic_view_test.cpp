#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QtTest>

#include "schematic_view.h"

using vantrel::SchematicView;
using vantrel::networks::Network;
using vantrel::networks::Shape;

namespace {

const std::vector<std::string> kNames{"560", "3k", "510", "18k"};

// How much of the image is drawn, in pixels' worth of ink: antialiased edges count in part.
double Ink(const QImage& image, const QColor& ink, const QColor& paper) {
  const double full = ink.lightnessF() - paper.lightnessF();
  double sum = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      sum += (image.pixelColor(x, y).lightnessF() - paper.lightnessF()) / full;
    }
  }
  return sum;
}

}  // namespace

class SchematicViewTest : public QObject {
  Q_OBJECT

 private slots:
  void PaintsInThePaletteAtEitherPixelRatio_data();
  void PaintsInThePaletteAtEitherPixelRatio();
};

void SchematicViewTest::PaintsInThePaletteAtEitherPixelRatio_data() {
  QTest::addColumn<bool>("divider");
  QTest::addColumn<QColor>("ink");
  QTest::addColumn<QColor>("paper");
  QTest::newRow("network, light") << false << QColor(Qt::black) << QColor(Qt::white);
  QTest::newRow("divider, dark") << true << QColor(230, 230, 230) << QColor(30, 30, 30);
}

// Drawn at 1x and 2x, the picture keeps its size in logical pixels, covers about four times
// the device pixels at 2x, and uses the palette's colours; Copy picture hands over the same.
void SchematicViewTest::PaintsInThePaletteAtEitherPixelRatio() {
  QFETCH(bool, divider);
  QFETCH(QColor, ink);
  QFETCH(QColor, paper);
  SchematicView view;
  QPalette palette = view.palette();
  palette.setColor(view.foregroundRole(), ink);
  palette.setColor(view.backgroundRole(), paper);
  view.setPalette(palette);
  QVERIFY(view.Render(1).isNull());

  const Network network{Shape::kSeriesLeafParallelLeafSeries, {0, 1, 2, 3}};
  const Network leg{Shape::kParallel2, {1, 3}};
  if (divider) {
    view.SetDivider(network, leg, kNames);
    QCOMPARE(view.accessibleDescription(),
             "VIN, R1 560 + (3k || (510 + 18k)), VOUT, R2 3k || 18k, ground");
  } else {
    view.SetNetwork(network, kNames);
    QCOMPARE(view.accessibleDescription(), "560 + (3k || (510 + 18k))");
  }
  QCOMPARE(view.accessibleName(), "Circuit");

  const QImage single = view.Render(1);
  const QImage twice = view.Render(2);
  QCOMPARE(single.pixelColor(0, 0), paper);
  QCOMPARE(twice.pixelColor(0, 0), paper);
  QCOMPARE(twice.deviceIndependentSize().toSize(), single.size());
  QVERIFY(single.width() > view.fontMetrics().height() * 4);
  const double inkSingle = Ink(single, ink, paper);
  const double inkTwice = Ink(twice, ink, paper);
  QVERIFY2(inkSingle > 0 && inkTwice > 3 * inkSingle && inkTwice < 5 * inkSingle,
           qPrintable(QString("%1 and %2 ink pixels").arg(inkSingle).arg(inkTwice)));

  // The widget paints the same picture on screen.
  view.resize(view.sizeHint());
  const double inkShown = Ink(view.grab().toImage(), ink, paper);
  QVERIFY2(qAbs(inkShown - inkSingle) < inkSingle / 10,
           qPrintable(QString("%1 shown, %2 rendered").arg(inkShown).arg(inkSingle)));

  // The copy is for documents: black on white, at twice the pixels, never a speck.
  view.CopyPicture();
  const QImage copied = QGuiApplication::clipboard()->image();
  QCOMPARE(copied.pixelColor(0, 0), QColor(Qt::white));
  QVERIFY(copied.width() >= 2 * 16 * qFloor(QFontMetricsF(view.font()).height()));
  QVERIFY(Ink(copied, Qt::black, Qt::white) > 3 * inkSingle);

  view.Clear();
  QVERIFY(view.Render(1).isNull());
  QVERIFY(view.accessibleDescription().isEmpty());
}

QTEST_MAIN(SchematicViewTest)
#include "schematic_view_test.moc"
