#include "vantrel_dlg.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "about_dlg.h"
#include "calculate.h"
#include "dialog_units.h"
#include "editor_activation.h"
#include "file_error_report.h"
#include "input_blocking_waiter.h"
#include "labelled_combo_box.h"
#include "library_edit.h"
#include "list_actions.h"
#include "networks_dlg.h"
#include "override_cursor.h"
#include "placement.h"
#include "resource_ids.h"
#include "resource_strings.h"
#include "resources.h"
#include "result_presentation.h"

namespace vantrel {

// A plain window rather than a dialog to the window manager, so it is listed in task bars; it
// has a minimise box but no maximise box, and its fixed size leaves no sizing border.
CVantrelDlg::CVantrelDlg(Services& services, IEditorLauncher& editor, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_services(services),
      m_editor(editor) {
  setObjectName(IDD_MAIN_DIALOG.name);
  setWindowTitle(kMainCaption);
  setWindowIcon(ApplicationIcon());
  setFont(DialogFont());
  InstallLabelledComboBoxAccessibility();

  CreateMenuBar();
  CreateControls();
  m_targetValue->setText(kDefaultTargetValue);
  m_targetPrecision->setText(kDefaultTargetPrecision);
  InitResultColumns();
  CreateListActions();
  // Fixes the size now, so the window manager sees a window that cannot be resized or
  // maximised from the moment it is mapped.
  layout()->activate();
  m_calculate->setFocus();
  PlaceOnScreen();
}

// Centred on the screen under the pointer. move() places the frame, which the window manager
// has yet to add, so the fit allows for a title bar of the assumed height. Moved, the window is
// not placed again by QDialog when it is shown.
void CVantrelDlg::PlaceOnScreen() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  setScreen(screen);
  move(CentredFramePosition(screen->availableGeometry(), size(), kAssumedTitleBarHeight));
}

void CVantrelDlg::CreateMenuBar() {
  auto* menuBar = new QMenuBar(this);
  menuBar->setObjectName(IDR_MAIN_MENU.name);
  m_librarySetting = menuBar->addAction(kLibrarySettingMenuText);
  m_librarySetting->setObjectName(ID_LIBRARY_SETTING.name);
  connect(m_librarySetting, &QAction::triggered, this, &CVantrelDlg::OnLibrarySetting);
  QAction* about = menuBar->addAction(kAboutMenuText);
  about->setObjectName(IDM_ABOUTBOX.name);
  connect(about, &QAction::triggered, this, &CVantrelDlg::OnAbout);
  QAction* networks = menuBar->addAction(kNetworksMenuText);
  networks->setObjectName(ID_NETWORKS.name);
  connect(networks, &QAction::triggered, this, &CVantrelDlg::OnNetworks);

  // The menu bar sits above the client area, which keeps the template's size.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

// Controls are created in the template's order, which is also their tab order.
void CVantrelDlg::CreateControls() {
  const DialogUnits units(fontMetrics());
  auto* client = new QWidget(this);
  client->setFixedSize(units.ToPixels(main_dialog::kClient).size());
  layout()->addWidget(client);

  m_calculate = new QPushButton(kCalculateText, client);
  m_calculate->setObjectName(IDC_CALCULATE.name);
  m_calculate->setDefault(true);
  m_calculate->setGeometry(units.ToPixels(main_dialog::kCalculate));
  connect(m_calculate, &QPushButton::clicked, this, &CVantrelDlg::OnCalculate);

  m_targetValue = new QLineEdit(client);
  m_targetValue->setObjectName(IDC_TARGET_VALUE.name);
  m_targetValue->setGeometry(units.ToPixels(main_dialog::kTargetValue));

  m_targetPrecision = new QLineEdit(client);
  m_targetPrecision->setObjectName(IDC_TARGET_PRECISION.name);
  m_targetPrecision->setGeometry(units.ToPixels(main_dialog::kTargetPrecision));

  // Only a choice picked from the list counts: the edit field takes text but nothing reads
  // it, so Qt's matching of typed text to items, which would pick a choice, is cut off.
  m_displayNumber = new QComboBox(client);
  m_displayNumber->setObjectName(IDC_DISPLAY_NUMBER.name);
  m_displayNumber->setEditable(true);
  m_displayNumber->setInsertPolicy(QComboBox::NoInsert);
  m_displayNumber->setCompleter(nullptr);
  disconnect(m_displayNumber->lineEdit(), &QLineEdit::returnPressed, m_displayNumber, nullptr);
  disconnect(m_displayNumber->lineEdit(), &QLineEdit::editingFinished, m_displayNumber, nullptr);
  const QRect displayNumber = units.ToPixels(main_dialog::kDisplayNumber);
  m_displayNumber->setGeometry(displayNumber.x(), displayNumber.y(), displayNumber.width(),
                               m_displayNumber->sizeHint().height());
  // activated comes only from the user, never from setting the selection in code.
  connect(m_displayNumber, &QComboBox::activated, this, &CVantrelDlg::OnDisplayNumberChanged);

  // Each label is its control's buddy, which names the control to screen readers and links
  // the two; the texts carry no '&', so no shortcut comes with it.
  const struct {
    const char* text;
    DialogRect rect;
    QWidget* buddy;
  } labels[] = {{kTargetValueLabel, main_dialog::kTargetValueLabel, m_targetValue},
                {kTargetPrecisionLabel, main_dialog::kTargetPrecisionLabel, m_targetPrecision},
                {kDisplayNumberLabel, main_dialog::kDisplayNumberLabel, m_displayNumber}};
  for (const auto& [text, rect, buddy] : labels) {
    auto* label = new QLabel(text, client);
    label->setObjectName(IDC_STATIC.name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(units.ToPixels(rect));
    label->setBuddy(buddy);
  }

  m_resultList = new QTreeWidget(client);
  m_resultList->setObjectName(IDC_RESULT_LIST.name);
  m_resultList->setRootIsDecorated(false);
  m_resultList->setUniformRowHeights(true);
  m_resultList->setAllColumnsShowFocus(true);
  m_resultList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_resultList->setGeometry(units.ToPixels(main_dialog::kResultList));
  m_resultList->setAccessibleName(kResultListName);
}

void CVantrelDlg::CreateListActions() {
  AddCopyActions(*m_resultList, [this](bool withHeader) { CopySelectedRows(withHeader); });
}

void CVantrelDlg::OnCalculate() {
  RunCommand(m_services.messages, [this] {
    if (!Calculate(m_targetValue->text().toStdString(), m_targetPrecision->text().toStdString(),
                   m_library, m_results, m_services)) {
      return;
    }
    FillDisplayNumberChoices(m_results.count);
    ShowResults();
  });
}

// The whole command, the wait for the editor included, runs inside this handler; the waiter
// keeps the window painted while it drops the user's input, so neither Calculate nor a second
// LibrarySetting can start meanwhile.
void CVantrelDlg::OnLibrarySetting() {
  RunCommand(m_services.messages, [this] {
    // Tells the user the window is waiting, not frozen.
    const OverrideCursor busy(Qt::WaitCursor);
    const EditorActivation activation(*this);
    InputBlockingWaiter waiter;
    EditLibrary(m_services, m_editor, waiter, m_library);
  });
}

void CVantrelDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

// One Networks window at most; asking again brings it to the front. It is a window of its own
// beside this one, closed and deleted with it.
void CVantrelDlg::OnNetworks() {
  if (m_networks == nullptr) {
    m_networks = new CNetworksDlg(m_services, this);
    m_networks->setAttribute(Qt::WA_DeleteOnClose);
  }
  m_networks->show();
  m_networks->raise();
  m_networks->activateWindow();
}

void CVantrelDlg::OnDisplayNumberChanged() {
  ShowResults();
}

// The selected rows in list order, cells as shown, tab-separated, one row per line.
void CVantrelDlg::CopySelectedRows(bool withHeader) {
  const auto line = [](const QTreeWidgetItem& item) {
    QStringList cells;
    for (int column = 0; column < item.columnCount(); ++column) cells << item.text(column);
    return cells.join(u'\t') + u'\n';
  };
  QString text;
  for (int i = 0; i < m_resultList->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = m_resultList->topLevelItem(i);
    if (item->isSelected()) text += line(*item);
  }
  if (text.isEmpty()) return;
  if (withHeader) text.prepend(line(*m_resultList->headerItem()));
  CopyText(text);
}

void CVantrelDlg::InitResultColumns() {
  QStringList titles;
  for (const char* title : kResultColumnTitles) titles << title;
  m_resultList->setHeaderLabels(titles);
  m_resultList->header()->setStretchLastSection(false);
  m_resultList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int column = 0; column < m_resultList->columnCount(); ++column) {
    m_resultList->setColumnWidth(column, kResultColumnWidth);
  }
}

// Setting the selection in code raises no activated signal, so the list is not refilled here.
void CVantrelDlg::FillDisplayNumberChoices(std::int32_t count) {
  m_displayNumber->clear();
  for (const std::string& choice : DisplayNumberChoices(count)) {
    m_displayNumber->addItem(QString::fromStdString(choice));
  }
  m_displayNumber->setCurrentIndex(0);
}

void CVantrelDlg::ShowResults() {
  const QString choice = m_displayNumber->itemText(m_displayNumber->currentIndex());
  m_resultList->clear();
  QList<QTreeWidgetItem*> items;
  for (const auto& cells : ListedRows(m_results, choice.toStdString())) {
    auto* item = new QTreeWidgetItem;
    for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
      item->setText(column, QString::fromStdString(cells[static_cast<std::size_t>(column)]));
    }
    items << item;
  }
  m_resultList->addTopLevelItems(items);
}

}  // namespace vantrel
