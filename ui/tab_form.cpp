#include "tab_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

#include "network_search.h"
#include "qt_text.h"
#include "resource_strings.h"

namespace vantrel {

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

std::optional<std::string> Given(const QLineEdit* edit) {
  if (edit->text().trimmed().isEmpty()) return std::nullopt;
  return Text(edit);
}

void ShowWithinAsDefault(QLineEdit* tolerance, QLineEdit* within) {
  QObject::connect(within, &QLineEdit::textChanged, tolerance, [tolerance](const QString& text) {
    tolerance->setPlaceholderText(text.trimmed().isEmpty() ? QString(kDefaultTolerance)
                                                           : text.trimmed());
  });
}

TabForm::TabForm(SearchTab& tab, QWidget& window, const NetworkSearches& searches,
                 Services& services)
    : m_tab(tab), m_window(window), m_searches(searches), m_services(services) {
  tab.page = new QWidget(&window);
  tab.fields = new QWidget;
  auto* column = new QVBoxLayout(tab.fields);
  m_firstGrid = new QGridLayout;
  column->addLayout(m_firstGrid);
  m_more = new QWidget(tab.fields);
  m_more->setObjectName("more fields");
  m_moreGrid = new QGridLayout(m_more);
  m_moreGrid->setContentsMargins(0, 0, 0, 0);
  m_grid = m_firstGrid;
}

void TabForm::AddField(const char* label, QWidget* field, const char* option) {
  const int row = m_grid->rowCount();
  QWidget* parent = m_grid == m_moreGrid ? m_more : m_tab.fields;
  (m_grid == m_moreGrid ? m_moreFields : m_firstFields).push_back(field);
  // The label is the field's buddy: it names the field to screen readers and gives the
  // mnemonic. Both are children of the same widget, where the accessibility bridge looks.
  const QString name = Unmarked(label);
  if (auto* box = qobject_cast<QCheckBox*>(field); box != nullptr) {
    box->setText(label);
    m_grid->addWidget(field, row, 0, 1, 2);
  } else {
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(field);
    m_grid->addWidget(caption, row, 0);
    m_grid->addWidget(field, row, 1);
    // A digit mnemonic is no part of the field's name.
    if (name != QString(label).remove(u'&')) {
      caption->setAccessibleName(name);
      field->setAccessibleName(name);
    }
  }
  if (m_tab.first == nullptr) m_tab.first = field;
  m_tab.kept.emplace_back(name, field);
  const auto stale = [&tab = m_tab] { MarkStale(tab); };
  if (auto* edit = qobject_cast<QLineEdit*>(field))
    QObject::connect(edit, &QLineEdit::textEdited, &m_window, stale);
  if (auto* spin = qobject_cast<QSpinBox*>(field)) {
    QObject::connect(spin, &QSpinBox::valueChanged, &m_window, stale);
  }
  if (auto* box = qobject_cast<QCheckBox*>(field))
    QObject::connect(box, &QCheckBox::toggled, &m_window, stale);
  if (auto* combo = qobject_cast<QComboBox*>(field)) {
    QObject::connect(combo, &QComboBox::activated, &m_window, stale);
  }
  if (option == nullptr) return;
  field->setObjectName(option);
  auto* error = new QLabel(parent);
  error->setObjectName(QStringLiteral("error %1").arg(option));
  error->setWordWrap(true);
  error->hide();
  m_grid->addWidget(error, row + 1, 1);
  m_tab.checked.push_back({option, field, error});
}

QLineEdit* TabForm::AddEdit(const char* label, const char* option) {
  auto* edit = new QLineEdit(m_tab.fields);
  AddField(label, edit, option);
  return edit;
}

QLineEdit* TabForm::AddTolerance(const char* label) {
  QLineEdit* edit = AddEdit(label, "--tolerance");
  edit->setPlaceholderText(kDefaultTolerance);
  return edit;
}

void TabForm::AddShow() {
  // Filled after its label names it, so that screen readers are told the label, not the count.
  m_grid = m_firstGrid;
  m_shared.top = new QComboBox(m_tab.fields);
  AddField(kShowLabel, m_shared.top);
  for (const char* choice : kShowChoices) m_shared.top->addItem(choice);
}

void TabForm::AddSource() {
  QGridLayout* const grid = std::exchange(m_grid, m_firstGrid);
  m_shared.source = new QComboBox(m_tab.fields);
  AddField(kSourceLabel, m_shared.source);
  for (const char* choice : kSourceChoices) m_shared.source->addItem(choice);
  m_grid = grid;
}

QComboBox* TabForm::AddLegsChoice(const char* label) {
  auto* legs = new QComboBox(m_tab.fields);
  AddField(label, legs);
  legs->addItems({kSingleLegsText, kPairLegsText});
  return legs;
}

QSpinBox* TabForm::AddPartsCount(const char* label) {
  auto* parts = new QSpinBox(m_tab.fields);
  parts->setRange(1, networks::kMaxParts);
  parts->setValue(networks::FindOptions{}.maxParts);
  AddField(label, parts);
  return parts;
}

TabForm::StatisticsFields TabForm::AddStatisticsFields(bool judged) {
  // A closed choice: nothing to refuse, so no error line.
  auto* statistics = new QComboBox(m_tab.fields);
  AddField(kStatisticsLabel, statistics);
  statistics->setObjectName("--statistics");
  for (const char* choice : kStatisticsChoices) statistics->addItem(choice);
  QComboBox* by = nullptr;
  if (judged) {
    by = new QComboBox(m_tab.fields);
    AddField(kByLabel, by);
    by->setObjectName("--by");
    for (const char* choice : kByChoices) by->addItem(choice);
  }
  QLineEdit* temperature = AddEdit(kTemperatureLabel, "--temperature");
  temperature->setPlaceholderText(kTemperatureHint);
  QLineEdit* tcr = AddEdit(kTcrLabel, "--tcr");
  tcr->setPlaceholderText(kTcrHint);
  return [=] {
    finder::StatisticsInput input;
    input.rss = statistics->currentIndex() == 1;
    input.byRss = by != nullptr && by->currentIndex() == 1;
    input.temperature = Given(temperature);
    input.tcr = Given(tcr);
    return input;
  };
}

TabForm::LegFields TabForm::AddLegFields() {
  QLineEdit* tolerance = AddTolerance(kDividerToleranceLabel);
  QComboBox* legs = AddLegsChoice(kLegsLabel);
  QLineEdit* partTolerance = AddEdit(kPartToleranceLabel, "--part-tolerance");
  QLineEdit* within = AddEdit(kWithinLabel, "--within");
  ShowWithinAsDefault(tolerance, within);
  QGridLayout* const first = m_grid;
  More();
  QLineEdit* minTotal = AddEdit(kMinTotalLabel, "--min-total");
  QLineEdit* maxTotal = AddEdit(kMaxTotalLabel, "--max-total");
  QLineEdit* scale = AddEdit(kScaleLabel, "--scale");
  scale->setPlaceholderText(kScaleHint);
  const StatisticsFields statistics = AddStatisticsFields();
  m_grid = first;
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

TabForm::CurrentFields TabForm::AddCurrentFields() {
  QLineEdit* minCurrent = AddEdit(kMinCurrentLabel, "--min-current");
  QLineEdit* maxCurrent = AddEdit(kMaxCurrentLabel, "--max-current");
  QLineEdit* maxPower = AddEdit(kMaxPowerLabel, "--max-power");
  return [=](finder::LoadedInput& input) {
    input.minCurrent = Given(minCurrent);
    input.maxCurrent = Given(maxCurrent);
    input.maxPower = Given(maxPower);
  };
}

void TabForm::AddPreferField() {
  More();
  QLineEdit* prefer = AddEdit(kPreferLabel, "--prefer");
  prefer->setPlaceholderText(kPreferHint);
  QAction* choose = prefer->addAction(m_window.style()->standardIcon(QStyle::SP_DirOpenIcon),
                                      QLineEdit::TrailingPosition);
  choose->setObjectName("choose --prefer");
  choose->setToolTip(kChooseBoardText);
  // The line edit draws the action as a button of its own, which screen readers name by this.
  for (QObject* shown : choose->associatedObjects()) {
    if (auto* button = qobject_cast<QWidget*>(shown); button != nullptr && button != prefer) {
      button->setAccessibleName(QString(kChooseBoardText).remove("..."));
    }
  }
  QObject::connect(choose, &QAction::triggered, &m_window,
                   [&window = m_window, prefer, &tab = m_tab] {
                     const QString typed = prefer->text().trimmed();
                     const QString start =
                         typed.isEmpty() ? QDir::currentPath() : QFileInfo(typed).absolutePath();
                     const QString chosen = QFileDialog::getOpenFileName(
                         &window, QString(kChooseBoardText).remove("..."), start, kBoardFilesText);
                     if (chosen.isEmpty()) return;
                     prefer->setText(chosen);
                     MarkStale(tab);
                   });
  m_shared.prefer = prefer;
}

TabForm::SharedChoice TabForm::SharedFields::Read() const {
  return {source->currentIndex() == 1, Given(prefer), top->currentText().toStdString()};
}

QToolButton* TabForm::AddMoreSection() {
  auto* toggle = new QToolButton(m_tab.fields);
  toggle->setObjectName("more");
  toggle->setText(kMoreText);
  toggle->setCheckable(true);
  toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toggle->setAutoRaise(true);
  toggle->setArrowType(Qt::RightArrow);
  QObject::connect(toggle, &QToolButton::toggled, m_more, [toggle, more = m_more](bool open) {
    toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    more->setVisible(open);
  });
  m_tab.kept.emplace_back(QString(kMoreText).remove('&'), toggle);
  m_tab.more = toggle;
  auto* column = static_cast<QVBoxLayout*>(m_tab.fields->layout());
  column->addWidget(toggle, 0, Qt::AlignLeft);
  column->addWidget(m_more);
  column->addStretch(1);
  return toggle;
}

// The column is as wide as the open section needs, which is hidden only once it is measured.
QWidget* TabForm::FinishPage(const char* listName, ShownTable columns) {
  QToolButton* toggle = AddMoreSection();
  FinishSearchTab(m_tab, m_window, *m_firstGrid, listName, std::move(columns));
  m_more->hide();
  // Tab runs through the first fields, the toggle and the open section, then Find.
  std::vector<QWidget*> order = m_firstFields;
  order.push_back(toggle);
  order.insert(order.end(), m_moreFields.begin(), m_moreFields.end());
  for (QWidget* after : std::initializer_list<QWidget*>{m_tab.find, m_tab.stop, m_tab.list}) {
    order.push_back(after);
  }
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  return m_tab.page;
}

}  // namespace vantrel
