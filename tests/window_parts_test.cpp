#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "fake_services.h"
#include "file_error_report.h"
#include "override_cursor.h"
#include "placement.h"
#include "qt_message_service.h"
#include "result_presentation.h"
#include "single_instance.h"
#include "startup.h"

using vantrel::Message;
using vantrel::MessageIcon;
using vantrel::MessageOwner;

// The parts of the window that need no main window: the display-count choices, the list's
// cells, the start-up check, message boxes and the report of file errors.
class WindowPartsTest : public QObject {
  Q_OBJECT

 private slots:
  void DisplayNumberChoices_data();
  void DisplayNumberChoices();
  void ListedRowsFollowTheChoiceNotTheCount_data();
  void ListedRowsFollowTheChoiceNotTheCount();
  void SecondCopyIsRefusedWithAWarning();
  void MessageBoxes_data();
  void MessageBoxes();
  void MessageOfAWindowOfTheMainWindowsOwnStaysOnIt();
  void FileErrorEndsTheCommandAsAMessage();
  void PlacementKeepsTheTitleBarOnTheScreen();
};

void WindowPartsTest::DisplayNumberChoices_data() {
  QTest::addColumn<int>("count");
  QTest::addColumn<QStringList>("choices");
  for (int count : {0, 1, 7, 10}) {
    QTest::addRow("%d", count) << count << QStringList{QString::number(count)};
  }
  QTest::newRow("11") << 11 << QStringList{"10", "11"};
  QTest::newRow("20") << 20 << QStringList{"10", "20"};
  QTest::newRow("21") << 21 << QStringList{"10", "20", "21"};
  QTest::newRow("35: no 30") << 35 << QStringList{"10", "20", "35"};
  QTest::newRow("40") << 40 << QStringList{"10", "20", "40"};
  QTest::newRow("41") << 41 << QStringList{"10", "20", "40", "41"};
  QTest::newRow("50") << 50 << QStringList{"10", "20", "40", "50"};
  QTest::newRow("51") << 51 << QStringList{"10", "20", "40", "50", "51"};
  QTest::newRow("80") << 80 << QStringList{"10", "20", "40", "50", "80"};
  QTest::newRow("81") << 81 << QStringList{"10", "20", "40", "50", "80", "81"};
  QTest::newRow("99") << 99 << QStringList{"10", "20", "40", "50", "80", "99"};
  QTest::newRow("100") << 100 << QStringList{"10", "20", "40", "50", "80", "100"};
}

void WindowPartsTest::DisplayNumberChoices() {
  QFETCH(int, count);
  QFETCH(QStringList, choices);
  QStringList actual;
  for (const std::string& choice : vantrel::DisplayNumberChoices(count)) {
    actual << QString::fromStdString(choice);
  }
  QCOMPARE(actual, choices);
}

void WindowPartsTest::ListedRowsFollowTheChoiceNotTheCount_data() {
  QTest::addColumn<QString>("choice");
  QTest::addColumn<int>("rows");
  QTest::newRow("no choice yet") << "" << 0;
  QTest::newRow("0") << "0" << 0;
  QTest::newRow("3, past the count") << "3" << 3;
  QTest::newRow("99") << "99" << 99;
  QTest::newRow("beyond the table") << "1000" << 100;
  QTest::newRow("negative") << "-4" << 0;
}

void WindowPartsTest::ListedRowsFollowTheChoiceNotTheCount() {
  QFETCH(QString, choice);
  QFETCH(int, rows);
  vantrel::ResultTable table;
  table.rows[0] = {45.5F, 91, 91, 1.1111112F};
  table.rows[1] = {47, 0, 0, 4.4444447F};
  table.rows[99] = {2.0005F, -1, 1e6F, 0.0625F};
  table.count = 2;
  const auto listed = vantrel::ListedRows(table, choice.toStdString());
  QCOMPARE(int(listed.size()), rows);
  using Cells = std::array<std::string, 4>;
  if (rows > 1) QCOMPARE(listed[0], (Cells{"45.500", "91.000", "91.000", "1.111"}));
  if (rows > 2) QCOMPARE(listed[2], (Cells{"0.000", "0.000", "0.000", "0.000"}));
  if (rows == 100) QCOMPARE(listed[99], (Cells{"2.000", "-1.000", "1000000.000", "0.063"}));
}

void WindowPartsTest::SecondCopyIsRefusedWithAWarning() {
  QTemporaryDir root;
  const std::string dir = root.filePath("run").toStdString();
  vantrel::testing::FakeMessageService messages;

  const vantrel::SingleInstanceLock first("vantrel", dir);
  QVERIFY(!vantrel::RefuseSecondCopy(first, messages));
  QVERIFY(messages.shown.empty());

  const vantrel::SingleInstanceLock second("vantrel", dir);
  QVERIFY(vantrel::RefuseSecondCopy(second, messages));
  QCOMPARE(messages.shown.size(), 1u);
  QCOMPARE(messages.shown[0], (Message{"Application is already runing !", MessageOwner::kNoWindow,
                                       MessageIcon::kWarning}));

  // Without a usable lock directory the program still starts.
  std::filesystem::permissions(root.path().toStdString(), std::filesystem::perms::all);
  const vantrel::SingleInstanceLock unusable("vantrel", root.path().toStdString());
  QCOMPARE(unusable.State(), vantrel::InstanceLockState::kUnavailable);
  QVERIFY(!vantrel::RefuseSecondCopy(unusable, messages));
  QCOMPARE(messages.shown.size(), 1u);
}

void WindowPartsTest::MessageBoxes_data() {
  QTest::addColumn<int>("owner");
  QTest::addColumn<int>("icon");
  QTest::addColumn<int>("boxIcon");
  QTest::newRow("a command's message")
      << int(MessageOwner::kMainWindow) << int(MessageIcon::kNone) << int(QMessageBox::NoIcon);
  QTest::newRow("the start-up message")
      << int(MessageOwner::kNoWindow) << int(MessageIcon::kWarning) << int(QMessageBox::Warning);
}

void WindowPartsTest::MessageBoxes() {
  QFETCH(int, owner);
  QFETCH(int, icon);
  QFETCH(int, boxIcon);
  QWidget window;
  window.show();
  vantrel::QtMessageService messages("vantrel");
  messages.SetMainWindow(&window);

  // Shown in a command that has set the busy cursor, the box still gets the arrow.
  const vantrel::OverrideCursor busy(Qt::WaitCursor);
  int cursor = -1;
  QMessageBox* seen = nullptr;
  QString caption, text;
  QWidget* parent = nullptr;
  int seenIcon = -1;
  QList<QAbstractButton*> buttons;
  QTimer::singleShot(0, this, [&] {
    seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (seen == nullptr) return;
    caption = seen->windowTitle();
    text = seen->text();
    parent = seen->parentWidget();
    seenIcon = seen->icon();
    buttons = seen->buttons();
    cursor = QGuiApplication::overrideCursor()->shape();
    seen->button(QMessageBox::Ok)->click();
  });
  messages.Show({"Parameter setting error !", MessageOwner(owner), MessageIcon(icon)});
  QVERIFY(seen != nullptr);
  QCOMPARE(caption, QString("vantrel"));
  QCOMPARE(text, QString("Parameter setting error !"));
  QCOMPARE(seenIcon, boxIcon);
  QCOMPARE(buttons.size(), 1);
  QCOMPARE(parent, owner == int(MessageOwner::kMainWindow) ? &window : nullptr);
  QCOMPARE(cursor, int(Qt::ArrowCursor));
  QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
}

void WindowPartsTest::MessageOfAWindowOfTheMainWindowsOwnStaysOnIt() {
  QWidget main;
  main.show();
  QWidget own(&main, Qt::Window);
  own.show();
  own.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&own));
  vantrel::QtMessageService messages("vantrel");
  messages.SetMainWindow(&main);
  QWidget* parent = nullptr;
  QTimer::singleShot(0, this, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    parent = box->parentWidget();
    box->button(QMessageBox::Ok)->click();
  });
  messages.Show({"ResistorLibrary.txt was not rewritten"});
  QCOMPARE(parent, &own);
}

void WindowPartsTest::FileErrorEndsTheCommandAsAMessage() {
  vantrel::testing::FakeMessageService messages;
  vantrel::RunCommand(messages, [] {
    throw vantrel::FileError("read", "./ResistorLibrary.txt", "Input/output error");
  });
  QCOMPARE(messages.Texts(),
           std::vector<std::string>{"Cannot read the file \"./ResistorLibrary.txt\":\n"
                                    "Input/output error."});
  QCOMPARE(messages.shown[0].owner, MessageOwner::kMainWindow);

  bool finished = false;
  vantrel::RunCommand(messages, [&] { finished = true; });
  QVERIFY(finished);
  QCOMPARE(messages.shown.size(), 1u);
}

// The window at every scale from 1 to 3 on a 1280x900 screen, and under title bars from none
// to twice the assumed height: the title bar and the top-left corner are always on the screen,
// and a window that fits is wholly on it and centred.
void WindowPartsTest::PlacementKeepsTheTitleBarOnTheScreen() {
  const QSize window(452, 383);
  for (int percent = 100; percent <= 300; percent += 5) {
    const QRect screen(0, 0, 128000 / percent, 90000 / percent);
    for (const QRect area : {screen, screen.adjusted(0, 32, 0, 0), screen.translated(1280, 0)}) {
      const QPoint frame =
          vantrel::CentredFramePosition(area, window, vantrel::kAssumedTitleBarHeight);
      for (int titleBar = 0; titleBar <= 2 * vantrel::kAssumedTitleBarHeight; titleBar += 10) {
        const QRect framed(frame, QSize(window.width(), window.height() + titleBar));
        QVERIFY2(area.contains(framed.topLeft()), qPrintable(QString::number(percent)));
        const bool fits = framed.width() <= area.width() &&
                          window.height() + vantrel::kAssumedTitleBarHeight <= area.height();
        if (fits && titleBar <= vantrel::kAssumedTitleBarHeight) {
          QVERIFY(area.contains(framed));
        }
      }
      const QRect assumed(frame, window + QSize(0, vantrel::kAssumedTitleBarHeight));
      if (area.contains(assumed))
        QVERIFY((assumed.center() - area.center()).manhattanLength() <= 2);
    }
  }
}

QTEST_MAIN(WindowPartsTest)
#include "window_parts_test.moc"
