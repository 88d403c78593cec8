#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <latch>
#include <memory>

#include "fake_services.h"
#include "library_page.h"
#include "networks_dlg.h"
#include "resource_strings.h"
#include "row_table_model.h"
#include "schematic_view.h"
#include "search_runner.h"
#include "series_dlg.h"
#include "stock_kind.h"
#include "window_probe.h"

using vantrel::CNetworksDlg;
using vantrel::PreparedSearch;
using vantrel::SearchOutcome;
using vantrel::ShownTable;
using vantrel::testing::Control;

namespace {

// Rows named after the target that asked for them, one per character of it.
ShownTable RowsFor(const std::string& target) {
  ShownTable rows{{"Rank", "Network"}, {}, {false, true}, {"rank", "network"}, {}, {}, {}};
  for (std::size_t i = 0; i < target.size(); ++i) {
    rows.cells.push_back({std::to_string(i + 1), target + " shown"});
    rows.tsvCells.push_back({std::to_string(i + 1), target + " copied"});
  }
  return rows;
}

// A divider's rows drawn from a drawer: two-part legs, numbers, and what each row uses.
ShownTable DrawerRows() {
  ShownTable rows{{"R1", "R2", "Vout", "Band", "In spec", "Uses"},
                  {},
                  {true, true, false, false, false, true},
                  {},
                  {},
                  {"r1", "r2", "vout", "band", "in_spec", "uses"},
                  {}};
  for (int row = 0; row < 20; ++row) {
    rows.cells.push_back({"4.99k + 10.0k", "33.2k || 100k", "3.3012 V", "-1.234 \u2026 +1.234 %",
                          "yes",
                          "1 \u00d7 4990 (1 %, 0603, Box 1), 1 \u00d7 10000 (Drawer 3), "
                          "1 \u00d7 33200 (0.1 %, Box 2), 2 \u00d7 100000 (5 %, axial, Drawer 4)"});
  }
  return rows;
}

// How wide a label's text inks as the label draws it (mnemonic underlined) with room to spare.
int InkedWidth(const QLabel& label) {
  QLabel roomy(label.text());
  roomy.setFont(label.font());
  roomy.setBuddy(label.buddy());
  roomy.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  roomy.resize(label.width() * 2 + 100, label.height());
  const QImage image = roomy.grab().toImage();
  const QRgb paper = image.pixel(image.width() - 1, 0);
  int width = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = width; x < image.width(); ++x) {
      if (image.pixel(x, y) != paper) width = x + 1;
    }
  }
  return width;
}

// Every one-line label shown in window is as wide as its text inks.
void CheckLabelsFit(QWidget& window) {
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->isVisible() || label->wordWrap() || label->text().isEmpty()) continue;
    QVERIFY2(label->alignment() & Qt::AlignLeft, qPrintable(label->text()));
    QVERIFY2(InkedWidth(*label) <= label->contentsRect().right() + 1,
             qPrintable(QString("\"%1\" inks %2 px, is %3 px wide")
                            .arg(label->text())
                            .arg(InkedWidth(*label))
                            .arg(label->contentsRect().right() + 1)));
  }
}

QStringList Column(QTableView& list, int column) {
  QStringList cells;
  for (int row = 0; row < list.model()->rowCount(); ++row) {
    cells << list.model()->index(row, column).data().toString();
  }
  return cells;
}

}  // namespace

// The window over searches injected here, so that a search can be held back for as long as a
// test wants, without any timing.
class NetworksWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void LateResultOfAReplacedSearchIsDropped();
  void StopEndsTheSearchAndKeepsTheList();
  void RowsComeBeforeTheirCount();
  void CountingAgreesWithEveryRowListed();
  void FieldErrorsStandNextToTheirFields();
  void LabelsShowTheirWholeText();
  void ShownFieldsAndButtonsHaveUniqueMnemonics();
  void KeyOfAFieldUnderMoreOpensIt();
  void EveryColumnFitsAndUsesWrapsBetweenItems();
  void ChangedFieldGreysTheRowsUntilFind();
  void FieldChangedDuringASearchGreysItsRows();
  void KeepsSizeAndTabBetweenRuns();
  void FirstDownInTheListSelectsTheFirstRow();
  void CopyPutsTheCommandLinesTsvOnTheClipboard();
  void KeysMoveBetweenTabsToTheirFirstField();
  void StoppedJobListsNothing();
  void EscapeStopsASearchAndThenCloses();
  void RefusedFieldIsNamedByItsLabelAndEmptiesTheList();
  void PictureNamesTheLegsOfTheRowsCells();
  void LedPictureIsItsResistorNetwork();
  void StockChoiceSearchesThatStock();
  void EachStockShowsItsOwnUnit();
  void EmptyLibraryIsToldInsteadOfRows();
  void RegulatorHeaderFollowsTheReference();
  void AltLetterOfADisabledButtonTypesNothing();
  void EmptyToleranceIsTheCommandLinesDefault();
  void FieldsComeBackAfterEscape();
  void SpareColumnsHideAndRowsTellTheirColourCodes();
  void PreferRanksTheBoardsValuesFirstWithTheirNewCount();
  void NearestMissIsRowZeroGreyedAndDrawn();
  void DividerLoadAndMaxSourceReachTheSearch();

 private:
  // The Networks tab.
  // The window over the shared searches on a small library; whether it became active.
  bool OpenOnRealSearches() {
    m_fakes->files.files[vantrel::kLibraryPath] = "1000\r\n3000\r\n10000\r\n";
    m_fakes->files.files[std::string(vantrel::kCapacitors.path)] = "1n\r\n2.2n\r\n15.9n\r\n";
    m_window = std::make_unique<CNetworksDlg>(m_fakes->services);
    m_window->show();
    return QTest::qWaitForWindowActive(m_window.get());
  }
  QWidget& Page() { return *m_window->findChild<QTabWidget*>()->widget(0); }
  template <typename T>
  T* Field(const char* name) {
    return Control<T>(Page(), name);
  }
  void Find(const QString& target) {
    Field<QLineEdit>("TARGET")->setText(target);
    QTest::keyClick(Field<QLineEdit>("TARGET"), Qt::Key_Return);
  }
  // Types the fields, by their object names, into page and presses Find; the list once its
  // search has ended.
  QTableView* FindOn(QWidget& page, const char* listName,
                     std::initializer_list<std::pair<const char*, const char*>> fields) {
    for (const auto& [name, text] : fields) Control<QLineEdit>(page, name)->setText(text);
    QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
    auto* list = Control<QTableView>(page, listName);
    if (!QTest::qWaitFor([list] { return list->model()->rowCount() > 0; })) return list;
    for (auto* runner : m_window->findChildren<vantrel::SearchRunner*>()) runner->Wait();
    QCoreApplication::processEvents();
    return list;
  }
  // The shared divider search's outcome for input, one-part legs and 20 rows unless it says.
  SearchOutcome SharedDivider(vantrel::finder::DividerInput input) {
    if (!input.parts) input.parts = "1";
    if (!input.top) input.top = "20";
    const PreparedSearch prepared = vantrel::SharedSearches().divider(input, m_fakes->services);
    return prepared.job ? prepared.job(std::atomic<bool>(false)) : SearchOutcome{};
  }

  std::unique_ptr<vantrel::testing::FakeServices> m_fakes;
  std::unique_ptr<CNetworksDlg> m_window;
  // Searches for "slow" wait on this until the test lets them go.
  std::unique_ptr<std::latch> m_slow;
};

void NetworksWindowTest::init() {
  // The window keeps its size and tab in QSettings: a store of the test's own, empty.
  QStandardPaths::setTestModeEnabled(true);
  QSettings().clear();
  m_fakes = std::make_unique<vantrel::testing::FakeServices>();
  m_slow = std::make_unique<std::latch>(1);
  vantrel::NetworkSearches searches;
  searches.find = [this](const vantrel::finder::FindInput& fields, vantrel::Services&) {
    PreparedSearch prepared;
    if (fields.tolerance == "bad") {
      prepared.errors = {{"--tolerance", "--tolerance is bad"}, {"--nowhere", "unplaced"}};
      return prepared;
    }
    prepared.job = [target = fields.target, slow = m_slow.get()](const std::atomic<bool>&) {
      if (target == "drawer") return SearchOutcome{DrawerRows(), "", "", {}, {}};
      if (target == "counted") {
        // The rows now; their count once the test lets it go.
        SearchOutcome outcome{RowsFor(target), "counted: more", "rows for counted", {}, {}};
        outcome.count = [slow](const std::atomic<bool>&) {
          slow->wait();
          return std::string("counted: all");
        };
        return outcome;
      }
      if (target == "slow") slow->wait();
      return SearchOutcome{RowsFor(target), target + " status", "rows for " + target, {}, {}};
    };
    return prepared;
  };
  m_window = std::make_unique<CNetworksDlg>(m_fakes->services, nullptr, searches);
  m_window->show();
  QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void NetworksWindowTest::cleanup() {
  m_slow->count_down();
  m_window.reset();
  m_fakes.reset();
}

void NetworksWindowTest::LateResultOfAReplacedSearchIsDropped() {
  auto* list = Control<QTableView>(*m_window, "Networks");
  auto* busy = Page().findChild<QProgressBar*>();
  Find("slow");
  QVERIFY(busy->isVisible());
  Find("quick");
  QTRY_COMPARE(Column(*list, 1), QStringList(5, "quick shown"));
  QVERIFY(!busy->isVisible());

  // The slow search ends now, and its outcome reaches the event loop after the quick one's.
  m_slow->count_down();
  for (auto* runner : m_window->findChildren<vantrel::SearchRunner*>()) runner->Wait();
  QCoreApplication::processEvents();
  QCOMPARE(Column(*list, 1), QStringList(5, "quick shown"));
  QCOMPARE(Field<QLabel>("status")->text(), QString("quick status"));
}

void NetworksWindowTest::FieldErrorsStandNextToTheirFields() {
  Find("ab");
  auto* list = Control<QTableView>(*m_window, "Networks");
  QTRY_COMPARE(list->model()->rowCount(), 2);
  Field<QLineEdit>("--tolerance")->setText("bad");
  Find("abc");
  QCOMPARE(Field<QLabel>("error --tolerance")->text(), QString("--tolerance is bad"));
  QCOMPARE(Field<QLabel>("error TARGET")->text(), QString());
  QCOMPARE(Field<QLabel>("status")->text(), QString("Not searched: unplaced"));
  // No row stands under fields it does not answer.
  QCOMPARE(list->model()->rowCount(), 0);

  Field<QLineEdit>("--tolerance")->setText("1");
  Find("abc");
  QTRY_COMPARE(list->model()->rowCount(), 3);
  QCOMPARE(Field<QLabel>("error --tolerance")->text(), QString());
}

// No label is clipped, on any tab or in the Add E-series dialog: labels are measured by their
// size hints, which have been seen to disagree with how the text is drawn.
void NetworksWindowTest::LabelsShowTheirWholeText() {
  auto* tabs = m_window->findChild<QTabWidget*>();
  for (int tab = 0; tab < tabs->count(); ++tab) {
    tabs->setCurrentIndex(tab);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    CheckLabelsFit(*tabs->currentWidget());
    if (QTest::currentTestFailed()) return;
  }
  vantrel::CSeriesDlg series(vantrel::kCapacitors, m_window->findChild<vantrel::CLibraryPage*>());
  series.show();
  QVERIFY(QTest::qWaitForWindowExposed(&series));
  CheckLabelsFit(series);
}

// However narrow the window, the list needs no sideways scrolling. Uses stands on one line, or
// on two parted between its items, each whole; where two lines are not enough it leaves the list
// for the line under the circuit, which tells the selected row's.
void NetworksWindowTest::EveryColumnFitsAndUsesWrapsBetweenItems() {
  auto* list = Control<QTableView>(*m_window, "Networks");
  Find("drawer");
  QTRY_COMPARE(list->model()->rowCount(), 20);
  const QStringList items = {"1 \u00d7 4990 (1 %, 0603, Box 1)", "1 \u00d7 10000 (Drawer 3)",
                             "1 \u00d7 33200 (0.1 %, Box 2)",
                             "2 \u00d7 100000 (5 %, axial, Drawer 4)"};
  int widest = 0;
  for (const QString& item : items) {
    widest = std::max(widest, list->fontMetrics().horizontalAdvance(item));
  }
  const int line = list->fontMetrics().lineSpacing();
  QSet<QString> ways;
  for (const int width : {1800, 1400, 1100, 900, 700}) {
    m_window->resize(width, m_window->height());
    QTRY_COMPARE(m_window->width(), width);
    QCoreApplication::processEvents();
    const QHeaderView* header = list->horizontalHeader();
    const int last = header->logicalIndexAt(header->length() - 1);
    QVERIFY2(header->sectionViewportPosition(last) + header->sectionSize(last) <=
                 list->viewport()->width(),
             qPrintable(QString("at %1 px the columns take %2 of %3 px")
                            .arg(width)
                            .arg(header->length())
                            .arg(list->viewport()->width())));
    const QString at = QString("at %1 px").arg(width);
    if (!list->isColumnHidden(5)) {
      // Every item fits the column whole, and a row takes two lines at most.
      QVERIFY2(list->columnWidth(5) > widest, qPrintable(at));
      QVERIFY2(list->rowHeight(0) < 3 * line, qPrintable(at));
      QCOMPARE(list->model()->index(0, 5).data().toString().replace(QChar::Nbsp, ' '),
               items.join(", "));
      ways << (list->rowHeight(0) < 2 * line ? "one line" : "two lines");
      continue;
    }
    list->selectRow(2);
    const auto* under = Control<QLabel>(Page(), "places");
    QVERIFY2(under->isVisible(), qPrintable(at));
    QCOMPARE(under->text().replace(QChar::Nbsp, ' '), "Uses: " + items.join(", "));
    ways << "under the circuit";
    list->clearSelection();
  }
  QCOMPARE(ways.size(), 3);
}

void NetworksWindowTest::ChangedFieldGreysTheRowsUntilFind() {
  Find("ab");
  auto* list = Control<QTableView>(*m_window, "Networks");
  auto* model = static_cast<vantrel::RowTableModel*>(list->model());
  QTRY_COMPARE(model->rowCount(), 2);
  QVERIFY(!model->index(0, 1).data(Qt::ForegroundRole).isValid());
  QTest::keyClicks(Field<QLineEdit>("--tolerance"), "5");
  QVERIFY(model->Stale());
  QVERIFY(model->index(0, 1).data(Qt::ForegroundRole).isValid());
  QVERIFY(Field<QLabel>("status")->text().contains("rows for ab"));
  // Stale rows still copy as they are; the next search's rows are current again.
  Find("abc");
  QTRY_COMPARE(model->rowCount(), 3);
  QVERIFY(!model->Stale());
  QCOMPARE(Field<QLabel>("status")->text(), QString("abc status"));
}

// On every tab, every field and button, the closed More section's and Stop included, has a key
// of its own among those of the tab bar and of the tab; and every control Tab reaches has a
// name for screen readers.
void NetworksWindowTest::ShownFieldsAndButtonsHaveUniqueMnemonics() {
  auto* tabs = m_window->findChild<QTabWidget*>();
  // The key as Qt reads it: after the first single '&'.
  const auto key = [](const QString& text) { return QKeySequence::mnemonic(text); };
  QList<QKeySequence> bar;
  for (int tab = 0; tab < tabs->count(); ++tab) {
    if (!key(tabs->tabText(tab)).isEmpty()) bar << key(tabs->tabText(tab));
  }
  for (int tab = 0; tab < tabs->count(); ++tab) {
    tabs->setCurrentIndex(tab);
    QWidget& page = *tabs->widget(tab);
    QList<QKeySequence> keys = bar;
    QStringList texts;
    for (const QLabel* label : page.findChildren<QLabel*>()) {
      if (label->buddy() != nullptr) texts << label->text();
    }
    for (const QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
      if (!button->text().isEmpty()) texts << button->text();
    }
    QVERIFY(texts.size() > 4);
    for (const QString& text : texts) {
      const QKeySequence pressed = key(text);
      QVERIFY2(!pressed.isEmpty(), qPrintable(QString("%1 on tab %2").arg(text).arg(tab)));
      QVERIFY2(
          !keys.contains(pressed),
          qPrintable(QString("%1 shares %2 on tab %3").arg(text, pressed.toString()).arg(tab)));
      keys << pressed;
    }
    for (const QWidget* control : page.findChildren<QWidget*>()) {
      // A spin box's or combo box's own line edit is named through its owner.
      if (!control->isVisible() || !(control->focusPolicy() & Qt::TabFocus) ||
          qobject_cast<const QAbstractSpinBox*>(control->parentWidget()) != nullptr ||
          qobject_cast<const QComboBox*>(control->parentWidget()) != nullptr) {
        continue;
      }
      QVERIFY2(
          !control->accessibleName().isEmpty() ||
              QAccessible::queryAccessibleInterface(const_cast<QWidget*>(control)) == nullptr ||
              !QAccessible::queryAccessibleInterface(const_cast<QWidget*>(control))
                   ->text(QAccessible::Name)
                   .isEmpty(),
          qPrintable(QString("%1 on tab %2 has no name")
                         .arg(control->metaObject()->className())
                         .arg(tab)));
    }
  }
}

// Alt with the key of a field under the closed More opens the section at that field; a digit
// is a key as a letter is.
void NetworksWindowTest::KeyOfAFieldUnderMoreOpensIt() {
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(1);
  QWidget& page = *tabs->widget(1);
  auto* more = Control<QAbstractButton>(page, "more");
  QVERIFY(!more->isChecked());
  QLineEdit* vin = Control<QLineEdit>(page, "VIN");
  vin->setFocus();
  QTest::keyClick(vin, Qt::Key_B, Qt::AltModifier);
  QVERIFY(more->isChecked());
  QTRY_COMPARE(QApplication::focusWidget(), Control<QWidget>(page, "--by"));
  // Now shown, the key of Prefer goes to its field as any shown field's does.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::AltModifier);
  QTRY_COMPARE(QApplication::focusWidget(), Control<QWidget>(page, "--prefer"));
  QCOMPARE(Control<QLineEdit>(page, "--prefer")->text(), QString());
  // The section closed again, the key of a checkbox under it opens it and ticks the box.
  more->click();
  vin->setFocus();
  auto* distinct = page.findChild<QCheckBox*>();
  QVERIFY(!distinct->isChecked());
  QTest::keyClick(vin, QKeySequence::mnemonic(distinct->text())[0].key(), Qt::AltModifier);
  QVERIFY(more->isChecked());
  QVERIFY(distinct->isChecked());
}

// The rows of a search that ran while a field changed answer the fields as they were: they
// arrive grey, with the note an edit when idle gives; the next Find's are current again.
void NetworksWindowTest::FieldChangedDuringASearchGreysItsRows() {
  auto* model =
      static_cast<vantrel::RowTableModel*>(Control<QTableView>(*m_window, "Networks")->model());
  Find("slow");
  QTest::keyClicks(Field<QLineEdit>("--tolerance"), "5");
  m_slow->count_down();
  QTRY_COMPARE(model->rowCount(), 4);
  QVERIFY(model->Stale());
  QVERIFY(model->index(0, 1).data(Qt::ForegroundRole).isValid());
  QCOMPARE(Field<QLabel>("status")->text(), QString(vantrel::kStaleRowsText).arg("rows for slow"));
  Find("ab");
  QTRY_COMPARE(model->rowCount(), 2);
  QVERIFY(!model->Stale());
}

// The size and the last tab come back in the next window, as far as the screen has room.
void NetworksWindowTest::KeepsSizeAndTabBetweenRuns() {
  const QRect area = m_window->screen()->availableGeometry();
  const QSize size = QSize(area.width() * 3 / 4, area.height() * 3 / 4);
  m_window->resize(size);
  m_window->findChild<QTabWidget*>()->setCurrentIndex(3);
  m_window->close();
  m_window = std::make_unique<CNetworksDlg>(m_fakes->services);
  QCOMPARE(m_window->size(), size);
  QCOMPARE(m_window->findChild<QTabWidget*>()->currentIndex(), 3);
}

void NetworksWindowTest::FirstDownInTheListSelectsTheFirstRow() {
  Find("abc");
  auto* list = Control<QTableView>(*m_window, "Networks");
  QTRY_COMPARE(list->model()->rowCount(), 3);
  Field<QPushButton>("find")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), list);
  QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList{list->model()->index(0, 0)});
  QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList{list->model()->index(1, 0)});
}

void NetworksWindowTest::CopyPutsTheCommandLinesTsvOnTheClipboard() {
  Find("abc");
  auto* list = Control<QTableView>(*m_window, "Networks");
  QTRY_COMPARE(list->model()->rowCount(), 3);
  list->setFocus();
  list->selectionModel()->select(list->model()->index(2, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
  list->selectionModel()->select(list->model()->index(0, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QTest::keySequence(list, QKeySequence::Copy);
  QCOMPARE(QGuiApplication::clipboard()->text(), QString("1\tabc copied\n3\tabc copied\n"));
  list->findChild<QAction*>("ID_EDIT_COPY_WITH_HEADER")->trigger();
  QCOMPARE(QGuiApplication::clipboard()->text(),
           QString("rank\tnetwork\n1\tabc copied\n3\tabc copied\n"));
}

// From any control, the lists included; each tab starts at its first field.
void NetworksWindowTest::KeysMoveBetweenTabsToTheirFirstField() {
  auto* tabs = m_window->findChild<QTabWidget*>();
  const struct {
    QKeySequence key;
    int tab;
    const char* focus;
  } steps[] = {{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1, "VIN"},
               {QKeySequence(Qt::CTRL | Qt::Key_Tab), 2, "VOUT"},
               {QKeySequence(Qt::CTRL | Qt::Key_Tab), 3, "G"},
               {QKeySequence(Qt::CTRL | Qt::Key_Tab), 4, "--corner"},
               {QKeySequence(Qt::CTRL | Qt::Key_Tab), 5, "VSUPPLY"},
               {QKeySequence(Qt::CTRL | Qt::Key_Tab), 6, "Refresh"},
               {QKeySequence(Qt::CTRL | Qt::Key_Tab), 0, "TARGET"},
               {QKeySequence(Qt::CTRL | Qt::Key_PageUp), 6, "Refresh"},
               {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), 5, "VSUPPLY"}};
  Control<QTableView>(*m_window, "Networks")->setFocus();
  for (const auto& [key, tab, focus] : steps) {
    QTest::keySequence(QApplication::focusWidget(), key);
    QCOMPARE(tabs->currentIndex(), tab);
    QWidget* focused = QApplication::focusWidget();
    const auto* button = qobject_cast<QPushButton*>(focused);
    QCOMPARE(button != nullptr ? button->text().remove('&') : focused->objectName(),
             QString(focus));
  }
}

// The searches hand the job's stop to the search, which closing the window or a new search
// sets: a job stopped before it runs lists nothing, for every search alike.
// Stop, beside the busy indicator while a search runs, ends it: the list keeps the rows it had
// and the late outcome never reaches it.
void NetworksWindowTest::StopEndsTheSearchAndKeepsTheList() {
  auto* list = Control<QTableView>(*m_window, "Networks");
  auto* stop = Page().findChild<QPushButton*>("stop");
  QVERIFY(stop && !stop->isVisible());
  Find("quick");
  QTRY_COMPARE(Column(*list, 1), QStringList(5, "quick shown"));
  Find("slow");
  QVERIFY(stop->isVisible());
  QTest::mouseClick(stop, Qt::LeftButton);
  QVERIFY(!stop->isVisible());
  QVERIFY(!Page().findChild<QProgressBar*>()->isVisible());
  QCOMPARE(Field<QLabel>("status")->text(), QString(vantrel::kStoppedText));
  m_slow->count_down();
  for (auto* runner : m_window->findChildren<vantrel::SearchRunner*>()) runner->Wait();
  QCoreApplication::processEvents();
  QCOMPARE(Column(*list, 1), QStringList(5, "quick shown"));
  QCOMPARE(Field<QLabel>("status")->text(), QString(vantrel::kStoppedText));
}

// The rows are shown as soon as they are found, with a status line that says there are more;
// the count comes after, Stop at hand meanwhile. Stopped, the rows and that line stand; an edit
// meanwhile keeps the line that says the rows are greyed.
void NetworksWindowTest::RowsComeBeforeTheirCount() {
  auto* list = Control<QTableView>(*m_window, "Networks");
  auto* stop = Page().findChild<QPushButton*>("stop");
  auto* status = Field<QLabel>("status");
  auto* runner = m_window->findChildren<vantrel::SearchRunner*>().front();
  Find("counted");
  QTRY_COMPARE(Column(*list, 1), QStringList(7, "counted shown"));
  QCOMPARE(status->text(), QString("counted: more"));
  QVERIFY(stop->isVisible());

  QTest::mouseClick(stop, Qt::LeftButton);
  QVERIFY(!stop->isVisible());
  QCOMPARE(status->text(), QString("counted: more"));
  m_slow->count_down();
  runner->Wait();
  QCoreApplication::processEvents();
  QCOMPARE(status->text(), QString("counted: more"));
  QCOMPARE(list->model()->rowCount(), 7);

  // Let go at once now: the count replaces the line.
  Find("counted");
  QTRY_COMPARE(status->text(), QString("counted: all"));
  QVERIFY(!stop->isVisible());

  m_slow = std::make_unique<std::latch>(1);
  Find("counted");
  QTRY_COMPARE(status->text(), QString("counted: more"));
  QTest::keyClicks(Field<QLineEdit>("--tolerance"), "5");
  const QString greyed = QString(vantrel::kStaleRowsText).arg("rows for counted");
  QCOMPARE(status->text(), greyed);
  m_slow->count_down();
  QTRY_VERIFY(!stop->isVisible());
  QCOMPARE(status->text(), greyed);
}

// The window's count of the rows past those shown is the number of rows the same search lists
// when shown them all, with the same notes.
void NetworksWindowTest::CountingAgreesWithEveryRowListed() {
  m_window.reset();
  m_fakes->files.files[vantrel::kLibraryPath] = "1000\r\n3000\r\n10000\r\n4700\r\n";
  const auto search = [this](const char* top) {
    vantrel::finder::FindInput input;
    input.target = "4k7";
    input.tolerance = "50";
    input.top = top;
    const PreparedSearch prepared = vantrel::SharedSearches().find(input, m_fakes->services);
    return prepared.job(std::atomic<bool>(false));
  };
  const SearchOutcome all = search("1000");
  QVERIFY(!all.count);
  const std::size_t rows = all.rows.cells.size();
  QVERIFY2(rows > 20 && rows < 1000, qPrintable(QString::number(rows)));
  const SearchOutcome first = search("20");
  QCOMPARE(first.rows.cells.size(), std::size_t{20});
  QVERIFY2(first.status.starts_with("20 of more than 20 networks within 50 % of 4.7 kΩ"),
           first.status.c_str());
  QVERIFY(first.count);
  std::string expected = all.status;
  expected.replace(0, std::to_string(rows).size(), "20");
  QCOMPARE(first.count(std::atomic<bool>(false)), expected);
}

// Stop stands beside the status line, above the list, however long the column of fields.
void NetworksWindowTest::EscapeStopsASearchAndThenCloses() {
  auto* stop = Page().findChild<QPushButton*>("stop");
  auto* list = Control<QTableView>(*m_window, "Networks");
  Find("slow");
  QVERIFY(stop->isVisible());
  QVERIFY(stop->mapTo(&Page(), QPoint()).y() < list->mapTo(&Page(), QPoint()).y());
  QTest::keyClick(Field<QLineEdit>("TARGET"), Qt::Key_Escape);
  QVERIFY(!stop->isVisible());
  QVERIFY(m_window->isVisible());
  QCOMPARE(Field<QLabel>("status")->text(), QString(vantrel::kStoppedText));
  QTest::keyClick(Field<QLineEdit>("TARGET"), Qt::Key_Escape);
  QVERIFY(!m_window->isVisible());
}

void NetworksWindowTest::StoppedJobListsNothing() {
  m_fakes->files.files[vantrel::kLibraryPath] = "1000\r\n2200\r\n4700\r\n";
  const vantrel::NetworkSearches searches = vantrel::SharedSearches();
  vantrel::finder::FindInput find;
  find.target = "3k2";
  vantrel::finder::DividerInput divider;
  divider.vin = "5";
  divider.vout = "2.5";
  vantrel::finder::RegulatorInput regulator;
  regulator.vout = "2.5";
  regulator.vref = "1.25";
  vantrel::finder::GainInput gain;
  gain.gain = "2";
  for (const PreparedSearch& prepared :
       {searches.find(find, m_fakes->services), searches.divider(divider, m_fakes->services),
        searches.regulator(regulator, m_fakes->services), searches.gain(gain, m_fakes->services)}) {
    QVERIFY(prepared.job);
    for (const bool stopped : {false, true}) {
      const std::atomic<bool> stop = stopped;
      QCOMPARE(prepared.job(stop).rows.cells.empty(), stopped);
    }
  }
}

// Over the shared searches, in every search tab: a field that is refused is named under it by
// its label, not by the command line's option, and the rows the list had are gone.
void NetworksWindowTest::RefusedFieldIsNamedByItsLabelAndEmptiesTheList() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  const struct {
    const char* list;
    std::vector<std::pair<const char*, const char*>> fields;  // by option, enough for rows
  } searches[] = {{"Networks", {{"TARGET", "4k"}}},
                  {"Dividers", {{"VIN", "4"}, {"VOUT", "1"}}},
                  {"Regulators", {{"VOUT", "5"}, {"--vref", "1.25"}}},
                  {"Amplifiers", {{"G", "11"}}},
                  {"RC pairs", {{"--corner", "1k"}}},
                  {"LED resistors",
                   {{"VSUPPLY", "5"}, {"--vf", "2"}, {"--current", "10m"}, {"--tolerance", "50"}}}};
  int refused = 0;
  for (int index = 0; index < 6; ++index) {
    const auto& [listName, fields] = searches[index];
    tabs->setCurrentIndex(index);
    QWidget& page = *tabs->widget(index);
    for (const auto& [option, text] : fields) Control<QLineEdit>(page, option)->setText(text);
    auto* list = Control<QTableView>(page, listName);
    const auto find = [&page] {
      QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
    };
    for (QLabel* error : page.findChildren<QLabel*>(QRegularExpression("^error "))) {
      find();
      QTRY_VERIFY2(list->model()->rowCount() > 0, listName);
      const QString option = error->objectName().mid(6);
      auto* field = Control<QLineEdit>(page, option.toUtf8().constData());
      const QString kept = field->text();
      field->setText("x");
      find();
      // The label as shown, without its mnemonic (a letter, or a digit after it) and unit:
      // "Min current (A)" is Min current, "Prefer 1" Prefer.
      QString label;
      for (const QLabel* caption : page.findChildren<QLabel*>()) {
        if (caption->buddy() == field) {
          label = caption->text()
                      .remove(QRegularExpression(" &[0-9]$"))
                      .remove('&')
                      .section(" (", 0, 0);
        }
      }
      QVERIFY2(!label.isEmpty(), qPrintable(option));
      QVERIFY2(error->isVisible() && error->text().startsWith(label + " "),
               qPrintable(option + ": " + error->text()));
      QCOMPARE(list->model()->rowCount(), 0);
      field->setText(kept);
      ++refused;
    }
  }
  // Each tab's Temperature and TCR among them (the LED tab has none).
  QCOMPARE(refused, 7 + 18 + 16 + 12 + 12 + 11);
}

// A regulator's legs are found as A and B, of which B is the top one when VREF lies across the
// top; the picture is to put each where the row's cells do, as the search had the circuit.
void NetworksWindowTest::PictureNamesTheLegsOfTheRowsCells() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  const struct {
    int tab;
    const char* list;
    std::vector<std::pair<const char*, const char*>> fields;
    const char* circuit;  // the combo box chosen, at its second choice
    QString description;  // %1 and %2 the row's first and second legs
  } cases[] = {
      {4, "RC pairs", {{"--corner", "1k"}}, "", "IN, R %1, OUT, C %2, ground; fc = 1.00 kHz"},
      {2,
       "Regulators",
       {{"VOUT", "5"}, {"--vref", "1.25"}},
       "Reference",
       "OUT, Rtop %1, ADJ, Rbottom %2, ground; VREF across the top leg"},
      {3,
       "Amplifiers",
       {{"G", "10"}},
       "Circuit",
       "Inverting amplifier: IN, Rin %2, inverting input, Rf %1, OUT; non-inverting input to "
       "ground"}};
  for (const auto& [index, listName, fields, circuit, description] : cases) {
    tabs->setCurrentIndex(index);
    QWidget& page = *tabs->widget(index);
    for (const auto& [option, text] : fields) Control<QLineEdit>(page, option)->setText(text);
    for (auto* box : page.findChildren<QComboBox*>()) {
      for (const QLabel* caption : page.findChildren<QLabel*>()) {
        if (caption->buddy() == box && caption->text().remove('&') == circuit) {
          box->setCurrentIndex(1);
        }
      }
    }
    QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
    auto* list = Control<QTableView>(page, listName);
    QTRY_VERIFY2(list->model()->rowCount() > 0, listName);
    list->selectRow(0);
    // A one-part leg's cell ("10k") is its part's value, which the picture gives its unit.
    const auto label = [&](int column, const QString& unit) {
      QString cell = list->model()->index(0, column).data().toString();
      const bool prefixed = cell.back().isLetter();
      cell.insert(prefixed ? cell.size() - 1 : cell.size(), u' ');
      return cell.replace(u'u', QString("\u00b5")) + unit;
    };
    const QString first = label(1, "\u03a9");
    const QString second = label(2, index == 4 ? "F" : "\u03a9");
    QCOMPARE(page.findChild<vantrel::SchematicView*>()->accessibleDescription(),
             description.arg(first, second));
    // The circuit of the search, not of the fields changed since.
    for (auto* box : page.findChildren<QComboBox*>()) box->setCurrentIndex(0);
    list->selectRow(1 % list->model()->rowCount());
    list->selectRow(0);
    QCOMPARE(page.findChild<vantrel::SchematicView*>()->accessibleDescription(),
             description.arg(first, second));
  }
}

// The LED tab draws its row's resistor network as find draws one, each part with its value.
void NetworksWindowTest::LedPictureIsItsResistorNetwork() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(5);
  QWidget& page = *tabs->widget(5);
  // 1 V at 1 mA: 1k on the dot, the library's 1000 alone.
  auto* list =
      FindOn(page, "LED resistors", {{"VSUPPLY", "3"}, {"--vf", "2"}, {"--current", "1m"}});
  QVERIFY(list->model()->rowCount() > 0);
  list->selectRow(0);
  QCOMPARE(page.findChild<vantrel::SchematicView*>()->accessibleDescription(),
           QString("R 1 k\u03a9"));
}

// Capacitors in parallel add: 1n || 2.2n is the exact 3.2n. A stock with no file is told with its
// message and where to make one, and the rows of the other stock are gone.
void NetworksWindowTest::StockChoiceSearchesThatStock() {
  QVERIFY(OpenOnRealSearches());
  Field<QComboBox>("stock")->setCurrentIndex(1);
  Find("3.2n");
  auto* list = Field<QTableView>("Networks");
  QTRY_VERIFY(list->model()->rowCount() > 0);
  QCOMPARE(Column(*list, 1).front(), QString("3.20 nF"));
  QCOMPARE(Column(*list, 4).front(), QString("1n || 2.2n"));
  // Found with series and parallel traded, drawn as the cell spells it.
  list->selectRow(0);
  auto* picture = Page().findChild<vantrel::SchematicView*>();
  QCOMPARE(picture->accessibleDescription(), QString("Ca 1 nF || Cb 2.2 nF"));
  QVERIFY(Field<QLabel>("status")->text().contains("capacitor networks within 1 % of 3.2 nF"));

  Field<QComboBox>("stock")->setCurrentIndex(2);
  Find("3.2n");
  QCOMPARE(list->model()->rowCount(), 0);
  QCOMPARE(Field<QLabel>("status")->text(),
           QString::fromStdString(vantrel::MissingLibraryMessage(vantrel::kInductors)) + "\n" +
               vantrel::kMissingStockHint);
  // A name that is no file is told as what it is, not as missing.
  m_fakes->files.notRegular[std::string(vantrel::kInductors.path)] = "a folder";
  Find("3.2n");
  QCOMPARE(Field<QLabel>("status")->text(),
           QString("InductorLibrary.txt is a folder; the library must be a regular file, or a "
                   "symbolic link to one"));
}

// Each stock's values carry its unit, in the list, the circuit's description and the status
// line: ohms for resistors, farads for capacitors, henries for inductors.
void NetworksWindowTest::EachStockShowsItsOwnUnit() {
  m_fakes->files.files[std::string(vantrel::kInductors.path)] = "1u\r\n2.2u\r\n";
  QVERIFY(OpenOnRealSearches());
  const struct {
    const char* target;
    const char* value;
    const char* picture;
    const char* subject;
  } stocks[] = {
      {"4k", "4.00 k\u03a9", "Ra 1 k\u03a9 + Rb 3 k\u03a9", "networks within 1 % of 4 k\u03a9"},
      {"3.2n", "3.20 nF", "Ca 1 nF || Cb 2.2 nF", "capacitor networks within 1 % of 3.2 nF"},
      {"3.2u", "3.20 \u00b5H", "La 1 \u00b5H + Lb 2.2 \u00b5H",
       "inductor networks within 1 % of 3.2 \u00b5H"},
  };
  auto* list = Field<QTableView>("Networks");
  for (int stock = 0; stock < 3; ++stock) {
    const auto& expected = stocks[stock];
    Field<QComboBox>("stock")->setCurrentIndex(stock);
    Find(expected.target);
    // The search runs on its thread; its rows replace the last stock's.
    QTRY_COMPARE(list->model()->rowCount() > 0 ? Column(*list, 1).front() : QString(),
                 QString(expected.value));
    QVERIFY(Field<QLabel>("status")->text().contains(expected.subject));
    list->selectRow(0);
    QCOMPARE(Page().findChild<vantrel::SchematicView*>()->accessibleDescription(),
             QString(expected.picture));
  }
}

// A library without a value, and one whose every value is excluded, are told in the status line
// of the stock searched, and leave no rows.
void NetworksWindowTest::EmptyLibraryIsToldInsteadOfRows() {
  QVERIFY(OpenOnRealSearches());
  auto* list = Field<QTableView>("Networks");
  Find("4k");
  QTRY_VERIFY(list->model()->rowCount() > 0);
  const struct {
    int stock;
    const char* library;  // none: as OpenOnRealSearches leaves it
    const char* exclude;
    const char* target;
    const char* status;
  } cases[] = {
      {0, "resistors to order\r\n", "", "4k", "The library holds no value to build networks from"},
      {1, "", "", "3.2n", "The capacitor library holds no value to build networks from"},
      {0, "1000\r\n3000\r\n10000\r\n", "1k 3k, 10k", "4k",
       "Every one of the library's 3 values is excluded"},
      {1, "1n\r\n2.2n\r\n", "1n 2.2n", "3.2n",
       "Every one of the capacitor library's 2 values is excluded"},
  };
  for (const auto& c : cases) {
    const vantrel::StockKind& kind = *vantrel::kStockKinds[static_cast<std::size_t>(c.stock)];
    m_fakes->files.files[std::string(kind.path)] = c.library;
    Field<QComboBox>("stock")->setCurrentIndex(c.stock);
    Field<QLineEdit>("--exclude")->setText(c.exclude);
    Find(c.target);
    QTRY_COMPARE(Field<QLabel>("status")->text(), QString(c.status));
    QCOMPARE(list->model()->rowCount(), 0);
  }
  // The divider tab says it of its own search.
  m_fakes->files.files[vantrel::kLibraryPath] = "";
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(1);
  QWidget& divider = *tabs->widget(1);
  Control<QLineEdit>(divider, "VIN")->setText("5");
  Control<QLineEdit>(divider, "VOUT")->setText("3.3");
  QTest::keyClick(Control<QLineEdit>(divider, "VOUT"), Qt::Key_Return);
  QTRY_COMPARE(Control<QLabel>(divider, "status")->text(),
               QString("The library holds no value to build dividers from"));
}

// The header names the pins of the circuit chosen, before Find and over the rows of the last.
void NetworksWindowTest::RegulatorHeaderFollowsTheReference() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(2);
  QWidget& page = *tabs->widget(2);
  auto* list = Control<QTableView>(page, "Regulators");
  // The header reads "Rtop"; its tooltip gives the pins.
  QCOMPARE(list->model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Rtop");
  const auto header = [list] {
    return list->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString();
  };
  QComboBox* reference = nullptr;
  for (const QLabel* caption : page.findChildren<QLabel*>()) {
    if (caption->text().remove('&') == "Reference")
      reference = qobject_cast<QComboBox*>(caption->buddy());
  }
  QVERIFY(reference != nullptr);
  QCOMPARE(header(), QString("Rtop (OUT\u2013FB)"));
  reference->setCurrentIndex(1);
  QCOMPARE(header(), QString("Rtop (OUT\u2013ADJ)"));
  Control<QLineEdit>(page, "VOUT")->setText("5");
  Control<QLineEdit>(page, "--vref")->setText("1.25");
  QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
  QTRY_VERIFY(list->model()->rowCount() > 0);
  reference->setCurrentIndex(0);
  QCOMPARE(header(), QString("Rtop (OUT\u2013FB)"));
  QVERIFY(list->model()->rowCount() > 0);
}

// A mnemonic whose button is disabled (Copy picture with no circuit drawn) is no text for the
// field with the focus; a field's own letters still are.
void NetworksWindowTest::AltLetterOfADisabledButtonTypesNothing() {
  auto* target = Field<QLineEdit>("TARGET");
  target->setFocus();
  for (const QPushButton* button : Page().findChildren<QPushButton*>()) {
    if (button->text() == vantrel::kCopyPictureText) QVERIFY(!button->isEnabled());
  }
  QTest::keyClick(target, Qt::Key_Y, Qt::AltModifier);
  QTest::keyClick(target, Qt::Key_4);
  QCOMPARE(target->text(), QString("4"));
}

// No tolerance is typed for the user: an empty field is the option not given, its default shown
// as a placeholder, Within's value once Within is given; the rows and notes are the command
// line's for the same options.
void NetworksWindowTest::EmptyToleranceIsTheCommandLinesDefault() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  for (int index = 0; index < 6; ++index) {
    auto* tolerance = Control<QLineEdit>(*tabs->widget(index), "--tolerance");
    QCOMPARE(tolerance->text(), QString());
    QCOMPARE(tolerance->placeholderText(), QString("1"));
  }
  tabs->setCurrentIndex(1);
  QWidget& page = *tabs->widget(1);
  Control<QLineEdit>(page, "--within")->setText("30");
  QCOMPARE(Control<QLineEdit>(page, "--tolerance")->placeholderText(), QString("30"));
  auto* list = FindOn(page, "Dividers", {{"VIN", "5"}, {"VOUT", "3.7"}, {"--part-tolerance", "1"}});
  QVERIFY(list->model()->rowCount() > 0);

  vantrel::finder::DividerInput input;
  input.vin = "5";
  input.vout = "3.7";
  input.within = "30";
  input.partTolerance = "1";
  const SearchOutcome outcome = SharedDivider(input);
  const auto& shown = static_cast<vantrel::RowTableModel*>(list->model())->Rows();
  QCOMPARE(shown.tsvCells, outcome.rows.tsvCells);
  QCOMPARE(Control<QLabel>(page, "status")->text(), QString::fromStdString(outcome.status));
  // Within 1, as a typed tolerance of 1 would have kept, lists fewer.
  input.tolerance = "1";
  QVERIFY(SharedDivider(input).rows.tsvCells.size() < shown.tsvCells.size());
}

// Escape closes the window; the next one opens with every field of every tab as it was left:
// texts, choices, counts and ticks.
void NetworksWindowTest::FieldsComeBackAfterEscape() {
  const auto fieldsOf = [](CNetworksDlg& window) {
    QStringList values;
    auto* tabs = window.findChild<QTabWidget*>();
    for (int index = 0; index < tabs->count(); ++index) {
      for (const QWidget* field : tabs->widget(index)->findChildren<QWidget*>()) {
        // A spin box's own edit is the spin box's.
        if (qobject_cast<const QSpinBox*>(field->parentWidget()) != nullptr) continue;
        if (const auto* edit = qobject_cast<const QLineEdit*>(field)) {
          values << edit->text() + "|" + edit->placeholderText();
        } else if (const auto* combo = qobject_cast<const QComboBox*>(field)) {
          values << combo->currentText();
        } else if (const auto* spin = qobject_cast<const QSpinBox*>(field)) {
          values << QString::number(spin->value());
        } else if (const auto* box = qobject_cast<const QCheckBox*>(field)) {
          values << (box->isChecked() ? "ticked" : "clear");
        }
      }
    }
    return values;
  };
  const QStringList fresh = fieldsOf(*m_window);
  auto* tabs = m_window->findChild<QTabWidget*>();
  int changed = 0;
  for (int index = 0; index < tabs->count(); ++index) {
    for (QWidget* field : tabs->widget(index)->findChildren<QWidget*>()) {
      if (qobject_cast<const QSpinBox*>(field->parentWidget()) != nullptr) continue;
      ++changed;
      if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->setText(QString("%1k%2").arg(index).arg(changed));
      } else if (auto* combo = qobject_cast<QComboBox*>(field)) {
        combo->setCurrentIndex(combo->count() - 1);
      } else if (auto* spin = qobject_cast<QSpinBox*>(field)) {
        spin->setValue(spin->minimum());
      } else if (auto* box = qobject_cast<QCheckBox*>(field)) {
        box->setChecked(true);
      } else {
        --changed;
      }
    }
  }
  const QStringList filled = fieldsOf(*m_window);
  QCOMPARE(filled.size(), fresh.size());
  QVERIFY(filled.size() > 50);
  for (int i = 0; i < filled.size(); ++i) QVERIFY2(filled[i] != fresh[i], qPrintable(filled[i]));
  QTest::keyClick(Field<QLineEdit>("TARGET"), Qt::Key_Escape);
  QVERIFY(!m_window->isVisible());
  m_window = std::make_unique<CNetworksDlg>(m_fakes->services);
  QCOMPARE(fieldsOf(*m_window), filled);
}

// Prefer reads the board's file as --prefer does: R1 = R2 halves VIN with any value, the one on
// the board first (New 0), then the others in the usual order (legs nearest 10k first); a line
// of it that gives no value is named in the status, and a file that cannot be read under the
// field.
void NetworksWindowTest::PreferRanksTheBoardsValuesFirstWithTheirNewCount() {
  QVERIFY(OpenOnRealSearches());
  m_fakes->files.files["board.csv"] =
      "\"Reference\",\"Value\",\"DNP\"\r\n\"R1\",\"1k\",\"\"\r\n\"R53\",\"TBD\",\"\"\r\n";
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(1);
  QWidget& page = *tabs->widget(1);
  Control<QLineEdit>(page, "VIN")->setText("2");
  Control<QLineEdit>(page, "VOUT")->setText("1");
  auto* prefer = Control<QLineEdit>(page, "--prefer");
  QVERIFY(prefer->actions().size() == 1);
  prefer->setText("board.csv");
  QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
  auto* list = Control<QTableView>(page, "Dividers");
  QTRY_COMPARE(list->model()->rowCount(), 3);
  const auto& shown = static_cast<vantrel::RowTableModel*>(list->model())->Rows();
  QCOMPARE(shown.tsvColumns.back(), std::string("new_values"));
  QCOMPARE(shown.titles.back(), std::string("New"));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"1000", "0"}, {"10000", "1"}, {"3000", "1"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    QCOMPARE(shown.tsvCells[i][1], expected[i].first);
    QCOMPARE(shown.tsvCells[i].back(), expected[i].second);
    QCOMPARE(shown.cells[i].back(), expected[i].second);
  }
  // A line that gives no value is named below the rows, and the rest of the board is read.
  auto* status = Control<QLabel>(page, "status");
  QTRY_VERIFY2(status->text().contains("board.csv:3: \"TBD\" of R53 skipped"),
               qPrintable(status->text()));
  prefer->setText("nowhere.csv");
  QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
  auto* error = Control<QLabel>(page, "error --prefer");
  QTRY_VERIFY(error->isVisible());
  QVERIFY2(error->text().startsWith("Prefer \"nowhere.csv\" cannot be read"),
           qPrintable(error->text()));
}

// 3k over 1k makes 5 V from 1.25 V exactly, but parts of 1 % take it past a band of 0.1 %:
// that design is listed greyed as row 0, can be drawn, and the status says what keeps it out.
void NetworksWindowTest::NearestMissIsRowZeroGreyedAndDrawn() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(2);
  QWidget& page = *tabs->widget(2);
  for (const auto& [option, text] :
       {std::pair{"VOUT", "5"}, std::pair{"--vref", "1.25"}, std::pair{"--part-tolerance", "1"},
        std::pair{"--within", "0.1"}}) {
    Control<QLineEdit>(page, option)->setText(text);
  }
  QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
  auto* list = Control<QTableView>(page, "Regulators");
  auto* status = Control<QLabel>(page, "status");
  QTRY_VERIFY2(status->text().startsWith("No design"), qPrintable(status->text()));
  QCOMPARE(list->model()->rowCount(), 1);
  const auto& shown = static_cast<vantrel::RowTableModel*>(list->model())->Rows();
  const auto cell = [&](const char* name) {
    const auto at = std::find(shown.names.begin(), shown.names.end(), name);
    return at == shown.names.end() ? std::string() : shown.cells[0][at - shown.names.begin()];
  };
  // Power's cells carry their unit, so its title does not; Error's are plain percentages.
  QVERIFY(std::find(shown.titles.begin(), shown.titles.end(), "Power") != shown.titles.end());
  QVERIFY(std::find(shown.titles.begin(), shown.titles.end(), "Error\n(%)") != shown.titles.end());
  QCOMPARE(cell("rank"), std::string("0"));
  QCOMPARE(cell("in_spec"), std::string("nearest, not in spec"));
  QCOMPARE(cell("needs_part_tolerance"), std::string("0.066"));
  QCOMPARE(list->model()->index(0, 1).data().toString(), QString("3k"));
  QCOMPARE(list->model()->index(0, 1).data(Qt::ForegroundRole).value<QBrush>(),
           QPalette().brush(QPalette::Disabled, QPalette::Text));
  QCOMPARE(
      status->text(),
      QString("No design within 0.1 % of 5 V meets Within 0.1 %. Row 0 is the nearest: with "
              "parts of 1 %, its band reaches 1.52 % of the 0.1 %; parts of 0.066 % would do"));
  list->selectRow(0);
  QVERIFY(!page.findChild<vantrel::SchematicView*>()->IsEmpty());
}

// Load and Max source under More are the command line's --load and --max-source: the rows are
// its rows, with the Source column.
void NetworksWindowTest::DividerLoadAndMaxSourceReachTheSearch() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(1);
  QWidget& page = *tabs->widget(1);
  auto* list = FindOn(page, "Dividers",
                      {{"VIN", "4"},
                       {"VOUT", "1"},
                       {"--tolerance", "10"},
                       {"--load", "10k"},
                       {"--max-source", "800"}});
  QVERIFY(list->model()->rowCount() > 0);

  vantrel::finder::DividerInput input;
  input.vin = "4";
  input.vout = "1";
  input.tolerance = "10";
  input.load = "10k";
  input.maxSource = "800";
  const SearchOutcome outcome = SharedDivider(input);
  const auto& shown = static_cast<vantrel::RowTableModel*>(list->model())->Rows();
  QCOMPARE(shown.tsvCells, outcome.rows.tsvCells);
  QVERIFY(std::find(shown.names.begin(), shown.names.end(), "source") != shown.names.end());
  // 3k over 1k with 10k across it: 4 V * 909 / 3909 = 0.930 V, and 3k || 1k = 750.
  QCOMPARE(list->model()->index(0, 1).data().toString(), QString("3k"));
  QCOMPARE(list->model()->rowCount(), 1);
}

QTEST_MAIN(NetworksWindowTest)
#include "networks_window_test.moc"

// A divider of 4 V to 1 V from 1k, 3k and 10k: 3k over 1k. Its total and current are hidden
// until the kept choice shows them; each row's tooltip gives its resistors' colour codes.
void NetworksWindowTest::SpareColumnsHideAndRowsTellTheirColourCodes() {
  QVERIFY(OpenOnRealSearches());
  auto* tabs = m_window->findChild<QTabWidget*>();
  tabs->setCurrentIndex(1);
  QWidget& page = *tabs->widget(1);
  Control<QLineEdit>(page, "VIN")->setText("4");
  Control<QLineEdit>(page, "VOUT")->setText("1");
  QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
  auto* list = Control<QTableView>(page, "Dividers");
  QTRY_VERIFY(list->model()->rowCount() > 0);
  const auto hidden = [list] {
    QStringList titles;
    for (int column = 0; column < list->model()->columnCount(); ++column) {
      if (list->isColumnHidden(column)) {
        titles << list->model()->headerData(column, Qt::Horizontal).toString();
      }
    }
    return titles;
  };
  QCOMPARE(hidden(), QStringList({"R1 + R2", "Current"}));
  QCOMPARE(list->model()->index(0, 1).data().toString(), QString("3k"));
  QCOMPARE(
      list->model()->index(0, 0).data(Qt::ToolTipRole).toString(),
      QString("3 k\u03a9: orange black red gold\n1 k\u03a9: brown black red gold, EIA-96 01B"));
  QSettings().setValue("NetworksWindow/hiddenColumns/Dividers", QStringList{"current"});
  QTest::mouseClick(Control<QPushButton>(page, "find"), Qt::LeftButton);
  QTRY_COMPARE(hidden(), QStringList({"Current"}));
}
