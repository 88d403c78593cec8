#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "number_text.h"

namespace vantrel::table {

// A column of a result table: its title in the text table, its name in tsv, csv and json,
// and whether its text cells are left-aligned (the last column always is).
struct Column {
  std::string_view title;
  std::string_view name;
  bool leftAligned = false;
};

// A member of an object in a json field: its name and its text, raw as Cell::raw.
struct JsonMember {
  std::string name;
  std::string text;
  bool raw = false;
};

// One field of a tsv, csv or json row: a number in the shortest form that reads back as the
// same value, a truth value, or text. JSON writes raw fields without quotes, and a field with
// objects as the list of them.
struct Cell {
  std::string text;
  bool raw = false;
  std::vector<std::vector<JsonMember>> objects{};
  bool list = false;
};

inline Cell NumberCell(double value) {
  return {ShortestText(value), true};
}
// The shortest form that reads back as the same float.
inline Cell NumberCell(float value) {
  return {ShortestText(value), true};
}
inline Cell NumberCell(std::uint64_t value) {
  return {std::to_string(value), true};
}
inline Cell BoolCell(bool value) {
  return {value ? "true" : "false", true};
}
// A value that does not exist, such as a tolerance no part could have.
inline Cell NullCell() {
  return {"null", true};
}
inline Cell TextCell(std::string text) {
  return {std::move(text), false};
}

// What a shown number measures, which says how it is spelled: a count in whole digits, a plain
// number or a quantity in significant digits (with its unit where the reader wants it), a
// percentage in fixed point (a size, such as a worst case, without its sign); a band is two
// percentages of the target.
enum class Quantity {
  kText,
  kCount,
  kPlain,
  kPercent,
  kSize,
  kBand,
  kOhm,
  kFarad,
  kHenry,
  kVolt,
  kAmpere,
  kWatt,
  kSecond,
  kHertz
};

// One cell of a row to read, before its column is spelled (display_text.h SpellColumns): text
// as it stands, or a number and what it measures, in the base unit (ohms, farads, volts).
struct ShownCell {
  Quantity quantity = Quantity::kText;
  double value = 0;
  double high = 0;   // a band's upper end; value is its lower one
  std::string text;  // a text cell's, or a mark after a number (" !")
  // The column of the value sought: its numbers are also told from the target.
  bool key = false;
};

inline ShownCell ShownText(std::string text) {
  return {Quantity::kText, 0, 0, std::move(text), false};
}
inline ShownCell ShownNumber(Quantity quantity, double value) {
  return {quantity, value, 0, {}, false};
}
inline ShownCell ShownKey(Quantity quantity, double value) {
  return {quantity, value, 0, {}, true};
}

}  // namespace vantrel::table
