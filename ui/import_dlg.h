#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "files.h"
#include "inventory_import.h"
#include "row_table_model.h"
#include "rows.h"

namespace vantrel {

// A list of plain text rows under columns: their titles, alignment and tsv names, no cells yet.
ShownTable ColumnTable(const std::vector<table::Column>& columns);

// The preview of "vantrel-cli import FILE...": each file's format and counts, the rows it
// understood and the lines it skipped with their reasons, as the command prints them. Merge is
// offered only where import --write would write; Cancel leaves every file as it was. Reading a
// file may throw FileError.
class CImportDlg : public QDialog {
  Q_OBJECT

 public:
  CImportDlg(IFileService& files, const QStringList& paths, QWidget* parent = nullptr);

  // The rows Merge adds, in the order the files gave them.
  std::vector<drawer::InventoryRow> Rows() const;
  // The files the rows came from, as Inventory.csv records them, imported on date.
  std::vector<drawer::ImportSource> Sources(const std::string& date) const;

 private:
  std::vector<drawer::ImportedRow> m_rows;
  std::vector<std::pair<std::string, std::string>> m_files;  // each file's path and SHA-256
};

}  // namespace vantrel
