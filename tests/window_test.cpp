#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <iterator>
#include <memory>

#include "calculate.h"
#include "fake_editor.h"
#include "fake_services.h"
#include "file_error_report.h"
#include "library_file.h"
#include "networks_dlg.h"
#include "vantrel_dlg.h"
#include "window_probe.h"

using vantrel::CVantrelDlg;
using vantrel::Message;
using vantrel::testing::FakeServices;
using vantrel::testing::TypeAndCalculate;

namespace {

// A small library with a repeat: 100, 47, 91, 100.
constexpr char kSmallLibrary[] = "100\r\n47\r\n91\r\n100\r\n";

std::string SampleLibrary() {
  std::ifstream in(VANTREL_SAMPLE_LIBRARY, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void OpensWithDefaultsAndFocusOnCalculate();
  void HasTheTemplatesFixedShapeAndMenus();
  void CalculateFillsListAndChoices_data();
  void CalculateFillsListAndChoices();
  void PickedChoiceRefillsTheList();
  void TextTypedIntoTheChoiceFieldIsIgnored();
  void FailureShowsItsMessageAndKeepsTheList_data();
  void FailureShowsItsMessageAndKeepsTheList();
  void FileErrorIsShownAndTheWindowStaysOpen();
  void EnterRunsCalculate_data();
  void EnterRunsCalculate();
  void EscapeClosesTheWindow();
  void AboutOpensTheAboutBox();
  void NetworksOpensOneWindowBesideThisOne();
  void CopyPutsTheSelectedRowsOnTheClipboard_data();
  void CopyPutsTheSelectedRowsOnTheClipboard();

 private:
  template <typename T>
  T* Control(const char* name) {
    return vantrel::testing::Control<T>(*m_window, name);
  }
  void Calculate(const QString& target, const QString& precision) {
    TypeAndCalculate(*m_window, target, precision);
  }
  QStringList Choices() { return vantrel::testing::Choices(*m_window); }
  QList<QStringList> Rows() { return vantrel::testing::Rows(*m_window); }

  std::unique_ptr<FakeServices> m_fakes;
  std::unique_ptr<vantrel::testing::FakeEditorLauncher> m_editor;
  std::unique_ptr<CVantrelDlg> m_window;
};

void WindowTest::init() {
  m_fakes = std::make_unique<FakeServices>();
  m_fakes->files.files[vantrel::kLibraryPath] = kSmallLibrary;
  m_editor = std::make_unique<vantrel::testing::FakeEditorLauncher>();
  m_window = std::make_unique<CVantrelDlg>(m_fakes->services, *m_editor);
  m_window->show();
  QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void WindowTest::cleanup() {
  m_window.reset();
  m_editor.reset();
  m_fakes.reset();
}

void WindowTest::OpensWithDefaultsAndFocusOnCalculate() {
  QCOMPARE(Control<QLineEdit>("IDC_TARGET_VALUE")->text(), QString("45"));
  QCOMPARE(Control<QLineEdit>("IDC_TARGET_PRECISION")->text(), QString("1"));
  QVERIFY(Choices().isEmpty());
  QVERIFY(Rows().isEmpty());
  QCOMPARE(QApplication::focusWidget(), Control<QPushButton>("IDC_CALCULATE"));
  QVERIFY(Control<QPushButton>("IDC_CALCULATE")->isDefault());
  QVERIFY(m_fakes->messages.shown.empty());
}

void WindowTest::HasTheTemplatesFixedShapeAndMenus() {
  QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
  QCOMPARE(m_window->size(), m_window->minimumSize());
  QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
  QVERIFY(m_window->windowFlags() & Qt::WindowMinimizeButtonHint);
  QVERIFY(!m_window->windowIcon().isNull());

  auto* list = Control<QTreeWidget>("IDC_RESULT_LIST");
  const QStringList titles{"Resistor Value", "Resistor #1", "Resistor #2", "Precision (%)"};
  QCOMPARE(list->columnCount(), titles.size());
  for (int column = 0; column < titles.size(); ++column) {
    QCOMPARE(list->headerItem()->text(column), titles[column]);
    QCOMPARE(list->columnWidth(column), 105);
  }
  QVERIFY(list->header()->defaultAlignment() & Qt::AlignLeft);

  // Tab order follows the template: Calculate, target, precision, display count, list.
  QWidget* expected[] = {
      Control<QLineEdit>("IDC_TARGET_VALUE"), Control<QLineEdit>("IDC_TARGET_PRECISION"),
      Control<QComboBox>("IDC_DISPLAY_NUMBER"), list, Control<QPushButton>("IDC_CALCULATE")};
  for (QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), next->objectName());
  }

  const QList<QAction*> menu = Control<QMenuBar>("IDR_MAIN_MENU")->actions();
  QCOMPARE(menu.size(), 3);
  QCOMPARE(menu[0]->text(), QString("&LibrarySetting"));
  QCOMPARE(menu[0]->objectName(), QString("ID_LIBRARY_SETTING"));
  QCOMPARE(menu[1]->text(), QString("&About"));
  QCOMPARE(menu[2]->text(), QString("&Networks"));
  QVERIFY(menu[0]->menu() == nullptr && menu[1]->menu() == nullptr && menu[2]->menu() == nullptr);
}

void WindowTest::CalculateFillsListAndChoices_data() {
  QTest::addColumn<QString>("precision");
  QTest::addColumn<QStringList>("choices");
  QTest::addColumn<QList<QStringList>>("rows");
  QTest::newRow("45 and 1: nothing within 1 %") << "1" << QStringList{"0"} << QList<QStringList>{};
  QTest::newRow("45 and 5: the pair ranks before the single value")
      << "5" << QStringList{"2"}
      << QList<QStringList>{{"45.500", "91.000", "91.000", "1.111"},
                            {"47.000", "0.000", "0.000", "4.444"}};
}

void WindowTest::CalculateFillsListAndChoices() {
  QFETCH(QString, precision);
  QFETCH(QStringList, choices);
  QFETCH(QList<QStringList>, rows);
  Calculate("45", "5");  // a list to replace
  Calculate("45", precision);
  QCOMPARE(Choices(), choices);
  QCOMPARE(Control<QComboBox>("IDC_DISPLAY_NUMBER")->currentIndex(), 0);
  QCOMPARE(Rows(), rows);
  QVERIFY(m_fakes->messages.shown.empty());
}

// Calculate fills the list once: selecting the first choice in code is no selection change.
// A choice the user picks refills it.
void WindowTest::PickedChoiceRefillsTheList() {
  m_fakes->files.files[vantrel::kLibraryPath] = SampleLibrary();
  int inserted = 0;
  connect(Control<QTreeWidget>("IDC_RESULT_LIST")->model(), &QAbstractItemModel::rowsInserted, this,
          [&inserted](const QModelIndex&, int first, int last) { inserted += last - first + 1; });
  Calculate("45", "5");
  QCOMPARE(Choices(), (QStringList{"10", "20", "40", "50", "80", "99"}));
  QCOMPARE(inserted, 10);
  QCOMPARE(Rows().size(), 10);
  const QStringList first = Rows().front();

  auto* box = Control<QComboBox>("IDC_DISPLAY_NUMBER");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Down);
  QCOMPARE(Rows().size(), 20);
  for (int i = 0; i < 4; ++i) QTest::keyClick(box, Qt::Key_Down);
  QCOMPARE(box->currentText(), QString("99"));
  QCOMPARE(Rows().size(), 99);
  QCOMPARE(Rows().front(), first);
  QCOMPARE(Rows().back(), (QStringList{"46.996", "47.000", "620000.000", "4.437"}));
}

void WindowTest::TextTypedIntoTheChoiceFieldIsIgnored() {
  m_fakes->files.files[vantrel::kLibraryPath] = SampleLibrary();
  Calculate("45", "5");
  auto* box = Control<QComboBox>("IDC_DISPLAY_NUMBER");
  box->setFocus();
  box->lineEdit()->selectAll();
  QTest::keyClicks(box, "99");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // leaving the field ends editing
  QCOMPARE(box->currentIndex(), 0);
  QCOMPARE(Rows().size(), 10);

  // A choice picked afterwards counts by its own text.
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Down);
  QCOMPARE(Rows().size(), 20);
}

void WindowTest::FailureShowsItsMessageAndKeepsTheList_data() {
  QTest::addColumn<QString>("target");
  QTest::addColumn<QString>("precision");
  QTest::addColumn<bool>("libraryMissing");
  QTest::addColumn<QString>("message");
  const QString parameter = vantrel::kParameterErrorMessage;
  QTest::newRow("empty target") << ""
                                << "1" << false << parameter;
  QTest::newRow("letters") << "abc"
                           << "1" << false << parameter;
  QTest::newRow("zero target") << "0"
                               << "1" << false << parameter;
  QTest::newRow("negative target") << "-5"
                                   << "1" << false << parameter;
  QTest::newRow("negative precision") << "45"
                                      << "-1" << false << parameter;
  QTest::newRow("library missing") << "45"
                                   << "5" << true << QString(vantrel::kLibraryMissingMessage);
  QTest::newRow("target above every value")
      << "101"
      << "5" << false << QString(vantrel::kNoValueReachesTargetMessage);
}

void WindowTest::FailureShowsItsMessageAndKeepsTheList() {
  QFETCH(QString, target);
  QFETCH(QString, precision);
  QFETCH(bool, libraryMissing);
  QFETCH(QString, message);
  Calculate("45", "5");
  const QStringList choices = Choices();
  const QList<QStringList> rows = Rows();
  QCOMPARE(rows.size(), 2);

  if (libraryMissing) m_fakes->files.files.clear();
  Calculate(target, precision);
  QCOMPARE(m_fakes->messages.shown.size(), 1u);
  QCOMPARE(m_fakes->messages.shown[0], (Message{message.toStdString()}));
  QCOMPARE(Choices(), choices);
  QCOMPARE(Rows(), rows);

  // The rows behind the list are kept too: picking the display count again lists them.
  emit Control<QComboBox>("IDC_DISPLAY_NUMBER")->activated(0);
  QCOMPARE(Rows(), rows);
}

void WindowTest::FileErrorIsShownAndTheWindowStaysOpen() {
  Calculate("45", "5");
  const QList<QStringList> rows = Rows();
  m_fakes->files.failRead = true;
  Calculate("45", "1");
  const vantrel::FileError error("read", vantrel::kLibraryPath, "Input/output error");
  QCOMPARE(m_fakes->messages.shown.size(), 1u);
  QCOMPARE(m_fakes->messages.shown[0], vantrel::FileErrorMessage(error));
  QVERIFY(m_window->isVisible());
  QCOMPARE(Rows(), rows);

  m_fakes->files.failRead = false;
  Calculate("45", "1");
  QCOMPARE(Choices(), QStringList{"0"});
}

void WindowTest::EnterRunsCalculate_data() {
  QTest::addColumn<QString>("focus");
  QTest::newRow("target box") << "IDC_TARGET_VALUE";
  QTest::newRow("precision box") << "IDC_TARGET_PRECISION";
  QTest::newRow("Calculate button") << "IDC_CALCULATE";
  QTest::newRow("display-count box") << "IDC_DISPLAY_NUMBER";
}

void WindowTest::EnterRunsCalculate() {
  QFETCH(QString, focus);
  Control<QLineEdit>("IDC_TARGET_PRECISION")->setText("5");
  auto* widget = Control<QWidget>(focus.toUtf8().constData());
  widget->setFocus();
  QTest::keyClick(widget, Qt::Key_Return);
  QCOMPARE(Rows().size(), 2);
  QVERIFY(m_window->isVisible());
}

void WindowTest::EscapeClosesTheWindow() {
  QTest::keyClick(Control<QLineEdit>("IDC_TARGET_VALUE"), Qt::Key_Escape);
  QVERIFY(!m_window->isVisible());
  QCOMPARE(m_window->result(), int(QDialog::Rejected));
}

void WindowTest::AboutOpensTheAboutBox() {
  QString caption;
  QString text;
  QString ok;
  QTimer::singleShot(0, this, [&] {
    QWidget* box = QApplication::activeModalWidget();
    QVERIFY(box != nullptr);
    caption = box->windowTitle();
    text = box->findChild<QLabel*>("IDC_STATIC")->text();
    auto* button = box->findChild<QPushButton*>("IDOK");
    ok = button->text();
    QTest::mouseClick(button, Qt::LeftButton);
  });
  Control<QMenuBar>("IDR_MAIN_MENU")->actions()[1]->trigger();
  QCOMPARE(caption, QString("About Vantrel"));
  QVERIFY(text.split('\n').contains("Ver:1.0 2010-11-4"));
  QCOMPARE(ok, QString("确定"));
  QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void WindowTest::NetworksOpensOneWindowBesideThisOne() {
  QAction* networks = Control<QMenuBar>("IDR_MAIN_MENU")->actions()[2];
  networks->trigger();
  QPointer<QWidget> window = m_window->findChild<vantrel::CNetworksDlg*>();
  QVERIFY(window != nullptr && window->isVisible() && window->isWindow());
  QVERIFY(!window->isModal());
  window->lower();
  networks->trigger();
  QCOMPARE(m_window->findChildren<vantrel::CNetworksDlg*>().size(), 1);
  QVERIFY(QTest::qWaitForWindowActive(window));
  // Escape closes it and it is gone; the next ask makes a new one with nothing kept.
  QTest::keyClick(window, Qt::Key_Escape);
  QTRY_VERIFY(window == nullptr);
  QVERIFY(m_window->isVisible());
}

void WindowTest::CopyPutsTheSelectedRowsOnTheClipboard_data() {
  QTest::addColumn<QList<int>>("selected");
  QTest::addColumn<QString>("command");  // a key or the context menu's action
  QTest::addColumn<QString>("copied");
  const QString header = "Resistor Value\tResistor #1\tResistor #2\tPrecision (%)\n";
  const QString first = "45.500\t91.000\t91.000\t1.111\n";
  const QString second = "47.000\t0.000\t0.000\t4.444\n";
  QTest::newRow("nothing selected") << QList<int>{} << "Ctrl+C"
                                    << "unchanged";
  QTest::newRow("nothing selected, with header") << QList<int>{} << "ID_EDIT_COPY_WITH_HEADER"
                                                 << "unchanged";
  QTest::newRow("one row") << QList<int>{1} << "Ctrl+C" << second;
  QTest::newRow("rows in list order") << QList<int>{1, 0} << "ID_EDIT_COPY" << first + second;
  QTest::newRow("with header") << QList<int>{1} << "ID_EDIT_COPY_WITH_HEADER" << header + second;
  QTest::newRow("Ctrl+A") << QList<int>{} << "Ctrl+A" << first + second;
  QTest::newRow("Select All") << QList<int>{} << "ID_EDIT_SELECT_ALL" << first + second;
}

// The current row is not the selection: Ctrl+C must copy the selected rows, not the cell that
// has the focus.
void WindowTest::CopyPutsTheSelectedRowsOnTheClipboard() {
  QFETCH(QList<int>, selected);
  QFETCH(QString, command);
  QFETCH(QString, copied);
  Calculate("45", "5");
  auto* list = Control<QTreeWidget>("IDC_RESULT_LIST");
  list->setFocus();
  list->setCurrentItem(list->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
  for (int row : selected) list->topLevelItem(row)->setSelected(true);
  QGuiApplication::clipboard()->setText("unchanged");

  const QKeySequence key(command);
  if (command.startsWith("Ctrl")) {
    QTest::keySequence(list, key);
  } else {
    auto* action = list->findChild<QAction*>(command);
    QVERIFY(action != nullptr && list->actions().contains(action));
    action->trigger();
  }
  if (command.endsWith("A") || command == "ID_EDIT_SELECT_ALL") {
    QTest::keySequence(list, QKeySequence::Copy);
  }
  QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
