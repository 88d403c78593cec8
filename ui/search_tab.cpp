#include "search_tab.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "file_error_report.h"
#include "resource_strings.h"
#include "row_table_model.h"
#include "schematic_view.h"

namespace vantrel {
namespace {

// A screen reader hears the error with the field.
void SetError(const SearchTab::Checked& checked, const QString& text) {
  checked.error->setText(text);
  checked.error->setVisible(!text.isEmpty());
  checked.field->setAccessibleDescription(text);
}

// A screen reader reads the text as the line's name; its description says which line it is.
void SetStatus(SearchTab& tab, const QString& text) {
  tab.status->setText(text);
  tab.status->setAccessibleName(text);
}

// The circuit of a row, or none for -1.
void DrawRow(SearchTab& tab, int row) {
  const auto& legs = tab.shown.legs;
  if (row < 0 || static_cast<std::size_t>(row) >= legs.size()) {
    tab.picture->Clear();
  } else {
    tab.shown.draw(*tab.picture, legs[static_cast<std::size_t>(row)]);
  }
  const auto& places = tab.shown.places;
  QString text = row < 0 || static_cast<std::size_t>(row) >= places.size()
                     ? QString()
                     : QString::fromStdString(places[static_cast<std::size_t>(row)]);
  // Where the list has no room for what the row uses, it is told here, above where it lies.
  if (UsesAside(*tab.list)) {
    const QStringList uses = tab.model->UsesItems(row);
    if (!uses.isEmpty()) {
      text.prepend(QString(kUsesLineText).arg(uses.join(", ")) + (text.isEmpty() ? "" : "\n"));
    }
  }
  tab.places->setText(text);
  tab.places->setAccessibleName(text);
  tab.places->setVisible(!text.isEmpty());
  tab.copyPicture->setEnabled(!tab.picture->IsEmpty());
}

void ShowOutcome(SearchTab& tab, const SearchOutcome& outcome) {
  tab.shown = outcome;
  tab.model->SetRows(outcome.rows);
  SetStatus(tab, QString::fromStdString(outcome.status));
  DrawRow(tab, -1);
}

// The Find button under the first rows of fields.
void AddFindButton(SearchTab& tab, QGridLayout& grid) {
  tab.find = new QPushButton(kFindText, tab.fields);
  tab.find->setObjectName("find");
  tab.find->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(tab.find);
  buttons->addStretch();
  grid.addLayout(buttons, grid.rowCount(), 0, 1, 2);
  grid.setColumnStretch(1, 1);
}

// The busy indicator and Stop, beside the status line over the list, where they stay in sight
// however long the fields are. Escape is Stop's key while it is shown (see CNetworksDlg).
QHBoxLayout* NewStatusRow(SearchTab& tab) {
  tab.busy = new QProgressBar(tab.page);
  tab.busy->setRange(0, 0);  // no steps to count: it only shows that a search runs
  tab.busy->setAccessibleName(kSearchingText);
  tab.busy->setTextVisible(false);
  tab.busy->setMaximumWidth(tab.find->sizeHint().width() * 2);
  tab.busy->hide();
  tab.stop = new QPushButton(kStopText, tab.page);
  tab.stop->setObjectName("stop");
  tab.stop->setAutoDefault(false);
  tab.stop->setToolTip(kStopTip);
  tab.stop->hide();
  auto* row = new QHBoxLayout;
  row->addWidget(tab.status, 1);
  row->addWidget(tab.busy, 0, Qt::AlignTop);
  row->addWidget(tab.stop, 0, Qt::AlignTop);
  return row;
}

// The column scrolls up and down where the window is too low for it, never sideways.
QScrollArea* NewFieldScroll(SearchTab& tab, QWidget& window) {
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
    edit->setMinimumWidth(window.fontMetrics().averageCharWidth() * 12);
    edit->installEventFilter(&window);
  }
  scroll->viewport()->setAutoFillBackground(false);
  tab.fields->setAutoFillBackground(false);
  scroll->setFixedWidth(tab.fields->minimumSizeHint().width() +
                        scroll->verticalScrollBar()->sizeHint().width());
  return scroll;
}

// The list over the circuit, with the line between them the user can move.
void AddListAndCircuit(SearchTab& tab, QWidget& window, const char* listName) {
  tab.list =
      NewRowList(tab.model, listName, tab.page,
                 QStringLiteral("%1/hiddenColumns/%2").arg(kNetworksSettingsGroup, listName));

  tab.picture = new SchematicView(tab.page);
  tab.copyPicture = new QPushButton(kCopyPictureText, tab.page);
  tab.copyPicture->setAutoDefault(false);
  tab.copyPicture->setEnabled(false);
  QObject::connect(tab.copyPicture, &QPushButton::clicked, tab.picture,
                   &SchematicView::CopyPicture);
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
  QObject::connect(tab.list->selectionModel(), &QItemSelectionModel::selectionChanged, &window,
                   draw);
  QObject::connect(tab.list->selectionModel(), &QItemSelectionModel::currentRowChanged, &window,
                   draw);
  WhenUsesMoved(*tab.list, draw);
  auto* circuit = new QWidget(tab.page);
  auto* circuitLayout = new QHBoxLayout(circuit);
  circuitLayout->setContentsMargins(0, 0, 0, 0);
  // The picture keeps its labels at the list's size and scrolls where the room is smaller.
  auto* pictureScroll = new QScrollArea(circuit);
  pictureScroll->setWidget(tab.picture);
  pictureScroll->setWidgetResizable(true);
  pictureScroll->setFrameShape(QFrame::NoFrame);
  pictureScroll->setFocusPolicy(Qt::NoFocus);
  circuitLayout->addWidget(pictureScroll, 1);
  circuitLayout->addWidget(tab.copyPicture, 0, Qt::AlignBottom);
  // The list takes the height.
  tab.splitter = new QSplitter(Qt::Vertical, tab.page);
  tab.splitter->setObjectName("splitter");
  tab.splitter->setChildrenCollapsible(false);
  tab.splitter->addWidget(tab.list);
  tab.splitter->addWidget(circuit);
  tab.splitter->setStretchFactor(0, 1);
  tab.splitter->setStretchFactor(1, 1);
  const int line = window.fontMetrics().height();
  tab.splitter->setSizes({20 * line, 14 * line});
}

// A line of selectable text that screen readers find by its description.
QLabel* NewTextLine(QWidget* page, const char* objectName, const char* what) {
  auto* label = new QLabel(page);
  label->setObjectName(objectName);
  label->setAccessibleDescription(what);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

// Created after the fields, so the tab order runs fields, Find, list.
void FinishSearchTab(SearchTab& tab, QWidget& window, QGridLayout& grid, const char* listName,
                     ShownTable columns) {
  tab.name = listName;
  AddFindButton(tab, grid);
  // The tab's own margin is the column's left one; the list beside it needs the width more.
  QMargins margins = grid.contentsMargins();
  grid.setContentsMargins(0, margins.top(), margins.right() / 2, margins.bottom());
  QScrollArea* scroll = NewFieldScroll(tab, window);

  tab.model = new RowTableModel(&window);
  tab.columns = std::move(columns);
  tab.model->SetRows(tab.columns);
  AddListAndCircuit(tab, window, listName);

  tab.status = NewTextLine(tab.page, "status", kStatusName);
  QHBoxLayout* statusRow = NewStatusRow(tab);
  QWidget::setTabOrder(tab.find, tab.stop);
  QWidget::setTabOrder(tab.stop, tab.list);

  tab.runner = new SearchRunner(&window);
  QObject::connect(tab.runner, &SearchRunner::BusyChanged, tab.busy, &QWidget::setVisible);
  QObject::connect(tab.runner, &SearchRunner::BusyChanged, tab.stop, &QWidget::setVisible);
  QObject::connect(tab.stop, &QPushButton::clicked, &window, [&tab] {
    // Rows already shown stand, with what their status line says of the rows past them.
    const bool counting = tab.runner->Counting();
    tab.runner->Stop();
    if (!counting) SetStatus(tab, kStoppedText);
  });
  QObject::connect(tab.find, &QPushButton::clicked, &window, [&tab] { RunSearch(tab); });

  tab.places = NewTextLine(tab.page, "places", kPartsPlacesName);
  tab.places->hide();

  auto* results = new QVBoxLayout;
  results->addLayout(statusRow);
  results->addWidget(tab.splitter, 1);
  results->addWidget(tab.places);
  auto* layout = new QHBoxLayout(tab.page);
  margins = layout->contentsMargins();
  layout->setContentsMargins(margins.left() / 2, margins.top(), margins.right() / 2,
                             margins.bottom());
  layout->addWidget(scroll);
  layout->addLayout(results, 1);
}

// A refused field empties the list, so no row stands under fields it does not answer; a search
// replaces whatever the tab still runs, and until it ends the rows shown are the earlier ones.
void RunSearch(SearchTab& tab) {
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
      // A refused field in the closed section is shown with its error.
      if (tab.more != nullptr && !it->field->isVisibleTo(tab.fields)) tab.more->setChecked(true);
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
  tab.editedWhileSearching = false;
  tab.runner->Run(
      std::move(prepared.job),
      [&tab](const SearchOutcome& outcome) {
        ShowOutcome(tab, outcome);
        if (tab.editedWhileSearching) MarkStale(tab);
      },
      [&tab](const std::string& status) {
        tab.shown.status = status;
        // Greyed rows keep the line that says so.
        if (!tab.model->Stale()) SetStatus(tab, QString::fromStdString(status));
      });
}

// The status line says what the greyed rows are for. An edit while a search runs is kept for
// its rows, which answer the fields as they were when Find was pressed.
void MarkStale(SearchTab& tab) {
  if (tab.runner->Busy()) tab.editedWhileSearching = true;
  if (tab.model->rowCount() == 0 || tab.model->Stale()) return;
  tab.model->SetStale(true);
  SetStatus(tab, QString(kStaleRowsText).arg(QString::fromStdString(tab.shown.subject)));
}

}  // namespace vantrel
