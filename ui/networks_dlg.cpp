#include "networks_dlg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "kind_tabs.h"
#include "labelled_combo_box.h"
#include "library_page.h"
#include "placement.h"
#include "resource_strings.h"

namespace vantrel {
namespace {

// The window's font, named rather than left to whatever the font configuration resolves the
// default to when the program starts, which has been seen to differ between launches.
// Unkerned: a label is measured on its text as one run, but drawn with its mnemonic letter
// underlined as a run of its own, which loses the kerning there ("&To" drawn a pixel wider
// than measured, and clipped to "Tc").
QFont NetworksFont() {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("WenQuanYi Zen Hei")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  font.setKerning(false);
  return font;
}

// The largest window whose frame fits on the screen's free area: the title bar above it and
// a few pixels of border around it.
QSize RoomOn(const QScreen& screen) {
  constexpr int kBorder = 8;
  return screen.availableGeometry().size() - QSize(2 * kBorder, kAssumedTitleBarHeight + kBorder);
}

}  // namespace

CNetworksDlg::CNetworksDlg(Services& services, QWidget* parent, NetworkSearches searches)
    : QDialog(parent, Qt::Window),
      m_messages(this, services.messages),
      m_services{m_messages, services.files, services.clock},
      m_searches(std::move(searches)) {
  setObjectName("IDD_NETWORKS");
  setWindowTitle(kNetworksCaption);
  setFont(NetworksFont());
  setSizeGripEnabled(true);
  InstallLabelledComboBoxAccessibility();

  m_tabs = new QTabWidget(this);
  m_tabs->addTab(CreateFindTab({m_networks, *this, m_searches, m_services}), kNetworksTabText);
  m_tabs->addTab(CreateDividerTab({m_dividers, *this, m_searches, m_services}), kDividerTabText);
  m_tabs->addTab(CreateRegulatorTab({m_regulators, *this, m_searches, m_services}),
                 kRegulatorTabText);
  m_tabs->addTab(CreateGainTab({m_amplifiers, *this, m_searches, m_services}), kAmplifierTabText);
  m_tabs->addTab(CreateRcTab({m_rc, *this, m_searches, m_services}), kRcTabText);
  m_tabs->addTab(CreateLedTab({m_leds, *this, m_searches, m_services}), kLedTabText);
  m_library = new CLibraryPage(m_services, this);
  m_tabs->addTab(m_library, kLibraryTabText);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  CreateTabKeys();

  PlaceOnScreen();
  RestoreSettings();
  RestoreFields();
  connect(m_tabs, &QTabWidget::currentChanged, this, &CNetworksDlg::OnTabChanged);
  OnTabChanged();
}

CNetworksDlg::~CNetworksDlg() {
  if (isVisible()) SaveSettings();
}

void CNetworksDlg::hideEvent(QHideEvent* event) {
  SaveSettings();
  QDialog::hideEvent(event);
}

// Wide enough for the longest list (a regulator's with the worst case, the widest of the
// command line's text tables) beside the widest column of fields, and tall enough for twenty rows
// over a circuit; never more than the screen's free area less a frame, which a large scale factor
// or font can make small. move() places the frame, which the window manager has yet to add.
void CNetworksDlg::PlaceOnScreen() {
  QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  setScreen(screen);
  const QFontMetrics metrics = fontMetrics();
  int fields = 0;
  for (const SearchTab* tab : SearchTabs())
    fields = std::max(fields, tab->fields->sizeHint().width());
  // A window at least as large as its layout asks would not fit a small screen at a large scale
  // (640x450 at scale 2); there it is as small as the screen's room, and the fields scroll.
  setMinimumSize(minimumSizeHint().boundedTo(RoomOn(*screen)));
  resize(QSize(fields + metrics.averageCharWidth() * 140, metrics.height() * 46)
             .boundedTo(RoomOn(*screen)));
  move(CentredFramePosition(screen->availableGeometry(), size(), kAssumedTitleBarHeight));
}

// A kept size is taken as far as the screen has room for it, and the window placed again.
void CNetworksDlg::RestoreSettings() {
  QSettings settings;
  settings.beginGroup(kNetworksSettingsGroup);
  m_tabs->setCurrentIndex(std::clamp(settings.value("tab", 0).toInt(), 0, m_tabs->count() - 1));
  for (const auto& [splitter, key] : Splitters()) {
    splitter->restoreState(settings.value(key).toByteArray());
  }
  const QSize kept = settings.value("size").toSize();
  if (kept.isValid() && screen() != nullptr) {
    resize(kept.boundedTo(RoomOn(*screen())));
    move(CentredFramePosition(screen()->availableGeometry(), size(), kAssumedTitleBarHeight));
  }
}

void CNetworksDlg::SaveSettings() const {
  QSettings settings;
  settings.beginGroup(kNetworksSettingsGroup);
  settings.setValue("size", size());
  settings.setValue("tab", m_tabs->currentIndex());
  for (const auto& [splitter, key] : Splitters()) settings.setValue(key, splitter->saveState());
  SaveFields(settings);
}

std::vector<std::pair<QString, std::vector<std::pair<QString, QWidget*>>>>
CNetworksDlg::KeptFields() const {
  std::vector<std::pair<QString, std::vector<std::pair<QString, QWidget*>>>> groups;
  for (const SearchTab* tab :
       {&m_networks, &m_dividers, &m_regulators, &m_amplifiers, &m_rc, &m_leds}) {
    groups.emplace_back(tab->name, tab->kept);
  }
  groups.emplace_back("Library", m_library->KeptFields());
  return groups;
}

// Each field's text, choice, count or tick, under its tab's name and its label.
void CNetworksDlg::SaveFields(QSettings& settings) const {
  for (const auto& [name, kept] : KeptFields()) {
    settings.beginGroup(name);
    for (const auto& [label, field] : kept) {
      if (const auto* edit = qobject_cast<const QLineEdit*>(field)) {
        settings.setValue(label, edit->text());
      } else if (const auto* combo = qobject_cast<const QComboBox*>(field)) {
        settings.setValue(label, combo->currentIndex());
      } else if (const auto* spin = qobject_cast<const QSpinBox*>(field)) {
        settings.setValue(label, spin->value());
      } else if (const auto* box = qobject_cast<const QAbstractButton*>(field)) {
        settings.setValue(label, box->isChecked());
      }
    }
    settings.endGroup();
  }
}

// A kept choice or count the field no longer offers is left at its default.
void CNetworksDlg::RestoreFields() {
  QSettings settings;
  settings.beginGroup(kNetworksSettingsGroup);
  for (const auto& [name, kept] : KeptFields()) {
    settings.beginGroup(name);
    for (const auto& [label, field] : kept) {
      const QVariant value = settings.value(label);
      if (!value.isValid()) continue;
      if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->setText(value.toString());
      } else if (auto* combo = qobject_cast<QComboBox*>(field)) {
        if (value.toInt() >= 0 && value.toInt() < combo->count())
          combo->setCurrentIndex(value.toInt());
      } else if (auto* spin = qobject_cast<QSpinBox*>(field)) {
        if (value.toInt() >= spin->minimum() && value.toInt() <= spin->maximum()) {
          spin->setValue(value.toInt());
        }
      } else if (auto* box = qobject_cast<QAbstractButton*>(field)) {
        box->setChecked(value.toBool());
      }
    }
    settings.endGroup();
  }
}

std::array<std::pair<QSplitter*, const char*>, 6> CNetworksDlg::Splitters() const {
  return {{{m_networks.splitter, "networksSplitter"},
           {m_dividers.splitter, "dividersSplitter"},
           {m_regulators.splitter, "regulatorsSplitter"},
           {m_amplifiers.splitter, "amplifiersSplitter"},
           {m_rc.splitter, "rcSplitter"},
           {m_leds.splitter, "ledsSplitter"}}};
}

// QTabWidget switches tabs on these keys only while the focus is in it; as shortcuts they
// work from every control, the lists included.
void CNetworksDlg::CreateTabKeys() {
  const auto step = [this](int by) {
    m_tabs->setCurrentIndex((m_tabs->currentIndex() + by + m_tabs->count()) % m_tabs->count());
  };
  for (const auto& [keys, by] :
       {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, [step, by = by] { step(by); });
  }
}

// Enter runs the current tab's search wherever the focus is; a focused button takes Enter
// itself, as buttons do. Escape stops the current tab's search while one runs, and otherwise
// closes the window, as in any dialog.
void CNetworksDlg::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::AltModifier && OpenMoreFor(*event)) return;
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      RunCurrentTab();
      return;
    }
    if (event->key() == Qt::Key_Escape) {
      for (SearchTab* tab : SearchTabs()) {
        if (tab->page == m_tabs->currentWidget() && tab->runner->Busy()) {
          tab->stop->click();
          return;
        }
      }
    }
  }
  QDialog::keyPressEvent(event);
}

// Alt with a letter or digit is a mnemonic: one whose control is disabled (Copy picture before
// a row is drawn) must not type its key into the field that has the focus.
bool CNetworksDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::AltModifier &&
        ((key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) ||
         (key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9))) {
      OpenMoreFor(*key);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// The mnemonic of a field in the closed More section, which no shortcut takes while it is
// hidden, opens the section and goes to the field, as the key of a shown one does.
bool CNetworksDlg::OpenMoreFor(const QKeyEvent& key) {
  const QKeySequence pressed(key.modifiers() | key.key());
  for (SearchTab* tab : SearchTabs()) {
    if (tab->page != m_tabs->currentWidget() || tab->more == nullptr || tab->more->isChecked()) {
      continue;
    }
    for (QLabel* label : tab->fields->findChildren<QLabel*>()) {
      if (label->buddy() != nullptr && QKeySequence::mnemonic(label->text()) == pressed) {
        if (label->isVisible()) return false;
        tab->more->setChecked(true);
        label->buddy()->setFocus(Qt::ShortcutFocusReason);
        return true;
      }
    }
    for (QCheckBox* box : tab->fields->findChildren<QCheckBox*>()) {
      if (!box->isVisible() && QKeySequence::mnemonic(box->text()) == pressed) {
        tab->more->setChecked(true);
        box->setFocus(Qt::ShortcutFocusReason);
        box->click();
        return true;
      }
    }
  }
  return false;
}

std::array<SearchTab*, 6> CNetworksDlg::SearchTabs() {
  return {&m_networks, &m_dividers, &m_regulators, &m_amplifiers, &m_rc, &m_leds};
}

void CNetworksDlg::RunCurrentTab() {
  QWidget* page = m_tabs->currentWidget();
  for (SearchTab* tab : SearchTabs()) {
    if (page == tab->page) RunSearch(*tab);
  }
  if (page == m_library) m_library->Refresh();
}

// A tab starts at its first field; the Library tab reads the library again, which may have
// changed since it was last shown.
void CNetworksDlg::OnTabChanged() {
  QWidget* page = m_tabs->currentWidget();
  for (SearchTab* tab : SearchTabs()) {
    if (page == tab->page) tab->first->setFocus();
  }
  if (page == m_library) {
    m_library->Refresh();
    m_library->setFocus();
  }
}

}  // namespace vantrel
