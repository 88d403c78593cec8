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
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QColor>("ink");
  QTest::addColumn<QColor>("paper");
  QTest::addColumn<QString>("description");
  const QColor light[] = {Qt::black, Qt::white};
  const QColor dark[] = {QColor(230, 230, 230), QColor(30, 30, 30)};
  QTest::newRow("network, light") << "network" << light[0] << light[1]
                                  << "560 + (3k || (510 + 18k))";
  QTest::newRow("capacitor network, dark")
      << "capacitor" << dark[0] << dark[1] << "560 + (3k || (510 + 18k))";
  QTest::newRow("inductor network, light")
      << "inductor" << light[0] << light[1] << "560 + (3k || (510 + 18k))";
  QTest::newRow("rc, light") << "rc" << light[0] << light[1]
                             << "IN, 3k || 18k, OUT, 560 + (3k || (510 + 18k)), ground; "
                                "τ = 160 µs";
  QTest::newRow("divider, dark") << "divider" << dark[0] << dark[1]
                                 << "VIN, 560 + (3k || (510 + 18k)), VOUT, 3k || 18k, ground";
  QTest::newRow("regulator, ADJ, light")
      << "adj" << light[0] << light[1]
      << "OUT, 560 + (3k || (510 + 18k)), ADJ, 3k || 18k, ground; VREF across the top leg";
  QTest::newRow("regulator, FB, dark")
      << "fb" << dark[0] << dark[1]
      << "OUT, 560 + (3k || (510 + 18k)), FB, 3k || 18k, ground; VREF across the bottom "
         "leg";
  QTest::newRow("amplifier, non-inverting, dark")
      << "non-inverting" << dark[0] << dark[1]
      << "Non-inverting amplifier: IN at the non-inverting input; OUT, 560 + (3k || (510 + "
         "18k)), inverting input, 3k || 18k, ground";
  QTest::newRow("amplifier, inverting, light")
      << "inverting" << light[0] << light[1]
      << "Inverting amplifier: IN, 3k || 18k, inverting input, 560 + (3k || (510 + 18k)), "
         "OUT; non-inverting input to ground";
}

// Drawn at 1x and 2x, the picture keeps its size in logical pixels, covers about four times
// the device pixels at 2x, and uses the palette's colours; Copy picture hands over the same.
void SchematicViewTest::PaintsInThePaletteAtEitherPixelRatio() {
  QFETCH(QString, kind);
  QFETCH(QColor, ink);
  QFETCH(QColor, paper);
  QFETCH(QString, description);
  SchematicView view;
  QPalette palette = view.palette();
  palette.setColor(view.foregroundRole(), ink);
  palette.setColor(view.backgroundRole(), paper);
  view.setPalette(palette);
  QVERIFY(view.Render(1).isNull());

  const Network network{Shape::kSeriesLeafParallelLeafSeries, {0, 1, 2, 3}};
  const Network leg{Shape::kParallel2, {1, 3}};
  if (kind == "network") {
    view.SetNetwork(network, kNames);
  } else if (kind == "capacitor") {
    view.SetNetwork(network, kNames, vantrel::schematic::PartSymbol::kCapacitor);
  } else if (kind == "inductor") {
    view.SetNetwork(network, kNames, vantrel::schematic::PartSymbol::kInductor);
  } else if (kind == "rc") {
    view.SetRc(leg, kNames, network, kNames, "τ = 160 µs");
  } else if (kind == "divider") {
    view.SetDivider(network, leg, kNames);
  } else if (kind == "adj" || kind == "fb") {
    view.SetRegulator(network, leg, kind == "adj", kNames);
  } else {
    view.SetAmplifier(network, leg, kind == "inverting", kNames);
  }
  QCOMPARE(view.accessibleDescription(), description);
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
