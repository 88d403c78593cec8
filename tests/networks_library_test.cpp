#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "fake_services.h"
#include "labelled_combo_box.h"
#include "library_rewrite.h"
#include "networks_dlg.h"
#include "posix_files.h"
#include "qt_text.h"
#include "resource_strings.h"
#include "row_table_model.h"
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

// What vantrel-cli prints on standard output (or its standard error) after running args in dir.
QString CliOutput(const QString& dir, const QStringList& args, bool standardError = false) {
  QProcess cli;
  cli.setWorkingDirectory(dir);
  cli.start(VANTREL_CLI, args);
  if (!cli.waitForFinished(-1)) qFatal("vantrel-cli did not finish");
  return QString::fromUtf8(standardError ? cli.readAllStandardError()
                                         : cli.readAllStandardOutput());
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

// The list's rows as the command line's tsv lines, after its header line.
QString ListTsv(QWidget& page, const char* name) {
  auto* list = Control<QTableView>(page, name);
  auto* model = static_cast<const vantrel::RowTableModel*>(list->model());
  std::vector<int> rows(static_cast<std::size_t>(model->rowCount()));
  for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = static_cast<int>(row);
  return model->TsvText(rows, true);
}

// Each row of the list, its cells joined by separator.
QStringList ListLines(QWidget& page, const char* name, const QString& separator) {
  const QAbstractItemModel* model = Control<QTableView>(page, name)->model();
  QStringList lines;
  for (int row = 0; row < model->rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < model->columnCount(); ++column) {
      cells << model->index(row, column).data().toString();
    }
    lines << cells.join(separator);
  }
  return lines;
}

// The lines of vantrel-cli check --inventory in dir, as the Inventory view shows them: its
// findings, then its conclusion.
QString CliInventoryCheck(const QString& dir) {
  return CliOutput(dir, {"check", "--inventory"}).trimmed();
}

QString WindowInventoryCheck(QWidget& page) {
  QStringList lines;
  for (const QString& finding : ListLines(page, vantrel::kInventoryFindingsListName, ": ")) {
    lines << "line " + finding;
  }
  if (!Control<QTableView>(page, vantrel::kInventoryFindingsListName)->isVisible()) lines.clear();
  return (lines << Control<QLabel>(page, "summary")->text()).join('\n');
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
  vantrel::SystemClock clock;  // the date the real vantrel-cli it is held against records
  vantrel::Services services{messages, files, clock};
  vantrel::CNetworksDlg window{services};
  QWidget& page = ShownLibraryTab(window);
};

}  // namespace

// The Library tab on real files in a scratch folder, against the real command line.
class NetworksLibraryTest : public QObject {
  Q_OBJECT

 private slots:
  // As the program does at its start, before any window.
  void initTestCase() {
    vantrel::InstallLabelledComboBoxAccessibility();
    QStandardPaths::setTestModeEnabled(true);
  }
  // The window keeps its choices in QSettings: each test starts from none.
  void init() { QSettings().clear(); }
  void AddSeriesStartsALibraryAndMergesIntoIt();
  void SeriesChoiceFindsWhatCheckFinds();
  void EachStockStartsAsItsStarterCommandStartsIt();
  void ImportPreviewsAndMergesAsImportWrites();
  void RefusedMergeWritesNothing();

 private:
  // Clicks Import..., chooses paths in the file dialog, and hands the preview to answer, which
  // closes it.
  void Import(QWidget& page, const QStringList& paths,
              const std::function<void(QDialog&)>& answer) {
    QTimer::singleShot(0, this, [=, this] {
      auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(files != nullptr);
      QCOMPARE(files->fileMode(), QFileDialog::ExistingFiles);
      QStringList quoted;
      for (const QString& path : paths) quoted << '"' + path + '"';
      // The dialog's own name field takes several names, each in quotes.
      files->findChild<QLineEdit*>("fileNameEdit")->setText(quoted.join(' '));
      QTimer::singleShot(0, this, [=] {
        auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(preview != nullptr && preview != files);
        answer(*preview);
      });
      static_cast<QDialog*>(files)->accept();  // as the Open button does
    });
    Control<QPushButton>(page, "import")->click();
  }

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

// Two real-shaped exports through the file dialog: the preview lists what import lists, the
// skipped lines with their reasons; Merge writes what import --write writes, counting a second
// import of the same files into the rows there; the Inventory view shows the file's rows by
// kind, and what check --inventory says of it.
void NetworksLibraryTest::ImportPreviewsAndMergesAsImportWrites() {
  const ScratchDir work;
  const ScratchDir cliDir;
  std::filesystem::current_path(work.Path(""));
  const QString samples = VANTREL_IMPORT_SAMPLES;
  const QStringList paths = {samples + "/lcsc_order.csv", samples + "/partdb_export.csv",
                             samples + "/plain_list.txt"};
  LibraryTab tab;
  QWidget& page = tab.page;
  Control<QComboBox>(page, "view")->setCurrentText("Inventory");
  QCOMPARE(Control<QLabel>(page, "summary")->text(), QString(vantrel::kNoInventoryHint));
  QVERIFY(!Control<QPushButton>(page, "create")->isVisible());
  QVERIFY(!Control<QComboBox>(page, "--series")->isVisible());

  const QString cli = QString::fromStdString(cliDir.Path(""));
  const QStringList importArgs = QStringList{"import"} + paths;
  const QString cliSkipped = CliOutput(cli, importArgs + QStringList{"--format", "tsv"}, true);
  {
    QString shownRows;
    QStringList shownSkipped;
    QString summary;
    Import(page, paths, [&](QDialog& preview) {
      shownRows = ListTsv(preview, vantrel::kImportedListName);
      shownSkipped = ListLines(preview, vantrel::kSkippedListName, ": ");
      summary = Control<QLabel>(preview, "summary")->text();
      Control<QPushButton>(preview, "merge")->click();
    });
    QCOMPARE(shownRows, CliOutput(cli, importArgs + QStringList{"--format", "tsv"}));
    // import prints each skipped line as "source: reason: text", and before them each file's
    // format and counts.
    QVERIFY(!shownSkipped.isEmpty());
    for (const QString& line : shownSkipped)
      QVERIFY2(cliSkipped.contains(line + '\n'), qPrintable(line));
    QVERIFY(cliSkipped.contains(summary.section('\n', 0, 0)));
    QVERIFY(summary.contains("1 of them neither R, C nor L"));
    QCOMPARE(Library("Inventory.csv"),
             CliLibrary(cli, importArgs + QStringList{"--write"}, "Inventory.csv"));
    QCOMPARE(Control<QLabel>(page, "status")->text(),
             QString("Created Inventory.csv: 11 row(s) added, 2 counted into rows "
                     "of the same class; it holds 11 row(s)."));
  }
  // The same files again are refused, saying when they came, and the file stays as it was.
  const QByteArray once = Library("Inventory.csv");
  Import(page, paths, [&](QDialog& preview) { Control<QPushButton>(preview, "merge")->click(); });
  QVERIFY2(Control<QLabel>(page, "status")
               ->text()
               .contains("holds the same bytes as a file "
                         "imported on "),
           qPrintable(Control<QLabel>(page, "status")->text()));
  QCOMPARE(Library("Inventory.csv"), once);

  // The view reads the file: each stock's rows, in the file's order, with its columns.
  QCOMPARE(WindowInventoryCheck(page), CliInventoryCheck(cli));
  QVERIFY(!Control<QTableView>(page, vantrel::kInventoryFindingsListName)->isVisible());
  QStringList resistors;
  for (const QString& line : QString::fromUtf8(Library("Inventory.csv")).split("\r\n")) {
    if (line.startsWith("R,")) resistors << line;
  }
  const QStringList shown = ListLines(page, vantrel::kInventoryListName, ",");
  QCOMPARE(shown.size(), resistors.size());
  QVERIFY(shown.contains("10k,350,1%,0.1W,100ppm,0603,,0603WAF1002T5E,"));
  auto* stock = Control<QComboBox>(page, "stock");
  stock->setCurrentIndex(stock->findText("Inductors"));
  QVERIFY(ListLines(page, vantrel::kInventoryListName, ",")
              .contains("22u,8,,,,1210,Drawer C1,SRN4018-220M,the \"good\" ones"));
  QVERIFY(tab.messages.shown.empty());
}

// A merge the inventory refuses, and a Cancel, leave Inventory.csv as it was; the view shows the
// line that cannot be read as check --inventory does, and the refusal says why.
void NetworksLibraryTest::RefusedMergeWritesNothing() {
  const ScratchDir work;
  const QByteArray held =
      "kind,value,quantity,tolerance,power,tcr,package,location,part_number,note\r\n"
      "R,4k7,12,1%,,,0603,A1,,\r\n"
      "R,10k,-3,,,,,,,\r\n"
      "R,4k7,2,1%,,,0603,A1,,\r\n";
  work.Write("Inventory.csv", held.toStdString());
  const QString list = QString::fromStdString(work.Write("parts.txt", "4k7 10\n100n 5\n"));
  LibraryTab tab;
  QWidget& page = tab.page;
  Control<QComboBox>(page, "view")->setCurrentText("Inventory");
  const QString dir = QString::fromStdString(work.Path(""));
  QVERIFY(Control<QTableView>(page, vantrel::kInventoryFindingsListName)->isVisible());
  QCOMPARE(WindowInventoryCheck(page), CliInventoryCheck(dir));
  QCOMPARE(ListLines(page, vantrel::kInventoryListName, ",").size(), 2);

  Import(page, {list}, [](QDialog& preview) { preview.reject(); });
  QCOMPARE(Control<QLabel>(page, "status")->text(), QString(vantrel::kMergeCancelledText));
  QCOMPARE(Library("Inventory.csv"), held);

  Import(page, {list}, [](QDialog& preview) { Control<QPushButton>(preview, "merge")->click(); });
  QCOMPARE(Library("Inventory.csv"), held);
  QCOMPARE(Control<QLabel>(page, "status")->text(),
           QString("Nothing was merged: 1 line(s) of Inventory.csv cannot be read, as listed "
                   "above. Mend them, then import again."));

  // A file beyond the limits is refused before Merge is offered.
  std::string many;
  for (int i = 1; i <= 1001; ++i) many += std::to_string(i) + "\n";
  const QString tooMany = QString::fromStdString(work.Write("many.txt", many));
  bool offered = true;
  Import(page, {tooMany}, [&](QDialog& preview) {
    offered = Control<QPushButton>(preview, "merge")->isEnabled();
    QVERIFY(Control<QLabel>(preview, "summary")->text().contains("1000"));
    preview.reject();
  });
  QVERIFY(!offered);
  QCOMPARE(Library("Inventory.csv"), held);
}

QTEST_MAIN(NetworksLibraryTest)
#include "networks_library_test.moc"
