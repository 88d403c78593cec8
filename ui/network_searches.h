#pragma once

// The Networks window's searches, as the window hands them its fields: the command line's
// request checks, the library read and the search, with the rows made as the command line
// makes them. The checks and the read run where they are asked for; the search is returned
// as a job for the window's worker thread.

#include <functional>
#include <string>
#include <vector>

#include "search_kinds.h"
#include "search_runner.h"
#include "services.h"

namespace vantrel {

// A checked request with the library read: the error, or the search to run and what it looks
// for ("networks within 1 % of 4700"). Without either, status says why nothing can be searched
// (no library, no value in it).
struct PreparedSearch {
  std::vector<finder::RequestError> errors;
  SearchRunner::Job job;
  std::string status;
  std::string subject;
};

struct NetworkSearches {
  std::function<PreparedSearch(const finder::FindInput&, Services&)> find;
  std::function<PreparedSearch(const finder::DividerInput&, Services&)> divider;
  std::function<PreparedSearch(const finder::RegulatorInput&, Services&)> regulator;
  std::function<PreparedSearch(const finder::GainInput&, Services&)> gain;
  std::function<PreparedSearch(const finder::RcInput&, Services&)> rc;
  std::function<PreparedSearch(const finder::LedInput&, Services&)> led;
};

// The searches of the command line's find, divider, regulator, gain, rc and led, with the window's
// wording of refusals and its display of numbers (display_text.h).
NetworkSearches SharedSearches();

// The lists' columns before any search: find's without a part tolerance, and those of divider,
// regulator (VREF across the top resistor or the bottom one), gain (non-inverting) and rc with no
// option given.
ShownTable FindListColumns();
ShownTable DividerListColumns();
ShownTable RegulatorListColumns(bool referenceTop);
ShownTable GainListColumns();
ShownTable RcListColumns();  // a corner's
ShownTable LedListColumns();

}  // namespace vantrel
