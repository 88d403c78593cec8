#include "networks_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "file_error_report.h"
#include "library_page.h"
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

QComboBox* NewShowBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (const char* choice : kShowChoices) box->addItem(choice);
  return box;
}

}  // namespace

CNetworksDlg::CNetworksDlg(Services& services, QWidget* parent, NetworkSearches searches)
    : QDialog(parent, Qt::Window), m_services(services), m_searches(std::move(searches)) {
  setObjectName("IDD_NETWORKS");
  setWindowTitle(kNetworksCaption);
  setSizeGripEnabled(true);

  m_tabs = new QTabWidget(this);
  m_tabs->addTab(CreateNetworksTab(), kNetworksTabText);
  m_tabs->addTab(CreateDividerTab(), kDividerTabText);
  m_library = new CLibraryPage(services, this);
  m_tabs->addTab(m_library, kLibraryTabText);
  connect(m_tabs, &QTabWidget::currentChanged, this, &CNetworksDlg::OnTabChanged);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  CreateTabKeys();

  // Room for the Network column and a circuit, but never more than the screen, which a large
  // scale factor or font can make small.
  const QFontMetrics metrics = fontMetrics();
  QSize size(metrics.averageCharWidth() * 110, metrics.height() * 48);
  if (const QScreen* screen =
          parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
    size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
  }
  resize(size);
  m_networks.first->setFocus();
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
  // mnemonic. Both are children of the page, where the accessibility bridge looks for it.
  if (auto* box = qobject_cast<QCheckBox*>(field); box != nullptr) {
    box->setText(label);
  } else {
    auto* caption = new QLabel(label, tab.page);
    caption->setBuddy(field);
    grid.addWidget(caption, row, 0);
  }
  grid.addWidget(field, row, 1);
  if (tab.first == nullptr) tab.first = field;
  if (option == nullptr) return;
  field->setObjectName(option);
  auto* error = new QLabel(tab.page);
  error->setObjectName(QStringLiteral("error %1").arg(option));
  error->setWordWrap(true);
  grid.addWidget(error, row, 2);
  tab.checked.push_back({option, field, error});
}

QWidget* CNetworksDlg::CreateNetworksTab() {
  SearchTab& tab = m_networks;
  tab.page = new QWidget(this);
  auto* grid = new QGridLayout;
  auto* target = new QLineEdit(tab.page);
  AddField(tab, *grid, kTargetLabel, target, "TARGET");
  auto* tolerance = new QLineEdit(kDefaultTolerance, tab.page);
  AddField(tab, *grid, kToleranceLabel, tolerance, "--tolerance");
  auto* parts = new QSpinBox(tab.page);
  parts->setRange(1, 4);
  parts->setValue(3);
  AddField(tab, *grid, kPartsLabel, parts);
  auto* distinct = new QCheckBox(tab.page);
  AddField(tab, *grid, kDistinctText, distinct);
  auto* partTolerance = new QLineEdit(tab.page);
  AddField(tab, *grid, kPartToleranceLabel, partTolerance, "--part-tolerance");
  auto* exclude = new QLineEdit(tab.page);
  AddField(tab, *grid, kExcludeLabel, exclude, "--exclude");
  QComboBox* top = NewShowBox(tab.page);
  AddField(tab, *grid, kShowLabel, top);
  FinishSearchTab(tab, *grid, kNetworksListName, FindListColumns());
  tab.prepare = [=, this] {
    finder::FindInput input;
    input.target = Text(target);
    input.tolerance = Given(tolerance);
    input.parts = std::to_string(parts->value());
    input.distinct = distinct->isChecked();
    input.partTolerance = Given(partTolerance);
    input.exclude = finder::SplitValueList(Text(exclude));
    input.top = top->currentText().toStdString();
    return m_searches.find(input, m_services);
  };
  return tab.page;
}

QWidget* CNetworksDlg::CreateDividerTab() {
  SearchTab& tab = m_dividers;
  tab.page = new QWidget(this);
  auto* grid = new QGridLayout;
  auto* vin = new QLineEdit(tab.page);
  AddField(tab, *grid, kVinLabel, vin, "VIN");
  auto* vout = new QLineEdit(tab.page);
  AddField(tab, *grid, kVoutLabel, vout, "VOUT");
  auto* tolerance = new QLineEdit(kDefaultTolerance, tab.page);
  AddField(tab, *grid, kDividerToleranceLabel, tolerance, "--tolerance");
  auto* legs = new QComboBox(tab.page);
  legs->addItems({kSingleLegsText, kPairLegsText});
  AddField(tab, *grid, kLegsLabel, legs);
  auto* minTotal = new QLineEdit(tab.page);
  AddField(tab, *grid, kMinTotalLabel, minTotal, "--min-total");
  auto* maxTotal = new QLineEdit(tab.page);
  AddField(tab, *grid, kMaxTotalLabel, maxTotal, "--max-total");
  auto* distinct = new QCheckBox(tab.page);
  AddField(tab, *grid, kDistinctText, distinct);
  auto* exclude = new QLineEdit(tab.page);
  AddField(tab, *grid, kExcludeLabel, exclude, "--exclude");
  QComboBox* top = NewShowBox(tab.page);
  AddField(tab, *grid, kShowLabel, top);
  FinishSearchTab(tab, *grid, kDividersListName, DividerListColumns());
  tab.prepare = [=, this] {
    finder::DividerInput input;
    input.vin = Text(vin);
    input.vout = Text(vout);
    input.tolerance = Given(tolerance);
    input.parts = std::to_string(legs->currentIndex() + 1);
    input.minTotal = Given(minTotal);
    input.maxTotal = Given(maxTotal);
    input.distinct = distinct->isChecked();
    input.exclude = finder::SplitValueList(Text(exclude));
    input.top = top->currentText().toStdString();
    return m_searches.divider(input, m_services);
  };
  return tab.page;
}

// The Find button and busy indicator under the fields, then the list and the status line.
// Created after the fields, so the tab order runs fields, Find, list.
void CNetworksDlg::FinishSearchTab(SearchTab& tab, QGridLayout& grid, const char* listName,
                                   ShownTable columns) {
  grid.setColumnStretch(2, 1);
  tab.find = new QPushButton(kFindText, tab.page);
  tab.find->setAutoDefault(false);
  tab.busy = new QProgressBar(tab.page);
  tab.busy->setRange(0, 0);  // no steps to count: it only shows that a search runs
  tab.busy->setAccessibleName(kSearchingText);
  tab.busy->setTextVisible(false);
  tab.busy->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(tab.find);
  buttons->addWidget(tab.busy);
  buttons->addStretch();

  tab.model = new RowTableModel(this);
  tab.columns = std::move(columns);
  tab.model->SetRows(tab.columns);
  tab.list = NewRowList(tab.model, listName, tab.page);

  tab.picture = new SchematicView(tab.page);
  tab.copyPicture = new QPushButton(kCopyPictureText, tab.page);
  tab.copyPicture->setAutoDefault(false);
  tab.copyPicture->setEnabled(false);
  connect(tab.copyPicture, &QPushButton::clicked, tab.picture, &SchematicView::CopyPicture);
  connect(tab.list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [&tab](const QModelIndex& current) { DrawRow(tab, current.row()); });
  // The list and the picture share the height; the user can move the line between them.
  auto* splitter = new QSplitter(Qt::Vertical, tab.page);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(tab.list);
  splitter->addWidget(tab.picture);
  // Room for a four-part circuit at the font's size, which is as large as the picture gets.
  const int line = fontMetrics().height();
  splitter->setSizes({16 * line, 10 * line});

  tab.status = new QLabel(tab.page);
  tab.status->setObjectName("status");
  tab.status->setAccessibleName(kStatusName);
  tab.status->setWordWrap(true);
  tab.status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  tab.runner = new SearchRunner(this);
  connect(tab.runner, &SearchRunner::BusyChanged, tab.busy, &QWidget::setVisible);
  connect(tab.find, &QPushButton::clicked, this, [this, &tab] { Run(tab); });

  auto* layout = new QVBoxLayout(tab.page);
  layout->addLayout(&grid);
  layout->addLayout(buttons);
  layout->addWidget(splitter, 1);
  auto* below = new QHBoxLayout;
  below->addWidget(tab.status, 1);
  below->addWidget(tab.copyPicture, 0, Qt::AlignTop);
  layout->addLayout(below);
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

void CNetworksDlg::RunCurrentTab() {
  QWidget* page = m_tabs->currentWidget();
  for (SearchTab* tab : {&m_networks, &m_dividers}) {
    if (page == tab->page) Run(*tab);
  }
  if (page == m_library) m_library->Refresh();
}

// A tab starts at its first field; the Library tab reads the library again, which may have
// changed since it was last shown.
void CNetworksDlg::OnTabChanged() {
  QWidget* page = m_tabs->currentWidget();
  for (SearchTab* tab : {&m_networks, &m_dividers}) {
    if (page == tab->page) tab->first->setFocus();
  }
  if (page == m_library) {
    m_library->Refresh();
    m_library->setFocus();
  }
}

// Errors go next to their fields and leave the list as it was; a search replaces whatever
// the tab still runs.
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
    }
  }
  if (!prepared.errors.empty()) {
    SetStatus(tab, unplaced.join('\n'));
    return;
  }
  if (!prepared.job) {
    ShowOutcome(tab, {tab.columns, prepared.status, {}, {}});
    return;
  }
  SetStatus(tab, kSearchingText);
  tab.runner->Run(std::move(prepared.job),
                  [&tab](const SearchOutcome& outcome) { ShowOutcome(tab, outcome); });
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
    const auto& networks = legs[static_cast<std::size_t>(row)];
    const std::vector<std::string>& names = tab.shown.stock->names;
    if (networks.size() == 1) {
      tab.picture->SetNetwork(networks[0], names);
    } else {
      tab.picture->SetDivider(networks[0], networks[1], names);
    }
  }
  tab.copyPicture->setEnabled(!tab.picture->IsEmpty());
}

// A screen reader hears the error with the field.
void CNetworksDlg::SetError(const SearchTab::Checked& checked, const QString& text) {
  checked.error->setText(text);
  checked.field->setAccessibleDescription(text);
}

// A screen reader finds the line by its name and reads the text as its description.
void CNetworksDlg::SetStatus(SearchTab& tab, const QString& text) {
  tab.status->setText(text);
  tab.status->setAccessibleDescription(text);
}

}  // namespace vantrel
