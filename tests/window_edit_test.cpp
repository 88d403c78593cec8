#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "fake_editor.h"
#include "fake_services.h"
#include "file_error_report.h"
#include "library_file.h"
#include "posix_files.h"
#include "scratch_dir.h"
#include "vantrel_dlg.h"
#include "window_probe.h"

using vantrel::CVantrelDlg;
using vantrel::Message;
using vantrel::testing::Control;
using vantrel::testing::FakeEditorLauncher;
using vantrel::testing::FakeMessageService;
using vantrel::testing::ScratchDir;

namespace {

constexpr char kSmallLibrary[] = "100\r\n47\r\n91\r\n100\r\n";

// Input the user could give the window while the editor is open, each of which would change
// what the window shows, start a command or close the window if it got through.
using Input = std::function<void(CVantrelDlg&)>;

// Counts the events of one type that reach an object.
class EventCounter : public QObject {
 public:
  explicit EventCounter(QEvent::Type type) : m_type(type) {}
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == m_type) ++count;
    return false;
  }

 private:
  QEvent::Type m_type;
};

}  // namespace

Q_DECLARE_METATYPE(Input)

// The window's LibrarySetting on real files in a scratch working directory, with an editor
// that is only pretended.
class WindowEditTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void RewritesTheLibraryAndKeepsTheResults();
  void InputWhileEditingIsDropped_data();
  void InputWhileEditingIsDropped();
  void NoEditorShowsTheReasonAndKeepsTheFile();
  void FailedEditorShowsWhatHappenedAndKeepsTheFile();
  void FileErrorIsShownAndTheWindowStaysOpen();
  void BusyCursorOnlyWhileTheCommandRuns_data();
  void BusyCursorOnlyWhileTheCommandRuns();

 private:
  void Calculate(const QString& target, const QString& precision) {
    vantrel::testing::TypeAndCalculate(*m_window, target, precision);
  }
  void TriggerLibrarySetting();
  QStringList Choices() { return vantrel::testing::Choices(*m_window); }
  QList<QStringList> Rows() { return vantrel::testing::Rows(*m_window); }

  std::unique_ptr<ScratchDir> m_dir;
  std::unique_ptr<FakeMessageService> m_messages;
  std::unique_ptr<vantrel::PosixFileService> m_files;
  vantrel::testing::FakeClock m_clock;
  std::unique_ptr<vantrel::Services> m_services;
  std::unique_ptr<FakeEditorLauncher> m_editor;
  std::unique_ptr<CVantrelDlg> m_window;
};

void WindowEditTest::init() {
  m_dir = std::make_unique<ScratchDir>();
  m_dir->Write(vantrel::kLibraryFileName, kSmallLibrary);
  m_messages = std::make_unique<FakeMessageService>();
  m_files = std::make_unique<vantrel::PosixFileService>();
  m_services =
      std::make_unique<vantrel::Services>(vantrel::Services{*m_messages, *m_files, m_clock});
  m_editor = std::make_unique<FakeEditorLauncher>();
  m_window = std::make_unique<CVantrelDlg>(*m_services, *m_editor);
  m_window->show();
  QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void WindowEditTest::cleanup() {
  m_window.reset();
  m_editor.reset();
  m_services.reset();
  m_files.reset();
  m_messages.reset();
  m_dir.reset();
}

// Returns once the command is over, the waits for the editor included.
void WindowEditTest::TriggerLibrarySetting() {
  Control<QMenuBar>(*m_window, "IDR_MAIN_MENU")->actions()[0]->trigger();
}

void WindowEditTest::RewritesTheLibraryAndKeepsTheResults() {
  Calculate("45", "5");
  const QStringList choices = Choices();
  const QList<QStringList> rows = Rows();
  QCOMPARE(rows.size(), 2);

  m_editor->looksWhileOpen = 2;
  m_editor->onLook = [this] {
    if (m_editor->looks != 1) return;
    std::ofstream(m_dir->Path(vantrel::kLibraryFileName), std::ios::binary | std::ios::app)
        << "220\r\n100\r\n220\r\n4.755\r\n4.745\r\nten ohms\r\n0\r\n";
  };
  TriggerLibrarySetting();

  QCOMPARE(m_editor->startedFiles, std::vector<std::string>{vantrel::kLibraryFileName});
  QCOMPARE(m_editor->looks, 3);
  QCOMPARE(m_dir->Read(vantrel::kLibraryFileName).value_or("missing"),
           std::string("4.74\r\n4.76\r\n47.00\r\n91.00\r\n100.00\r\n220.00\r\n"));
  QVERIFY(m_messages->shown.empty());
  QCOMPARE(Choices(), choices);
  QCOMPARE(Rows(), rows);

  // The next Calculate reads the edited library.
  Calculate("4.76", "0");
  QCOMPARE(Rows().value(0).value(0), QString("4.760"));
}

void WindowEditTest::InputWhileEditingIsDropped_data() {
  QTest::addColumn<Input>("input");
  QTest::addColumn<bool>("queued");  // posted before the wait rather than given in it
  QTest::newRow("click on Calculate") << Input([](CVantrelDlg& window) {
    QTest::mouseClick(Control<QPushButton>(window, "IDC_CALCULATE"), Qt::LeftButton);
  }) << false;
  QTest::newRow("click on Calculate through the window system") << Input([](CVantrelDlg& window) {
    auto* button = Control<QPushButton>(window, "IDC_CALCULATE");
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      button->mapTo(&window, button->rect().center()));
  }) << false;
  QTest::newRow("Enter") << Input([](CVantrelDlg& window) {
    QTest::keyClick(Control<QLineEdit>(window, "IDC_TARGET_VALUE"), Qt::Key_Return);
  }) << false;
  QTest::newRow("typing") << Input([](CVantrelDlg& window) {
    QTest::keyClicks(Control<QLineEdit>(window, "IDC_TARGET_PRECISION"), "5");
  }) << false;
  QTest::newRow("Escape") << Input([](CVantrelDlg& window) {
    QTest::keyClick(Control<QLineEdit>(window, "IDC_TARGET_VALUE"), Qt::Key_Escape);
  }) << false;
  QTest::newRow("Alt+L, a second LibrarySetting")
      << Input([](CVantrelDlg& window) { QTest::keyClick(&window, Qt::Key_L, Qt::AltModifier); })
      << false;
  QTest::newRow("close request") << Input([](CVantrelDlg& window) { window.close(); }) << false;
  QTest::newRow("click queued before the wait") << Input([](CVantrelDlg& window) {
    auto* button = Control<QPushButton>(window, "IDC_CALCULATE");
    const QPointF centre = button->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QCoreApplication::postEvent(
          button, new QMouseEvent(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                  Qt::NoModifier));
    }
  }) << true;
}

// Each input is given while the editor is open; afterwards, and after the event queue has run
// dry, the window shows what it showed before and no second editor was started. A Calculate
// let through would list nothing: the precision is 1 by then.
void WindowEditTest::InputWhileEditingIsDropped() {
  QFETCH(Input, input);
  QFETCH(bool, queued);
  Calculate("45", "5");
  Control<QLineEdit>(*m_window, "IDC_TARGET_PRECISION")->setText("1");
  const QList<QStringList> rows = Rows();
  QCOMPARE(rows.size(), 2);

  EventCounter paints(QEvent::Paint);
  m_window->installEventFilter(&paints);
  bool given = false;
  m_editor->looksWhileOpen = 1;
  m_editor->onLook = [&] {
    if (m_editor->looks != 1) return;
    // Posted events are delivered in the wait; the others are given from a timer that fires
    // in it.
    if (queued) {
      input(*m_window);
      given = true;
    } else {
      QTimer::singleShot(0, m_window.get(), [&] {
        input(*m_window);
        m_window->update();
        given = true;
      });
    }
  };
  TriggerLibrarySetting();
  QVERIFY(given);
  if (!queued) QVERIFY(paints.count > 0);  // painted while it waited
  QTest::qWait(50);

  QCOMPARE(m_editor->startedFiles.size(), 1u);
  QVERIFY(m_window->isVisible());
  QCOMPARE(Control<QLineEdit>(*m_window, "IDC_TARGET_PRECISION")->text(), QString("1"));
  QCOMPARE(Rows(), rows);
  QVERIFY(m_messages->shown.empty());
  QCOMPARE(m_dir->Read(vantrel::kLibraryFileName).value_or("missing"),
           std::string("47.00\r\n91.00\r\n100.00\r\n"));

  // Input after the command reaches the window again.
  input(*m_window);
  QTest::qWait(50);
  const bool reached = m_editor->startedFiles.size() == 2 || !m_window->isVisible() ||
                       Control<QLineEdit>(*m_window, "IDC_TARGET_PRECISION")->text() != "1" ||
                       Rows() != rows;
  QVERIFY(reached);
}

// Alt+L, the menu's mnemonic, starts the command like a click on the menu.
void WindowEditTest::NoEditorShowsTheReasonAndKeepsTheFile() {
  m_editor->failure = "No text editor could be started.";
  QTest::keyClick(m_window.get(), Qt::Key_L, Qt::AltModifier);
  QCOMPARE(m_editor->startedFiles.size(), 1u);
  QCOMPARE(m_messages->shown, std::vector<Message>{Message{"No text editor could be started."}});
  QCOMPARE(m_editor->looks, 0);
  QCOMPARE(m_dir->Read(vantrel::kLibraryFileName).value_or("missing"), std::string(kSmallLibrary));
}

void WindowEditTest::FailedEditorShowsWhatHappenedAndKeepsTheFile() {
  m_editor->endFailure = "The editor \"false\" exited with status 1";
  QTest::keyClick(m_window.get(), Qt::Key_L, Qt::AltModifier);
  QCOMPARE(m_editor->startedFiles.size(), 1u);
  QCOMPARE(m_messages->shown,
           std::vector<Message>{Message{"The editor \"false\" exited with status 1, so "
                                        "ResistorLibrary.txt was not rewritten."}});
  QCOMPARE(m_dir->Read(vantrel::kLibraryFileName).value_or("missing"), std::string(kSmallLibrary));
}

// A read that fails after the editor has closed; the fixture's window stays unused.
void WindowEditTest::FileErrorIsShownAndTheWindowStaysOpen() {
  vantrel::testing::FakeServices fakes;
  fakes.files.files[vantrel::kLibraryPath] = kSmallLibrary;
  fakes.files.failRead = true;
  FakeEditorLauncher editor;
  CVantrelDlg window(fakes.services, editor);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  Control<QMenuBar>(window, "IDR_MAIN_MENU")->actions()[0]->trigger();
  const vantrel::FileError error("read", vantrel::kLibraryPath, "Input/output error");
  QCOMPARE(fakes.messages.shown, std::vector<Message>{vantrel::FileErrorMessage(error)});
  QVERIFY(window.isVisible());
  QCOMPARE(fakes.files.files[vantrel::kLibraryPath], std::string(kSmallLibrary));

  // The window goes on working.
  fakes.files.failRead = false;
  Control<QMenuBar>(window, "IDR_MAIN_MENU")->actions()[0]->trigger();
  QCOMPARE(fakes.messages.shown.size(), 1u);
  QCOMPARE(fakes.files.files[vantrel::kLibraryPath], std::string("47.00\r\n91.00\r\n100.00\r\n"));
}

void WindowEditTest::BusyCursorOnlyWhileTheCommandRuns_data() {
  QTest::addColumn<QString>("failure");  // the editor's, or a failed read after it
  QTest::newRow("editor closed") << "";
  QTest::newRow("editor not started") << "start";
  QTest::newRow("file error") << "read";
}

// Whichever way the command ends, the cursor the user had comes back.
void WindowEditTest::BusyCursorOnlyWhileTheCommandRuns() {
  QFETCH(QString, failure);
  vantrel::testing::FakeServices fakes;
  fakes.files.files[vantrel::kLibraryPath] = kSmallLibrary;
  fakes.files.failRead = failure == "read";
  FakeEditorLauncher editor;
  if (failure == "start") editor.failure = "No text editor could be started.";
  editor.looksWhileOpen = 2;
  std::vector<int> shapes;
  editor.onLook = [&shapes] {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    shapes.push_back(cursor == nullptr ? -1 : cursor->shape());
  };
  CVantrelDlg window(fakes.services, editor);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  Control<QMenuBar>(window, "IDR_MAIN_MENU")->actions()[0]->trigger();
  QCOMPARE(shapes, failure == "start" ? std::vector<int>{} : std::vector<int>(3, Qt::WaitCursor));
  QCOMPARE(fakes.messages.shown.size(), failure.isEmpty() ? 0u : 1u);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

QTEST_MAIN(WindowEditTest)
#include "window_edit_test.moc"
