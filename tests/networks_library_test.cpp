#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "fake_services.h"
#include "labelled_combo_box.h"
#include "library_rewrite.h"
#include "networks_dlg.h"
#include "posix_files.h"
#include "qt_text.h"
#include "resource_strings.h"
#include "scratch_dir.h"
#include "window_probe.h"

using vantrel::testing::Control;
using vantrel::testing::ScratchDir;

namespace {

// The library (file) vantrel-cli leaves in dir after running args there.
QByteArray CliLibrary(const QString& dir, const QStringList& args,
                      const QString& file = "ResistorLibrary.txt") {
  QProcess cli;
  cli.setWorkingDirectory(dir);
  cli.start(VANTREL_CLI, args);
  if (!cli.waitForFinished(-1) || cli.exitCode() != 0) qFatal("vantrel-cli failed");
  QFile library(dir + "/" + file);
  if (!library.open(QIODevice::ReadOnly)) qFatal("vantrel-cli wrote no library");
  return library.readAll();
}

QByteArray Library(const QString& file = "ResistorLibrary.txt") {
  QFile library(file);
  return library.open(QIODevice::ReadOnly) ? library.readAll() : QByteArray();
}

QPushButton* Button(QWidget& page, const char* text) {
  for (auto* button : page.findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  qFatal("no such button");
}

// The finding lines vantrel-cli check prints in dir with args.
QStringList CliFindings(const QString& dir, const QStringList& args) {
  QProcess cli;
  cli.setWorkingDirectory(dir);
  cli.start(VANTREL_CLI, QStringList{"check"} + args);
  if (!cli.waitForFinished(-1)) qFatal("vantrel-cli did not finish");
  QStringList findings;
  for (const QString& line : QString::fromUtf8(cli.readAllStandardOutput()).split('\n')) {
    if (line.startsWith("line ")) findings << line;
  }
  return findings;
}

// The rows of the Library tab's findings, written as check writes them.
QStringList WindowFindings(QWidget& page) {
  const QAbstractItemModel* model = Control<QTableView>(page, vantrel::kFindingsListName)->model();
  QStringList findings;
  for (int row = 0; row < model->rowCount(); ++row) {
    const auto cell = [&](int column) { return model->index(row, column).data().toString(); };
    findings << "line " + cell(0) + ": \"" + cell(1) + "\": " + cell(2);
  }
  return findings;
}

// Shows the window at its Library tab, the last, and gives that tab's page.
QWidget& ShownLibraryTab(vantrel::CNetworksDlg& window) {
  window.show();
  auto* tabs = window.findChild<QTabWidget*>();
  tabs->setCurrentIndex(tabs->count() - 1);
  return *tabs->currentWidget();
}

// The Networks window on the real files of the working directory, shown at its Library tab.
struct LibraryTab {
  vantrel::testing::FakeMessageService messages;
  vantrel::PosixFileService files;
  vantrel::Services services{messages, files};
  vantrel::CNetworksDlg window{services};
  QWidget& page = ShownLibraryTab(window);
};

}  // namespace

// The Library tab on real files in a scratch folder, against the real command line.
class NetworksLibraryTest : public QObject {
  Q_OBJECT

 private slots:
  // As the program does at its start, before any window.
  void initTestCase() { vantrel::InstallLabelledComboBoxAccessibility(); }
  void AddSeriesStartsALibraryAndMergesIntoIt();
  void SeriesChoiceFindsWhatCheckFinds();
  void EachStockStartsAsItsStarterCommandStartsIt();

 private:
  // Clicks Add E-series and fills its dialog.
  void AddSeries(QWidget& page, const QString& name, const QString& from, const QString& to) {
    QTimer::singleShot(0, this, [=] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      Control<QComboBox>(*dialog, "NAME")->setCurrentText(name);
      Control<QLineEdit>(*dialog, "--from")->setText(from);
      Control<QLineEdit>(*dialog, "--to")->setText(to);
      dialog->accept();
    });
    Button(page, vantrel::kAddSeriesText)->click();
  }
};

// From no library to the command line's E24 series, then an E96 stretch merged into it as
// series --write --merge does, byte for byte.
void NetworksLibraryTest::AddSeriesStartsALibraryAndMergesIntoIt() {
  const ScratchDir work;
  const ScratchDir cliDir;  // the working directory now, until work's turn comes back
  std::filesystem::current_path(work.Path(""));
  LibraryTab tab;
  QWidget& page = tab.page;
  const auto& messages = tab.messages;
  QVERIFY(Control<QLabel>(page, "summary")->text().contains("is not exist"));

  AddSeries(page, "E24", "10", "1M");
  const QString cli = QString::fromStdString(cliDir.Path(""));
  QCOMPARE(Library(), CliLibrary(cli, {"series", "E24", "--write"}));
  QCOMPARE(Control<QLabel>(page, "status")->text(),
           QString("wrote 121 E24 values to ResistorLibrary.txt"));
  QVERIFY(Control<QLabel>(page, "summary")->text().contains("121 values"));

  AddSeries(page, "E96", "1k", "2k");
  QCOMPARE(Library(),
           CliLibrary(cli, {"series", "E96", "--from", "1k", "--to", "2k", "--write", "--merge"}));
  QVERIFY(Control<QLabel>(page, "status")->text().startsWith("added "));
  QVERIFY(messages.shown.empty());
}

// The tab holds the library against the series chosen as check --series does, line for line;
// the choice is named by its label; a file without a value is not rewritten, and a name that
// is no file is told as check tells it.
void NetworksLibraryTest::SeriesChoiceFindsWhatCheckFinds() {
  const ScratchDir work;
  work.Write("ResistorLibrary.txt", "10\r\n11\r\n12\r\n15\r\n4k7\r\n101\r\n102\r\n9.94\r\nten\r\n");
  LibraryTab tab;
  QWidget& page = tab.page;
  const auto& messages = tab.messages;
  auto* series = Control<QComboBox>(page, "--series");
  QCOMPARE(QAccessible::queryAccessibleInterface(series)->text(QAccessible::Name),
           QString("Series"));
  QCOMPARE(series->count(), 8);
  const QString dir = QString::fromStdString(work.Path(""));
  QCOMPARE(WindowFindings(page), CliFindings(dir, {}));
  for (const QString name : {"E3", "E12", "E96", "E192"}) {
    series->setCurrentText(name);
    const QStringList cli = CliFindings(dir, {"--series", name});
    QVERIFY(cli.join('\n').contains("of no " + name + " value"));
    QCOMPARE(WindowFindings(page), cli);
  }

  // Text without a value is no library to rewrite: Normalise is refused as normalise is.
  work.Write("ResistorLibrary.txt", "parts to order\n");
  Button(page, vantrel::kNormaliseText)->click();
  QCOMPARE(messages.Texts(), std::vector<std::string>{vantrel::kLibraryNoValueMessage});
  QCOMPARE(Library(), QByteArray("parts to order\n"));

  std::filesystem::remove(work.Path("ResistorLibrary.txt"));
  std::filesystem::create_directory(work.Path("ResistorLibrary.txt"));
  Control<QComboBox>(page, "--series")->setCurrentIndex(0);
  QVERIFY(Control<QLabel>(page, "summary")
              ->text()
              .startsWith("ResistorLibrary.txt is a folder; the library must be a regular file"));
}

// A missing capacitor or inductor stock is made in one click, as the command its message names
// makes it; the tab then upkeeps that stock's file, and no other.
void NetworksLibraryTest::EachStockStartsAsItsStarterCommandStartsIt() {
  const ScratchDir work;
  const ScratchDir cliDir;
  std::filesystem::current_path(work.Path(""));
  LibraryTab tab;
  QWidget& page = tab.page;
  const auto& messages = tab.messages;
  const QString cli = QString::fromStdString(cliDir.Path(""));
  auto* create = Control<QPushButton>(page, "create");
  for (const vantrel::StockKind* kind : {&vantrel::kCapacitors, &vantrel::kInductors}) {
    const QString file = vantrel::QStringOf(kind->fileName);
    auto* stock = Control<QComboBox>(page, "stock");
    stock->setCurrentIndex(stock->findText(vantrel::QStringOf(kind->plural), Qt::MatchFixedString));
    QVERIFY(Control<QLabel>(page, "summary")->text().contains(file + "\" is not exist"));
    QVERIFY(create->isVisible());
    create->click();
    QStringList starter = vantrel::QStringOf(kind->starter).split(' ');
    starter.removeFirst();
    QCOMPARE(Library(file), CliLibrary(cli, starter, file));
    QVERIFY(Control<QLabel>(page, "status")->text().endsWith(" E6 values to " + file));
    QVERIFY(!create->isVisible());

    AddSeries(page, "E12", "1n", "2n");
    starter << "--merge"
            << "--from"
            << "1n"
            << "--to"
            << "2n";
    starter[1] = "E12";
    QCOMPARE(Library(file), CliLibrary(cli, starter, file));
  }
  QVERIFY(!std::filesystem::exists("ResistorLibrary.txt"));
  QVERIFY(messages.shown.empty());
}

QTEST_MAIN(NetworksLibraryTest)
#include "networks_library_test.moc"
