#pragma once

// A board file's lines, and each line's search run for its candidates.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "board_choice.h"
#include "cells.h"
#include "cli_app.h"
#include "stock_kind.h"

namespace vantrel::board_lines {

inline constexpr std::size_t kMostFileBytes = 1 << 20;

struct Line {
  std::size_t number = 0;
  std::string name;
  std::string command;  // the search's words as typed after vantrel-cli
  std::vector<std::string> words;
};

// The board's own settings, which every line's search takes.
struct Settings {
  std::uint64_t candidates = 500;
  bool inventory = false;
  std::optional<std::string> prefer;
  std::optional<std::string> schematic;
  bool write = false;
};

// A line's candidates, each with what the answer prints of it.
struct Circuit {
  Line line;
  std::vector<board::Candidate> candidates;
  // Per candidate, each leg's parts as its stock names them, for --schematic.
  std::vector<std::vector<std::vector<std::string>>> legs;
  std::vector<std::string> columnNames;
  std::vector<std::vector<table::Cell>> fields;
  std::vector<std::vector<table::ShownCell>> shown;
  std::vector<table::Column> columns;
  double target = 0;
  std::string noRowNote;
};

struct ValueInfo {
  std::string kind;  // "R", "C", "L"
  std::string name;  // as its stock spells it
};

struct Gathered {
  std::vector<Circuit> circuits;
  std::map<board::Value, ValueInfo> values;
  std::map<board::Item, std::string> classes;  // how each class is described in Uses
  std::map<board::Item, std::int64_t> drawer;
  std::set<board::Value> free;
  std::map<const StockKind*, bool> boardRead;
  std::set<std::string> notesShown;  // what reading a stock said, said once for the board
};

// The circuits of text, read from file, or a usage error naming file and line.
std::vector<Line> ReadLines(const std::string& file, std::string_view text);

// Runs the search of line with the board's settings and adds its candidates, values and drawer
// classes to gathered; false after a message on context.err. Throws UsageError naming the line.
bool Gather(const std::string& file, const Line& line, const Settings& settings,
            CliContext& context, Gathered& gathered);

}  // namespace vantrel::board_lines
