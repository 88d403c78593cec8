#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cells.h"
#include "inventory_file.h"
#include "inventory_import.h"

// The tables import and the window's Inventory view show: the rows an import understood and the
// lines it skipped, and the rows of the drawer itself. The command line and the window both build
// them here, so the preview before a merge is the command's own table.
namespace vantrel::drawer {

// The columns of import's rows: titles for the text table, names for tsv, csv and json.
const std::vector<table::Column>& ImportColumns();
// An imported row's cells as the text table shows them.
std::vector<std::string> ImportTextCells(const ImportedRow& imported);
// Its fields for tsv, csv and json: values in ohms, farads and henries, null where not given.
std::vector<table::Cell> ImportFields(const ImportedRow& imported);
// What a file gave: "path: its format, N row(s), M line(s) skipped", with how many of those are
// parts neither R, C nor L.
std::string ImportedFileText(std::string_view path, const ImportedFile& file);
// "file:line: reason: text", the whole line, so that it can be found and mended.
std::string SkippedText(const SkippedLine& line);

// The columns of Inventory.csv that one kind's rows are shown under, the kind apart.
const std::vector<table::Column>& InventoryColumns();
// A row's cells: its value in its kind's notation, the ratings as import spells them, the rest
// as written.
std::vector<std::string> InventoryTextCells(const InventoryRow& row);

}  // namespace vantrel::drawer
