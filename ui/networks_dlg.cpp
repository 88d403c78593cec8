#include "networks_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "file_error_report.h"
#include "labelled_combo_box.h"
#include "library_page.h"
#include "placement.h"
#include "resource_strings.h"
#include "row_table_model.h"
#include "schematic_view.h"
#include "value_list.h"

namespace vantrel {
namespace {

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

// An empty field is an option not given, as on the command line.
std::optional<std::string> Given(const QLineEdit* edit) {
  if (edit->text().trimmed().isEmpty()) return std::nullopt;
  return Text(edit);
}

// A tolerance field: empty, as an option not given, it shows the command line's default.
QLineEdit* NewToleranceEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setPlaceholderText(kDefaultTolerance);
  return edit;
}

// With Within B and no tolerance, the tolerance is B, as on the command line: the empty field
// says so.
void ShowWithinAsDefault(QLineEdit* tolerance, QLineEdit* within) {
  QObject::connect(within, &QLineEdit::textChanged, tolerance, [tolerance](const QString& text) {
    tolerance->setPlaceholderText(text.trimmed().isEmpty() ? QString(kDefaultTolerance)
                                                           : text.trimmed());
  });
}

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

const char* const kSettingsGroup = "NetworksWindow";

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
  m_tabs->addTab(CreateNetworksTab(), kNetworksTabText);
  m_tabs->addTab(CreateDividerTab(), kDividerTabText);
  m_tabs->addTab(CreateRegulatorTab(), kRegulatorTabText);
  m_tabs->addTab(CreateAmplifierTab(), kAmplifierTabText);
  m_tabs->addTab(CreateRcTab(), kRcTabText);
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
  resize(QSize(fields + metrics.averageCharWidth() * 140, metrics.height() * 46)
             .boundedTo(RoomOn(*screen)));
  move(CentredFramePosition(screen->availableGeometry(), size(), kAssumedTitleBarHeight));
}

// A kept size is taken as far as the screen has room for it, and the window placed again.
void CNetworksDlg::RestoreSettings() {
  QSettings settings;
  settings.beginGroup(kSettingsGroup);
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
  settings.beginGroup(kSettingsGroup);
  settings.setValue("size", size());
  settings.setValue("tab", m_tabs->currentIndex());
  for (const auto& [splitter, key] : Splitters()) settings.setValue(key, splitter->saveState());
  SaveFields(settings);
}

std::vector<std::pair<QString, std::vector<std::pair<QString, QWidget*>>>>
CNetworksDlg::KeptFields() const {
  std::vector<std::pair<QString, std::vector<std::pair<QString, QWidget*>>>> groups;
  for (const SearchTab* tab : {&m_networks, &m_dividers, &m_regulators, &m_amplifiers, &m_rc}) {
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
      } else if (const auto* box = qobject_cast<const QCheckBox*>(field)) {
        settings.setValue(label, box->isChecked());
      }
    }
    settings.endGroup();
  }
}

// A kept choice or count the field no longer offers is left at its default.
void CNetworksDlg::RestoreFields() {
  QSettings settings;
  settings.beginGroup(kSettingsGroup);
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
      } else if (auto* box = qobject_cast<QCheckBox*>(field)) {
        box->setChecked(value.toBool());
      }
    }
    settings.endGroup();
  }
}

std::array<std::pair<QSplitter*, const char*>, 5> CNetworksDlg::Splitters() const {
  return {{{m_networks.splitter, "networksSplitter"},
           {m_dividers.splitter, "dividersSplitter"},
           {m_regulators.splitter, "regulatorsSplitter"},
           {m_amplifiers.splitter, "amplifiersSplitter"},
           {m_rc.splitter, "rcSplitter"}}};
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

void CNetworksDlg::AddField(SearchTab& tab, QGridLayout& grid, const char* label, QWidget* field,
                            const char* option) {
  const int row = grid.rowCount();
  // The label is the field's buddy: it names the field to screen readers and gives the
  // mnemonic. Both are children of the column, where the accessibility bridge looks for it.
  if (auto* box = qobject_cast<QCheckBox*>(field); box != nullptr) {
    box->setText(label);
    grid.addWidget(field, row, 0, 1, 2);
  } else {
    auto* caption = new QLabel(label, tab.fields);
    caption->setBuddy(field);
    grid.addWidget(caption, row, 0);
    grid.addWidget(field, row, 1);
  }
  if (tab.first == nullptr) tab.first = field;
  tab.kept.emplace_back(QString(label).remove('&'), field);
  const auto stale = [&tab] { MarkStale(tab); };
  if (auto* edit = qobject_cast<QLineEdit*>(field))
    connect(edit, &QLineEdit::textEdited, this, stale);
  if (auto* spin = qobject_cast<QSpinBox*>(field)) {
    connect(spin, &QSpinBox::valueChanged, this, stale);
  }
  if (auto* box = qobject_cast<QCheckBox*>(field)) connect(box, &QCheckBox::toggled, this, stale);
  if (auto* combo = qobject_cast<QComboBox*>(field)) {
    connect(combo, &QComboBox::activated, this, stale);
  }
  if (option == nullptr) return;
  field->setObjectName(option);
  auto* error = new QLabel(tab.fields);
  error->setObjectName(QStringLiteral("error %1").arg(option));
  error->setWordWrap(true);
  error->hide();
  grid.addWidget(error, row + 1, 1);
  tab.checked.push_back({option, field, error});
}

QLineEdit* CNetworksDlg::AddEdit(SearchTab& tab, QGridLayout& grid, const char* label,
                                 const char* option) {
  auto* edit = new QLineEdit(tab.fields);
  AddField(tab, grid, label, edit, option);
  return edit;
}

QComboBox* CNetworksDlg::AddShow(SearchTab& tab, QGridLayout& grid) {
  // Filled after its label names it, so that screen readers are told the label, not the count.
  auto* top = new QComboBox(tab.fields);
  AddField(tab, grid, kShowLabel, top);
  for (const char* choice : kShowChoices) top->addItem(choice);
  return top;
}

QComboBox* CNetworksDlg::AddSource(SearchTab& tab, QGridLayout& grid) {
  auto* source = new QComboBox(tab.fields);
  AddField(tab, grid, kSourceLabel, source);
  for (const char* choice : kSourceChoices) source->addItem(choice);
  return source;
}

QComboBox* CNetworksDlg::AddLegsChoice(SearchTab& tab, QGridLayout& grid, const char* label) {
  auto* legs = new QComboBox(tab.fields);
  AddField(tab, grid, label, legs);
  legs->addItems({kSingleLegsText, kPairLegsText});
  return legs;
}

CNetworksDlg::StatisticsFields CNetworksDlg::AddStatisticsFields(SearchTab& tab, QGridLayout& grid,
                                                                 bool judged) {
  // A closed choice: nothing to refuse, so no error line.
  auto* statistics = new QComboBox(tab.fields);
  AddField(tab, grid, kStatisticsLabel, statistics);
  statistics->setObjectName("--statistics");
  for (const char* choice : kStatisticsChoices) statistics->addItem(choice);
  if (judged) statistics->addItem(kStatisticsByRssText);
  QLineEdit* temperature = AddEdit(tab, grid, kTemperatureLabel, "--temperature");
  temperature->setPlaceholderText(kTemperatureHint);
  QLineEdit* tcr = AddEdit(tab, grid, kTcrLabel, "--tcr");
  tcr->setPlaceholderText(kTcrHint);
  return [=] {
    finder::StatisticsInput input;
    input.rss = statistics->currentIndex() >= 1;
    input.byRss = statistics->currentIndex() == 2;
    input.temperature = Given(temperature);
    input.tcr = Given(tcr);
    return input;
  };
}

CNetworksDlg::LegFields CNetworksDlg::AddLegFields(SearchTab& tab, QGridLayout& grid) {
  QLineEdit* tolerance = NewToleranceEdit(tab.fields);
  AddField(tab, grid, kDividerToleranceLabel, tolerance, "--tolerance");
  QComboBox* legs = AddLegsChoice(tab, grid, kLegsLabel);
  QLineEdit* partTolerance = AddEdit(tab, grid, kPartToleranceLabel, "--part-tolerance");
  QLineEdit* within = AddEdit(tab, grid, kWithinLabel, "--within");
  ShowWithinAsDefault(tolerance, within);
  QLineEdit* minTotal = AddEdit(tab, grid, kMinTotalLabel, "--min-total");
  QLineEdit* maxTotal = AddEdit(tab, grid, kMaxTotalLabel, "--max-total");
  QLineEdit* scale = AddEdit(tab, grid, kScaleLabel, "--scale");
  scale->setPlaceholderText(kScaleHint);
  const StatisticsFields statistics = AddStatisticsFields(tab, grid);
  return [=](finder::TwoLegInput& input) {
    input.tolerance = Given(tolerance);
    input.parts = std::to_string(legs->currentIndex() + 1);
    input.partTolerance = Given(partTolerance);
    input.within = Given(within);
    input.minTotal = Given(minTotal);
    input.maxTotal = Given(maxTotal);
    input.scale = Given(scale);
    input.statistics = statistics();
  };
}

QLineEdit* CNetworksDlg::AddPreferField(SearchTab& tab, QGridLayout& grid) {
  QLineEdit* prefer = AddEdit(tab, grid, kPreferLabel, "--prefer");
  prefer->setPlaceholderText(kPreferHint);
  QAction* choose =
      prefer->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
  choose->setObjectName("choose --prefer");
  choose->setToolTip(kChooseBoardText);
  connect(choose, &QAction::triggered, this, [this, prefer, &tab] {
    const QString typed = prefer->text().trimmed();
    const QString start = typed.isEmpty() ? QDir::currentPath() : QFileInfo(typed).absolutePath();
    const QString chosen = QFileDialog::getOpenFileName(
        this, QString(kChooseBoardText).remove("..."), start, kBoardFilesText);
    if (chosen.isEmpty()) return;
    prefer->setText(chosen);
    MarkStale(tab);
  });
  return prefer;
}

QWidget* CNetworksDlg::CreateNetworksTab() {
  SearchTab& tab = m_networks;
  tab.page = new QWidget(this);
  tab.fields = new QWidget;
  auto* grid = new QGridLayout(tab.fields);
  auto* stock = new QComboBox(tab.fields);
  AddField(tab, *grid, kStockLabel, stock);
  FillStockChoice(*stock);
  auto* target = new QLineEdit(tab.fields);
  AddField(tab, *grid, kTargetLabel, target, "TARGET");
  tab.first = target;
  QLineEdit* tolerance = NewToleranceEdit(tab.fields);
  AddField(tab, *grid, kToleranceLabel, tolerance, "--tolerance");
  auto* parts = new QSpinBox(tab.fields);
  parts->setRange(1, 4);
  parts->setValue(3);
  AddField(tab, *grid, kPartsLabel, parts);
  auto* distinct = new QCheckBox(tab.fields);
  AddField(tab, *grid, kDistinctText, distinct);
  auto* partTolerance = new QLineEdit(tab.fields);
  AddField(tab, *grid, kPartToleranceLabel, partTolerance, "--part-tolerance");
  const StatisticsFields statistics = AddStatisticsFields(tab, *grid, false);
  QComboBox* source = AddSource(tab, *grid);
  auto* exclude = new QLineEdit(tab.fields);
  AddField(tab, *grid, kExcludeLabel, exclude, "--exclude");
  QLineEdit* prefer = AddPreferField(tab, *grid);
  QComboBox* top = AddShow(tab, *grid);
  FinishSearchTab(tab, *grid, kNetworksListName, FindListColumns());
  tab.prepare = [=, this] {
    finder::FindInput input;
    input.kind = kStockKinds[static_cast<std::size_t>(stock->currentIndex())];
    input.target = Text(target);
    input.tolerance = Given(tolerance);
    input.parts = std::to_string(parts->value());
    input.distinct = distinct->isChecked();
    input.partTolerance = Given(partTolerance);
    input.statistics = statistics();
    input.inventory = source->currentIndex() == 1;
    input.exclude = finder::SplitValueList(Text(exclude));
    input.prefer = Given(prefer);
    input.top = top->currentText().toStdString();
    return m_searches.find(input, m_services);
  };
  return tab.page;
}

QWidget* CNetworksDlg::CreateDividerTab() {
  SearchTab& tab = m_dividers;
  tab.page = new QWidget(this);
  tab.fields = new QWidget;
  auto* grid = new QGridLayout(tab.fields);
  QLineEdit* vin = AddEdit(tab, *grid, kVinLabel, "VIN");
  QLineEdit* vout = AddEdit(tab, *grid, kVoutLabel, "VOUT");
  const LegFields legFields = AddLegFields(tab, *grid);
  QLineEdit* minCurrent = AddEdit(tab, *grid, kMinCurrentLabel, "--min-current");
  QLineEdit* maxCurrent = AddEdit(tab, *grid, kMaxCurrentLabel, "--max-current");
  QLineEdit* maxPower = AddEdit(tab, *grid, kMaxPowerLabel, "--max-power");
  auto* distinct = new QCheckBox(tab.fields);
  AddField(tab, *grid, kDistinctText, distinct);
  QComboBox* source = AddSource(tab, *grid);
  QLineEdit* derate = AddEdit(tab, *grid, kDerateLabel, "--derate");
  derate->setPlaceholderText(kDerateHint);
  QLineEdit* exclude = AddEdit(tab, *grid, kExcludeLabel, "--exclude");
  QLineEdit* prefer = AddPreferField(tab, *grid);
  QComboBox* top = AddShow(tab, *grid);
  FinishSearchTab(tab, *grid, kDividersListName, DividerListColumns());
  tab.prepare = [=, this] {
    finder::DividerInput input;
    input.vin = Text(vin);
    input.vout = Text(vout);
    legFields(input);
    input.minCurrent = Given(minCurrent);
    input.maxCurrent = Given(maxCurrent);
    input.maxPower = Given(maxPower);
    input.distinct = distinct->isChecked();
    input.inventory = source->currentIndex() == 1;
    input.derate = Given(derate);
    input.exclude = finder::SplitValueList(Text(exclude));
    input.prefer = Given(prefer);
    input.top = top->currentText().toStdString();
    return m_searches.divider(input, m_services);
  };
  return tab.page;
}

QWidget* CNetworksDlg::CreateRegulatorTab() {
  SearchTab& tab = m_regulators;
  tab.page = new QWidget(this);
  tab.fields = new QWidget;
  auto* grid = new QGridLayout(tab.fields);
  QLineEdit* vout = AddEdit(tab, *grid, kVoutLabel, "VOUT");
  QLineEdit* vref = AddEdit(tab, *grid, kVrefLabel, "--vref");
  vref->setPlaceholderText(kVrefHint);
  auto* reference = new QComboBox(tab.fields);
  AddField(tab, *grid, kReferenceLabel, reference);
  for (const char* choice : kReferenceChoices) reference->addItem(choice);
  // The list's header names the pins of the circuit the fields now describe.
  connect(reference, &QComboBox::currentIndexChanged, this, [&tab](int index) {
    tab.columns = RegulatorListColumns(index == 1);
    if (tab.model->rowCount() == 0) {
      tab.model->SetRows(tab.columns);
    } else {
      tab.model->SetTitles(tab.columns);
    }
  });
  QLineEdit* iadj = AddEdit(tab, *grid, kIadjLabel, "--iadj");
  iadj->setPlaceholderText(kIadjHint);
  const LegFields legFields = AddLegFields(tab, *grid);
  QLineEdit* minCurrent = AddEdit(tab, *grid, kMinCurrentLabel, "--min-current");
  QLineEdit* maxCurrent = AddEdit(tab, *grid, kMaxCurrentLabel, "--max-current");
  QLineEdit* maxPower = AddEdit(tab, *grid, kMaxPowerLabel, "--max-power");
  QComboBox* source = AddSource(tab, *grid);
  QLineEdit* derate = AddEdit(tab, *grid, kDerateLabel, "--derate");
  derate->setPlaceholderText(kDerateHint);
  QLineEdit* prefer = AddPreferField(tab, *grid);
  QComboBox* top = AddShow(tab, *grid);
  FinishSearchTab(tab, *grid, kRegulatorsListName, RegulatorListColumns(false));
  tab.prepare = [=, this] {
    finder::RegulatorInput input;
    input.vout = Text(vout);
    input.vref = Given(vref);
    input.referenceTop = reference->currentIndex() == 1;
    input.iadj = Given(iadj);
    legFields(input);
    input.minCurrent = Given(minCurrent);
    input.maxCurrent = Given(maxCurrent);
    input.maxPower = Given(maxPower);
    input.inventory = source->currentIndex() == 1;
    input.derate = Given(derate);
    input.prefer = Given(prefer);
    input.top = top->currentText().toStdString();
    return m_searches.regulator(input, m_services);
  };
  return tab.page;
}

QWidget* CNetworksDlg::CreateAmplifierTab() {
  SearchTab& tab = m_amplifiers;
  tab.page = new QWidget(this);
  tab.fields = new QWidget;
  auto* grid = new QGridLayout(tab.fields);
  QLineEdit* gain = AddEdit(tab, *grid, kGainLabel, "G");
  auto* circuit = new QComboBox(tab.fields);
  AddField(tab, *grid, kCircuitLabel, circuit);
  for (const char* choice : kCircuitChoices) circuit->addItem(choice);
  const LegFields legFields = AddLegFields(tab, *grid);
  QLineEdit* rfMin = AddEdit(tab, *grid, kRfMinLabel, "--rf-min");
  QLineEdit* rfMax = AddEdit(tab, *grid, kRfMaxLabel, "--rf-max");
  QComboBox* source = AddSource(tab, *grid);
  QLineEdit* prefer = AddPreferField(tab, *grid);
  QComboBox* top = AddShow(tab, *grid);
  FinishSearchTab(tab, *grid, kAmplifiersListName, GainListColumns());
  tab.prepare = [=, this] {
    finder::GainInput input;
    input.gain = Text(gain);
    input.inverting = circuit->currentIndex() == 1;
    legFields(input);
    input.rfMin = Given(rfMin);
    input.rfMax = Given(rfMax);
    input.inventory = source->currentIndex() == 1;
    input.prefer = Given(prefer);
    input.top = top->currentText().toStdString();
    return m_searches.gain(input, m_services);
  };
  return tab.page;
}

// The RC low-pass: a corner or a time constant from the resistor and the capacitor stock.
QWidget* CNetworksDlg::CreateRcTab() {
  SearchTab& tab = m_rc;
  tab.page = new QWidget(this);
  tab.fields = new QWidget;
  auto* grid = new QGridLayout(tab.fields);
  QLineEdit* corner = AddEdit(tab, *grid, kCornerLabel, "--corner");
  QLineEdit* tau = AddEdit(tab, *grid, kTauLabel, "--tau");
  QComboBox* rParts = AddLegsChoice(tab, *grid, kRPartsLabel);
  QComboBox* cParts = AddLegsChoice(tab, *grid, kCPartsLabel);
  QLineEdit* tolerance = NewToleranceEdit(tab.fields);
  AddField(tab, *grid, kDividerToleranceLabel, tolerance, "--tolerance");
  QLineEdit* rTolerance = AddEdit(tab, *grid, kRToleranceLabel, "--r-tolerance");
  QLineEdit* cTolerance = AddEdit(tab, *grid, kCToleranceLabel, "--c-tolerance");
  QLineEdit* within = AddEdit(tab, *grid, kWithinLabel, "--within");
  ShowWithinAsDefault(tolerance, within);
  QLineEdit* minR = AddEdit(tab, *grid, kMinRLabel, "--min-r");
  QLineEdit* maxR = AddEdit(tab, *grid, kMaxRLabel, "--max-r");
  QLineEdit* scale = AddEdit(tab, *grid, kScaleLabel, "--scale");
  scale->setPlaceholderText(kScaleHint);
  const StatisticsFields statistics = AddStatisticsFields(tab, *grid);
  QComboBox* source = AddSource(tab, *grid);
  QLineEdit* prefer = AddPreferField(tab, *grid);
  QComboBox* top = AddShow(tab, *grid);
  FinishSearchTab(tab, *grid, kRcListName, RcListColumns());
  tab.prepare = [=, this] {
    finder::RcInput input;
    input.corner = Given(corner);
    input.tau = Given(tau);
    input.rParts = std::to_string(rParts->currentIndex() + 1);
    input.cParts = std::to_string(cParts->currentIndex() + 1);
    input.tolerance = Given(tolerance);
    input.rTolerance = Given(rTolerance);
    input.cTolerance = Given(cTolerance);
    input.within = Given(within);
    input.minR = Given(minR);
    input.maxR = Given(maxR);
    input.scale = Given(scale);
    input.statistics = statistics();
    input.inventory = source->currentIndex() == 1;
    input.prefer = Given(prefer);
    input.top = top->currentText().toStdString();
    return m_searches.rc(input, m_services);
  };
  return tab.page;
}

// The Find button and busy indicator under the fields; on their right the status line, then
// the list over the circuit. Created after the fields, so the tab order runs fields, Find,
// list.
void CNetworksDlg::FinishSearchTab(SearchTab& tab, QGridLayout& grid, const char* listName,
                                   ShownTable columns) {
  tab.name = listName;
  tab.find = new QPushButton(kFindText, tab.fields);
  tab.find->setObjectName("find");
  tab.find->setAutoDefault(false);
  tab.busy = new QProgressBar(tab.fields);
  tab.busy->setRange(0, 0);  // no steps to count: it only shows that a search runs
  tab.busy->setAccessibleName(kSearchingText);
  tab.busy->setTextVisible(false);
  tab.busy->setMaximumWidth(tab.find->sizeHint().width() * 2);
  tab.busy->hide();
  tab.stop = new QPushButton(kStopText, tab.fields);
  tab.stop->setObjectName("stop");
  tab.stop->setAutoDefault(false);
  tab.stop->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(tab.find);
  buttons->addWidget(tab.busy);
  buttons->addWidget(tab.stop);
  buttons->addStretch();
  const int below = grid.rowCount();
  grid.addLayout(buttons, below, 0, 1, 2);
  grid.setRowStretch(below + 1, 1);
  grid.setColumnStretch(1, 1);
  // The tab's own margin is the column's left one; the list beside it needs the width more.
  QMargins margins = grid.contentsMargins();
  grid.setContentsMargins(0, margins.top(), margins.right() / 2, margins.bottom());

  // The column scrolls up and down where the window is too low for it, never sideways.
  auto* scroll = new QScrollArea(tab.page);
  scroll->setWidget(tab.fields);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  // As narrow as the labels and widest choice allow, with room for a dozen characters in the
  // edit boxes: the list needs the width more.
  for (QLineEdit* edit : tab.fields->findChildren<QLineEdit*>()) {
    edit->setMinimumWidth(fontMetrics().averageCharWidth() * 12);
    edit->installEventFilter(this);
  }
  scroll->viewport()->setAutoFillBackground(false);
  tab.fields->setAutoFillBackground(false);
  scroll->setFixedWidth(tab.fields->minimumSizeHint().width() +
                        scroll->verticalScrollBar()->sizeHint().width());

  tab.model = new RowTableModel(this);
  tab.columns = std::move(columns);
  tab.model->SetRows(tab.columns);
  tab.list = NewRowList(tab.model, listName, tab.page,
                        QStringLiteral("%1/hiddenColumns/%2").arg(kSettingsGroup, listName));

  tab.picture = new SchematicView(tab.page);
  tab.copyPicture = new QPushButton(kCopyPictureText, tab.page);
  tab.copyPicture->setAutoDefault(false);
  tab.copyPicture->setEnabled(false);
  connect(tab.copyPicture, &QPushButton::clicked, tab.picture, &SchematicView::CopyPicture);
  // The current row's circuit when it is selected, else the first selected row's: a screen
  // reader may select rows without moving the current one.
  const auto draw = [&tab] {
    const QItemSelectionModel* selection = tab.list->selectionModel();
    const int current = tab.list->currentIndex().row();
    const QModelIndexList rows = selection->selectedRows();
    DrawRow(tab, current >= 0 && selection->isRowSelected(current) ? current
                 : rows.isEmpty()                                  ? -1
                                                                   : rows.front().row());
  };
  connect(tab.list->selectionModel(), &QItemSelectionModel::selectionChanged, this, draw);
  connect(tab.list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, draw);
  auto* circuit = new QWidget(tab.page);
  auto* circuitLayout = new QHBoxLayout(circuit);
  circuitLayout->setContentsMargins(0, 0, 0, 0);
  circuitLayout->addWidget(tab.picture, 1);
  circuitLayout->addWidget(tab.copyPicture, 0, Qt::AlignBottom);
  // The list takes the height; the user can move the line between it and the circuit.
  tab.splitter = new QSplitter(Qt::Vertical, tab.page);
  tab.splitter->setObjectName("splitter");
  tab.splitter->setChildrenCollapsible(false);
  tab.splitter->addWidget(tab.list);
  tab.splitter->addWidget(circuit);
  tab.splitter->setStretchFactor(0, 1);
  tab.splitter->setStretchFactor(1, 1);
  const int line = fontMetrics().height();
  tab.splitter->setSizes({30 * line, 8 * line});

  tab.status = new QLabel(tab.page);
  tab.status->setObjectName("status");
  tab.status->setAccessibleName(kStatusName);
  tab.status->setWordWrap(true);
  tab.status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  tab.runner = new SearchRunner(this);
  connect(tab.runner, &SearchRunner::BusyChanged, tab.busy, &QWidget::setVisible);
  connect(tab.runner, &SearchRunner::BusyChanged, tab.stop, &QWidget::setVisible);
  connect(tab.stop, &QPushButton::clicked, this, [&tab] {
    tab.runner->Stop();
    SetStatus(tab, kStoppedText);
  });
  connect(tab.find, &QPushButton::clicked, this, [this, &tab] { Run(tab); });

  tab.places = new QLabel(tab.page);
  tab.places->setObjectName("places");
  tab.places->setAccessibleName(kPartsPlacesName);
  tab.places->setWordWrap(true);
  tab.places->setTextInteractionFlags(Qt::TextSelectableByMouse);
  tab.places->hide();

  auto* results = new QVBoxLayout;
  results->addWidget(tab.status);
  results->addWidget(tab.splitter, 1);
  results->addWidget(tab.places);
  auto* layout = new QHBoxLayout(tab.page);
  margins = layout->contentsMargins();
  layout->setContentsMargins(margins.left() / 2, margins.top(), margins.right() / 2,
                             margins.bottom());
  layout->addWidget(scroll);
  layout->addLayout(results, 1);
}

// Enter runs the current tab's search wherever the focus is; a focused button takes Enter
// itself, as buttons do.
void CNetworksDlg::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      RunCurrentTab();
      return;
    }
  }
  QDialog::keyPressEvent(event);
}

// Alt with a letter is a mnemonic: one whose control is disabled (Copy picture before a row is
// drawn) must not type its letter into the field that has the focus.
bool CNetworksDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::AltModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::array<CNetworksDlg::SearchTab*, 5> CNetworksDlg::SearchTabs() {
  return {&m_networks, &m_dividers, &m_regulators, &m_amplifiers, &m_rc};
}

void CNetworksDlg::RunCurrentTab() {
  QWidget* page = m_tabs->currentWidget();
  for (SearchTab* tab : SearchTabs()) {
    if (page == tab->page) Run(*tab);
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

// A refused field empties the list, so no row stands under fields it does not answer; a search
// replaces whatever the tab still runs, and until it ends the rows shown are the earlier ones.
void CNetworksDlg::Run(SearchTab& tab) {
  tab.runner->Stop();
  PreparedSearch prepared;
  try {
    prepared = tab.prepare();
  } catch (const FileError& error) {
    prepared.status = FileErrorMessage(error).text;
  }
  QStringList unplaced;
  for (const SearchTab::Checked& checked : tab.checked) SetError(checked, {});
  for (const finder::RequestError& error : prepared.errors) {
    const auto it = std::find_if(
        tab.checked.begin(), tab.checked.end(),
        [&error](const SearchTab::Checked& checked) { return checked.option == error.field; });
    const QString message = QString::fromStdString(error.message);
    if (it == tab.checked.end()) {
      unplaced << message;
    } else {
      SetError(*it, message);
      it->field->setFocus();
    }
  }
  if (!prepared.errors.empty()) {
    ShowOutcome(tab, {tab.columns, {}, {}, {}, {}});
    SetStatus(tab,
              QString(kNotSearchedText)
                  .arg(unplaced.isEmpty() ? QString::fromStdString(prepared.errors.front().message)
                                          : unplaced.join('\n')));
    return;
  }
  if (!prepared.job) {
    ShowOutcome(tab, {tab.columns, prepared.status, {}, {}, {}});
    return;
  }
  MarkStale(tab);
  SetStatus(tab, QString(kSearchingForText).arg(QString::fromStdString(prepared.subject)));
  tab.runner->Run(std::move(prepared.job),
                  [&tab](const SearchOutcome& outcome) { ShowOutcome(tab, outcome); });
}

// Rows the fields no longer answer are greyed, and the status line says what they are for.
void CNetworksDlg::MarkStale(SearchTab& tab) {
  if (tab.model->rowCount() == 0 || tab.model->Stale()) return;
  tab.model->SetStale(true);
  SetStatus(tab, QString(kStaleRowsText).arg(QString::fromStdString(tab.shown.subject)));
}

void CNetworksDlg::ShowOutcome(SearchTab& tab, const SearchOutcome& outcome) {
  tab.shown = outcome;
  tab.model->SetRows(outcome.rows);
  SetStatus(tab, QString::fromStdString(outcome.status));
  DrawRow(tab, -1);
}

// The circuit of a row, or none for -1.
void CNetworksDlg::DrawRow(SearchTab& tab, int row) {
  const auto& legs = tab.shown.legs;
  if (row < 0 || static_cast<std::size_t>(row) >= legs.size()) {
    tab.picture->Clear();
  } else {
    tab.shown.draw(*tab.picture, legs[static_cast<std::size_t>(row)]);
  }
  const auto& places = tab.shown.places;
  const QString text = row < 0 || static_cast<std::size_t>(row) >= places.size()
                           ? QString()
                           : QString::fromStdString(places[static_cast<std::size_t>(row)]);
  tab.places->setText(text);
  tab.places->setAccessibleDescription(text);
  tab.places->setVisible(!text.isEmpty());
  tab.copyPicture->setEnabled(!tab.picture->IsEmpty());
}

// A screen reader hears the error with the field.
void CNetworksDlg::SetError(const SearchTab::Checked& checked, const QString& text) {
  checked.error->setText(text);
  checked.error->setVisible(!text.isEmpty());
  checked.field->setAccessibleDescription(text);
}

// A screen reader finds the line by its name and reads the text as its description.
void CNetworksDlg::SetStatus(SearchTab& tab, const QString& text) {
  tab.status->setText(text);
  tab.status->setAccessibleDescription(text);
}

}  // namespace vantrel
