#pragma once

// The column of fields of a Networks window search tab, built row by row: a labelled field
// with its error line under it, and the rows several kinds share (Source, Statistics, Prefer,
// Show, the two legs' fields and the currents'). A kind's form adds its rows in order, Source
// among them, then Finish with how its own fields fill its input; Prefer and Show come last.

#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "search_tab.h"

class QComboBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace vantrel {

std::string Text(const QLineEdit* edit);
// An empty field is an option not given, as on the command line.
std::optional<std::string> Given(const QLineEdit* edit);
// With Within B and no tolerance, the tolerance is B, as on the command line: the empty field
// says so.
void ShowWithinAsDefault(QLineEdit* tolerance, QLineEdit* within);

class TabForm {
 public:
  // Makes tab's page in window, which connects the fields and owns the dialogs they open.
  // The tab runs its kind's search of searches with services; all must outlive the window.
  TabForm(SearchTab& tab, QWidget& window, const NetworkSearches& searches, Services& services);

  SearchTab& Tab() const { return m_tab; }
  QWidget& Window() const { return m_window; }
  // The column the fields are children of.
  QWidget* Fields() const { return m_tab.fields; }

  // Adds a labelled field in the next row, with its error label under it when option names
  // it; a change to the field makes the tab's rows stale.
  void AddField(const char* label, QWidget* field, const char* option = nullptr);
  // The fields added from here on stand in the More section, which a designer opens for what
  // is set less often; until then they stand in the first rows, always shown.
  void More() { m_grid = m_moreGrid; }
  // A line edit added by AddField.
  QLineEdit* AddEdit(const char* label, const char* option);
  // A tolerance field: empty, as an option not given, it shows the command line's default.
  QLineEdit* AddTolerance(const char* label);
  // Library or Inventory: where the search draws its values from. Every kind adds it, in its
  // own place among its fields.
  void AddSource();
  // A choice of legs of one value or of up to two parts; the index is the parts less one.
  QComboBox* AddLegsChoice(const char* label);
  // The most parts of a network, 1 to 4, at the command line's default of 3.
  QSpinBox* AddPartsCount(const char* label);
  // Adds Statistics, By, Temperature and TCR; the result reads them.
  using StatisticsFields = std::function<finder::StatisticsInput()>;
  // judged: the rows have In spec, which By judges by the worst-case band or the RSS one.
  StatisticsFields AddStatisticsFields(bool judged = true);
  // Adds the fields every two-leg tab has, in this order: Tolerance, Legs, Part tolerance,
  // Within, the totals' bounds, Scale and the statistics; the result reads them.
  using LegFields = std::function<void(finder::TwoLegInput&)>;
  LegFields AddLegFields();
  // Min current, Max current and Max power, for the designs that carry a current.
  using CurrentFields = std::function<void(finder::LoadedInput&)>;
  CurrentFields AddCurrentFields();
  // Prefer and Show, the Find button, the list and the circuit after the fields; returns the
  // page. The tab's search fills an input with read, then with Source, Prefer and Show, and
  // hands it to the search of that kind.
  template <class Input>
  QWidget* Finish(const char* listName, ShownTable columns,
                  std::function<PreparedSearch(const Input&, Services&)> NetworkSearches::*kind,
                  std::type_identity_t<std::function<void(Input&)>> read) {
    AddPreferField();
    AddShow();
    m_tab.prepare = [search = m_searches.*kind, &services = m_services, read = std::move(read),
                     shared = m_shared] {
      Input input;
      read(input);
      const SharedChoice choice = shared.Read();
      input.inventory = choice.inventory;
      input.prefer = choice.prefer;
      input.top = choice.top;
      return search(input, services);
    };
    return FinishPage(listName, std::move(columns));
  }

 private:
  // What Source, Prefer and Show say.
  struct SharedChoice {
    bool inventory = false;
    std::optional<std::string> prefer;
    std::string top;
  };
  struct SharedFields {
    QComboBox* source = nullptr;
    QLineEdit* prefer = nullptr;
    QComboBox* top = nullptr;
    SharedChoice Read() const;
  };

  // The Prefer field: the board's file, typed or chosen with the file chooser inside it.
  void AddPreferField();
  // The Show combo box, last of a tab's fields.
  void AddShow();
  QWidget* FinishPage(const char* listName, ShownTable columns);

  // The toggle that opens the More section, kept between runs as the fields are.
  QToolButton* AddMoreSection();

  SearchTab& m_tab;
  QWidget& m_window;
  const NetworkSearches& m_searches;
  Services& m_services;
  QGridLayout* m_grid;  // where the next field goes: m_firstGrid or m_moreGrid
  QGridLayout* m_firstGrid;
  QWidget* m_more;
  QGridLayout* m_moreGrid;
  std::vector<QWidget*> m_firstFields;
  std::vector<QWidget*> m_moreFields;
  SharedFields m_shared;
};

}  // namespace vantrel
