#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "number_text.h"

namespace vantrel::finder {

// One field of a tsv, csv or json row: a number in the shortest form that reads back as the
// same value, a truth value, or text. JSON writes raw fields without quotes.
struct Cell {
  std::string text;
  bool raw = false;
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

}  // namespace vantrel::finder
