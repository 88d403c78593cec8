#include "request.h"

#include "cli_app.h"
#include "command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "number_text.h"
#include "rows.h"
#include "search_kinds.h"
#include "stock_load.h"

namespace vantrel::finder {
namespace {

// Texts as a user or a fuzzer might type them: plain numbers over the whole double range,
// notation, percentages, non-finite words, long digit runs and junk.
std::vector<std::string> TypedTexts() {
  std::vector<std::string> texts = {"",
                                    "0",
                                    "-0",
                                    "1",
                                    "4k7",
                                    "4K7",
                                    "4n7",
                                    "100pF",
                                    "2.2\u00b5F",
                                    "10uH",
                                    "2R2",
                                    "1M",
                                    "1G",
                                    "500m",
                                    "1%",
                                    "1 %",
                                    "%",
                                    "inf",
                                    "-inf",
                                    "nan",
                                    "1e-6",
                                    "1e15",
                                    "1e-7",
                                    "1.1e15",
                                    "1e308",
                                    "1e-310",
                                    "1e999",
                                    "0x10",
                                    "1,5",
                                    " 3 ",
                                    "1e3k7",
                                    std::string(100000, '9'),
                                    "0." + std::string(400, '0') + "1"};
  std::mt19937_64 random(15);
  for (int i = 0; i < 3000; ++i) {
    const double value = std::bit_cast<double>(random());
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    texts.emplace_back(buffer, end);
    // Within the accepted ranges too, so both answers are common.
    const double scaled = std::pow(10.0, static_cast<double>(random() % 2400) / 100 - 8);
    texts.push_back(std::to_string(scaled) + (i % 3 == 0 ? "%" : ""));
  }
  return texts;
}

bool Within(double value, double low, double high) {
  return std::isfinite(value) && value >= low && value <= high;
}

// A temperature range lies within -273 to 1000 °C, so at most 1025 °C from 25; the drift and the
// tolerance stay below 100 % together.
bool ValidStatistics(const Statistics& statistics, double tolerance) {
  return Within(statistics.deltaT, 0, 1025) && Within(statistics.tcr, 0, HUGE_VAL) &&
         tolerance + statistics.DriftPercent() < 100 && (statistics.rss || !statistics.byRss);
}

bool ValidFind(const FindRequest& r) {
  const auto& s = r.search;
  bool ok = Within(s.target, kMinResistance, kMaxResistance) && s.maxParts >= 1 &&
            s.maxParts <= networks::kMaxParts && Within(s.tolerance, 0, HUGE_VAL) && r.limit > 0;
  for (double v : r.excluded) ok = ok && Within(v, kMinResistance, kMaxResistance);
  return ok && (!r.partTolerance || (*r.partTolerance >= 0 && *r.partTolerance < 100)) &&
         ValidStatistics(r.statistics, r.partTolerance.value_or(0));
}

bool ValidDivider(const DividerRequest& r) {
  const auto& s = r.search;
  bool ok =
      Within(s.vin, kMinVoltage, kMaxVoltage) && Within(s.vout, kMinVoltage, kMaxVoltage) &&
      s.vout < s.vin && s.legParts >= 1 && s.legParts <= 2 && Within(s.tolerance, 0, HUGE_VAL) &&
      r.limit > 0 && s.minTotal <= s.maxTotal &&
      (s.minTotal == 0 || Within(s.minTotal, kMinResistance, kMaxResistance)) &&
      (std::isinf(s.maxTotal) || Within(s.maxTotal, kMinResistance, kMaxResistance)) &&
      (std::isinf(s.load) || Within(s.load, kMinResistance, kMaxResistance)) &&
      (r.source ? Within(s.maxSource, kMinResistance, kMaxResistance) : std::isinf(s.maxSource));
  for (double v : r.excluded) ok = ok && Within(v, kMinResistance, kMaxResistance);
  return ok && ValidStatistics(r.bounds.statistics, r.bounds.partTolerance.value_or(0));
}

bool ValidSpread(const Spread& spread, double low, double high) {
  return Within(spread.min, low, high) && spread.min <= spread.typ && spread.typ <= spread.max &&
         Within(spread.max, low, high);
}

bool ValidBounds(const DesignBounds& b) {
  return (!b.within || Within(*b.within, 0, HUGE_VAL)) &&
         (!b.maxPower || Within(*b.maxPower, 0, HUGE_VAL)) && Within(b.minCurrent, 0, HUGE_VAL) &&
         b.minCurrent <= b.maxCurrent;
}

bool ValidRegulator(const RegulatorRequest& r) {
  const auto& s = r.search;
  return Within(s.target, kMinVoltage, kMaxVoltage) &&
         ValidSpread(r.vref, kMinVoltage, kMaxVoltage) && r.vref.typ < s.target &&
         ValidSpread(r.iadj, 0, kMaxVoltage) && Within(s.tolerance, 0, HUGE_VAL) &&
         ValidBounds(r.bounds);
}

bool ValidLed(const LedRequest& r) {
  const auto& s = r.search;
  return ValidSpread(r.vsupply, kMinVoltage, kMaxVoltage) &&
         ValidSpread(r.vf, kMinVoltage, kMaxVoltage) && r.leds >= 1 && r.leds <= 1000 &&
         Within(r.current, 1e-300, HUGE_VAL) && r.vsupply.typ - r.leds * r.vf.typ > 0 &&
         r.vsupply.min - r.leds * r.vf.max > 0 &&
         Within(s.target, kMinResistance, kMaxResistance) && s.maxParts >= 1 && s.maxParts <= 4 &&
         Within(s.tolerance, 0, HUGE_VAL) && r.limit > 0 &&
         (!r.bounds.within || s.tolerance <= *r.bounds.within) && ValidBounds(r.bounds);
}

bool ValidGain(const GainRequest& r) {
  const auto& s = r.search;
  return Within(s.target, kMinVoltage, kMaxVoltage) && (r.inverting || s.target >= 1) &&
         s.minA <= s.maxA && Within(s.tolerance, 0, HUGE_VAL) && ValidBounds(r.bounds);
}

bool ValidRc(const RcRequest& r) {
  const auto& s = r.search;
  const auto part = [](const std::optional<double>& t) { return !t || (*t >= 0 && *t < 100); };
  return Within(s.target, kMinRcTarget, kMaxRcTarget) && s.rParts >= 1 && s.rParts <= 2 &&
         s.cParts >= 1 && s.cParts <= 2 && Within(s.tolerance, 0, HUGE_VAL) && r.limit > 0 &&
         s.minR <= s.maxR && (s.minR == 0 || Within(s.minR, kMinResistance, kMaxResistance)) &&
         (std::isinf(s.maxR) || Within(s.maxR, kMinResistance, kMaxResistance)) &&
         part(r.bounds.rTolerance) && part(r.bounds.cTolerance) &&
         ValidStatistics(r.bounds.statistics, std::max(r.bounds.rTolerance.value_or(0),
                                                       r.bounds.cTolerance.value_or(0))) &&
         (!r.bounds.within || s.tolerance <= *r.bounds.within);
}

bool ValidSeries(const SeriesRequest& r) {
  return r.series && Within(r.low, kMinResistance, kMaxResistance) &&
         Within(r.high, kMinResistance, kMaxResistance) && r.low <= r.high;
}

// Every text in every field: either a request that holds only finite, in-range, consistent
// numbers, or an error that names the field it was typed in, in a message of bounded length.
// Each field of each request, as a setter of its text.
using FindField = std::function<void(FindInput&, const std::string&)>;
const std::vector<std::pair<std::string, FindField>>& FindFields() {
  static const std::vector<std::pair<std::string, FindField>> fields = {
      {"TARGET", [](FindInput& in, const std::string& t) { in.target = t; }},
      {"--parts", [](FindInput& in, const std::string& t) { in.parts = t; }},
      {"--tolerance", [](FindInput& in, const std::string& t) { in.tolerance = t; }},
      {"--top", [](FindInput& in, const std::string& t) { in.top = t; }},
      {"--exclude",
       [](FindInput& in, const std::string& t) {
         in.exclude = {"1k", t};
       }},
      {"--part-tolerance", [](FindInput& in, const std::string& t) { in.partTolerance = t; }},
      {"--temperature",
       [](FindInput& in, const std::string& t) { in.statistics.temperature = "-40:" + t; }},
      {"--tcr",
       [](FindInput& in, const std::string& t) {
         in.partTolerance = "50";
         in.statistics.temperature = "-273:1000";
         in.statistics.tcr = t;
       }},
  };
  return fields;
}

using DividerField = std::function<void(DividerInput&, const std::string&)>;
const std::vector<std::pair<std::string, DividerField>>& DividerFields() {
  static const std::vector<std::pair<std::string, DividerField>> fields = {
      {"VIN", [](DividerInput& in, const std::string& t) { in.vin = t; }},
      {"VOUT", [](DividerInput& in, const std::string& t) { in.vout = t; }},
      {"--parts", [](DividerInput& in, const std::string& t) { in.parts = t; }},
      {"--tolerance", [](DividerInput& in, const std::string& t) { in.tolerance = t; }},
      {"--top", [](DividerInput& in, const std::string& t) { in.top = t; }},
      {"--min-total", [](DividerInput& in, const std::string& t) { in.minTotal = t; }},
      {"--max-total", [](DividerInput& in, const std::string& t) { in.maxTotal = t; }},
      {"--load", [](DividerInput& in, const std::string& t) { in.load = t; }},
      {"--max-source", [](DividerInput& in, const std::string& t) { in.maxSource = t; }},
      {"--temperature",
       [](DividerInput& in, const std::string& t) { in.statistics.temperature = t; }},
      {"--temperature",
       [](DividerInput& in, const std::string& t) { in.statistics.temperature = t + ":85"; }},
      {"--tcr",
       [](DividerInput& in, const std::string& t) {
         in.statistics.byRss = true;
         in.statistics.temperature = "-40:125";
         in.statistics.tcr = t;
       }},
  };
  return fields;
}

using RegulatorField = std::function<void(RegulatorInput&, const std::string&)>;
const std::vector<std::pair<std::string, RegulatorField>>& RegulatorFields() {
  static const std::vector<std::pair<std::string, RegulatorField>> fields = {
      {"VOUT", [](RegulatorInput& in, const std::string& t) { in.vout = t; }},
      {"--vref", [](RegulatorInput& in, const std::string& t) { in.vref = t; }},
      {"--vref", [](RegulatorInput& in, const std::string& t) { in.vref = "1:" + t + ":2"; }},
      {"--iadj", [](RegulatorInput& in, const std::string& t) { in.iadj = t; }},
      {"--within", [](RegulatorInput& in, const std::string& t) { in.within = t; }},
      {"--max-power", [](RegulatorInput& in, const std::string& t) { in.maxPower = t; }},
      {"--min-current", [](RegulatorInput& in, const std::string& t) { in.minCurrent = t; }},
  };
  return fields;
}

using LedField = std::function<void(LedInput&, const std::string&)>;
const std::vector<std::pair<std::string, LedField>>& LedFields() {
  static const std::vector<std::pair<std::string, LedField>> fields = {
      {"VSUPPLY", [](LedInput& in, const std::string& t) { in.vsupply = t; }},
      {"VSUPPLY", [](LedInput& in, const std::string& t) { in.vsupply = "4.5:" + t + ":30"; }},
      {"--vf", [](LedInput& in, const std::string& t) { in.vf = t; }},
      {"--vf", [](LedInput& in, const std::string& t) { in.vf = "1.5:" + t + ":2.5"; }},
      {"--leds", [](LedInput& in, const std::string& t) { in.leds = t; }},
      {"--current", [](LedInput& in, const std::string& t) { in.current = t; }},
      {"--parts", [](LedInput& in, const std::string& t) { in.parts = t; }},
      {"--tolerance", [](LedInput& in, const std::string& t) { in.tolerance = t; }},
      {"--within", [](LedInput& in, const std::string& t) { in.within = t; }},
      {"--part-tolerance", [](LedInput& in, const std::string& t) { in.partTolerance = t; }},
      {"--max-power", [](LedInput& in, const std::string& t) { in.maxPower = t; }},
  };
  return fields;
}

using GainField = std::function<void(GainInput&, const std::string&)>;
const std::vector<std::pair<std::string, GainField>>& GainFields() {
  static const std::vector<std::pair<std::string, GainField>> fields = {
      {"G", [](GainInput& in, const std::string& t) { in.gain = t; }},
      {"--rf-min", [](GainInput& in, const std::string& t) { in.rfMin = t; }},
      {"--rf-max", [](GainInput& in, const std::string& t) { in.rfMax = t; }},
  };
  return fields;
}

using RcField = std::function<void(RcInput&, const std::string&)>;
const std::vector<std::pair<std::string, RcField>>& RcFields() {
  static const std::vector<std::pair<std::string, RcField>> fields = {
      {"--tau", [](RcInput& in, const std::string& t) { in.tau = t; }},
      {"--corner",
       [](RcInput& in, const std::string& t) {
         in.tau.reset();
         in.corner = t;
       }},
      {"--r-parts", [](RcInput& in, const std::string& t) { in.rParts = t; }},
      {"--c-parts", [](RcInput& in, const std::string& t) { in.cParts = t; }},
      {"--tolerance", [](RcInput& in, const std::string& t) { in.tolerance = t; }},
      {"--min-r", [](RcInput& in, const std::string& t) { in.minR = t; }},
      {"--max-r", [](RcInput& in, const std::string& t) { in.maxR = t; }},
      {"--r-tolerance", [](RcInput& in, const std::string& t) { in.rTolerance = t; }},
      {"--c-tolerance", [](RcInput& in, const std::string& t) { in.cTolerance = t; }},
      {"--within", [](RcInput& in, const std::string& t) { in.within = t; }},
      {"--temperature",
       [](RcInput& in, const std::string& t) { in.statistics.temperature = t + ":" + t; }},
      {"--tcr",
       [](RcInput& in, const std::string& t) {
         in.cTolerance = "10";
         in.statistics.temperature = "0:70";
         in.statistics.tcr = t;
       }},
  };
  return fields;
}

using SeriesField = std::function<void(SeriesInput&, const std::string&)>;
const std::vector<std::pair<std::string, SeriesField>>& SeriesFields() {
  static const std::vector<std::pair<std::string, SeriesField>> fields = {
      {"--from", [](SeriesInput& in, const std::string& t) { in.from = t; }},
      {"--to", [](SeriesInput& in, const std::string& t) { in.to = t; }},
  };
  return fields;
}

// The inputs each field's text goes into: valid in every other field.
FindInput SomeFind() {
  FindInput input;
  input.target = "4k7";
  input.partTolerance = "5";
  return input;
}

DividerInput SomeDivider() {
  DividerInput input;
  input.vin = "5";
  input.vout = "3.3";
  input.minTotal = "1k";
  input.maxTotal = "1M";
  return input;
}

RegulatorInput SomeRegulator() {
  RegulatorInput input;
  input.vout = "5";
  input.vref = "1.25";
  input.minCurrent = "1u";
  input.maxCurrent = "10m";
  return input;
}

LedInput SomeLed() {
  LedInput input;
  input.vsupply = "5";
  input.vf = "1.9:2.0:2.2";
  input.current = "10m";
  input.leds = "1";
  return input;
}

GainInput SomeGain() {
  GainInput input;
  input.gain = "11";
  input.rfMin = "1k";
  input.rfMax = "100k";
  return input;
}

RcInput SomeRc() {
  RcInput input;
  input.tau = "1m";
  input.minR = "100";
  input.maxR = "1M";
  input.tolerance = "2";
  return input;
}

SeriesInput SomeSeries() {
  return {"E12", "100", "10k"};
}

TEST(RequestCheckTest, AnyTextInAnyFieldGivesAValidRequestOrNamesTheField) {
  int accepted = 0;
  int refused = 0;
  // The window names a field by its label, the command line by its option or operand.
  const auto expect = [&](const auto& checked, const std::string& field, const auto& valid,
                          const std::string& text, Wording wording) {
    if (const RequestError* error = std::get_if<RequestError>(&checked)) {
      ++refused;
      // A field at odds with another is named with it ("--from ... is above --to ...").
      const std::string_view name = FieldName(field, wording);
      EXPECT_NE(error->message.find(name), std::string::npos) << error->message;
      EXPECT_NE(error->message.find(FieldName(error->field, wording)), std::string::npos)
          << error->message;
      if (wording == Wording::kWindow && text.find("--") == std::string::npos) {
        EXPECT_EQ(error->message.find("--"), std::string::npos) << error->message;
      }
      EXPECT_LT(error->message.size(), 200u) << text.substr(0, 50);
    } else {
      ++accepted;
      EXPECT_TRUE(valid(std::get<0>(checked))) << field << " " << text.substr(0, 50);
    }
  };
  for (const Wording wording : {Wording::kCommandLine, Wording::kWindow}) {
    for (const std::string& text : TypedTexts()) {
      // Each stock reads TARGET and --exclude in its own notation.
      for (const auto& [kind, target] :
           {std::pair{&kResistors, "4k7"}, {&kCapacitors, "4n7"}, {&kInductors, "10u"}}) {
        for (const auto& [field, set] : FindFields()) {
          FindInput input = SomeFind();
          input.kind = kind;
          input.target = target;
          set(input, text);
          expect(CheckFind(input, wording), field, ValidFind, text, wording);
        }
      }
      for (const auto& [field, set] : DividerFields()) {
        DividerInput input = SomeDivider();
        set(input, text);
        expect(CheckDivider(input, wording), field, ValidDivider, text, wording);
      }
      for (const auto& [field, set] : RegulatorFields()) {
        RegulatorInput input = SomeRegulator();
        set(input, text);
        expect(CheckRegulator(input, wording), field, ValidRegulator, text, wording);
      }
      for (const auto& [field, set] : GainFields()) {
        GainInput input = SomeGain();
        set(input, text);
        expect(CheckGain(input, wording), field, ValidGain, text, wording);
      }
      for (const auto& [field, set] : LedFields()) {
        LedInput input = SomeLed();
        set(input, text);
        expect(CheckLed(input, wording), field, ValidLed, text, wording);
      }
      for (const auto& [field, set] : SeriesFields()) {
        SeriesInput input = SomeSeries();
        set(input, text);
        expect(CheckSeries(input, wording), field, ValidSeries, text, wording);
      }
      for (const auto& [field, set] : RcFields()) {
        RcInput input = SomeRc();
        set(input, text);
        expect(CheckRc(input, wording), field, ValidRc, text, wording);
      }
    }
  }
  EXPECT_GT(accepted, 1000);
  EXPECT_GT(refused, 1000);
}

// Every operand and free-text option of the window's commands has a label in the window's
// wording, so that a new option cannot reach the window worded for the command line.
TEST(RequestCheckTest, FieldWordingsNameEveryCheckedOptionOfTheCommandLine) {
  std::vector<std::string_view> named;
  for (const FieldWording& field : kFieldWordings) named.push_back(field.option);
  int seen = 0;
  for (const CliCommand& command : CliCommands()) {
    const std::string_view name = command.spec.name;
    if (name != "find" && name != "divider" && name != "regulator" && name != "gain" &&
        name != "series" && name != "rc" && name != "led") {
      continue;
    }
    std::vector<std::string_view> fields;
    for (const OperandSpec& operand : command.spec.operands) fields.push_back(operand.name);
    for (const OptionSpec& option : command.spec.options) {
      // Flags and closed choices are not typed, and the parser checks them before any check.
      if (!option.valueName.empty() && option.choices.empty()) fields.push_back(option.name);
    }
    for (const std::string_view field : fields) {
      ++seen;
      EXPECT_NE(std::find(named.begin(), named.end(), field), named.end())
          << name << " " << field << " has no label in kFieldWordings";
    }
  }
  EXPECT_GE(seen, 40);
}

// What a check made of its input, to compare two: the request's numbers, or the field refused.
std::vector<double> Numbers(const FindRequest& r) {
  std::vector<double> numbers = {r.search.target, static_cast<double>(r.search.maxParts),
                                 r.search.tolerance, static_cast<double>(r.limit),
                                 r.partTolerance.value_or(-1)};
  numbers.insert(numbers.end(), r.excluded.begin(), r.excluded.end());
  return numbers;
}

std::vector<double> Numbers(const DividerRequest& r) {
  const auto& s = r.search;
  return {s.vin,  s.vout,      static_cast<double>(s.legParts), s.tolerance, s.minTotal, s.maxTotal,
          s.load, s.maxSource, static_cast<double>(r.limit)};
}

std::vector<double> Numbers(const SeriesRequest& r) {
  return {r.low, r.high};
}

std::vector<double> Numbers(const RegulatorRequest& r) {
  return {r.search.target,
          r.vref.min,
          r.vref.typ,
          r.vref.max,
          r.iadj.min,
          r.iadj.typ,
          r.iadj.max,
          r.search.tolerance,
          r.bounds.within.value_or(-1),
          r.bounds.maxPower.value_or(-1),
          r.bounds.minCurrent,
          r.bounds.maxCurrent};
}

std::vector<double> Numbers(const GainRequest& r) {
  return {r.search.target, r.search.minA, r.search.maxA};
}

std::vector<double> Numbers(const RcRequest& r) {
  return {r.search.target,
          static_cast<double>(r.search.quantity),
          r.search.tolerance,
          r.search.minR,
          r.search.maxR,
          r.bounds.rTolerance.value_or(-1),
          r.bounds.cTolerance.value_or(-1),
          r.bounds.within.value_or(-1)};
}

template <class Request>
std::variant<std::vector<double>, std::string> Outcome(const Checked<Request>& checked) {
  if (const auto* error = std::get_if<RequestError>(&checked)) return error->field;
  return Numbers(std::get<Request>(checked));
}

// A "+" in front of a number changes nothing, in every numeric field of every command.
TEST(RequestCheckTest, PlusInFrontReadsAsTheNumberWithout) {
  int accepted = 0;
  for (const std::string& text : TypedTexts()) {
    if (text.empty() || text[0] == '+' || text[0] == '-' || IsCSpace(text[0])) continue;
    const std::string plus = "+" + text;
    const auto same = [&](const auto& withPlus, const auto& without, const std::string& field) {
      EXPECT_EQ(Outcome(withPlus), Outcome(without)) << field << " " << text.substr(0, 50);
      accepted += std::holds_alternative<std::string>(Outcome(without)) ? 0 : 1;
    };
    for (const auto& [field, set] : FindFields()) {
      FindInput a = SomeFind(), b = SomeFind();
      set(a, plus);
      set(b, text);
      same(CheckFind(a), CheckFind(b), field);
    }
    for (const auto& [field, set] : DividerFields()) {
      DividerInput a = SomeDivider(), b = SomeDivider();
      set(a, plus);
      set(b, text);
      same(CheckDivider(a), CheckDivider(b), field);
    }
    for (const auto& [field, set] : SeriesFields()) {
      SeriesInput a = SomeSeries(), b = SomeSeries();
      set(a, plus);
      set(b, text);
      same(CheckSeries(a), CheckSeries(b), field);
    }
  }
  EXPECT_GT(accepted, 1000);
}

// The unit's symbol after a number changes nothing, in every field that takes a quantity:
// with the unit, a text is taken or refused, for the same field, exactly as without it.
TEST(RequestCheckTest, AUnitAfterTheNumberReadsAsTheNumberWithout) {
  const std::vector<std::string> ohms = {"\u03a9", " \u2126", "ohm", " Ohms"};
  const std::vector<std::string> volts = {"V", " v"};
  const std::vector<std::string> amperes = {"A", " a"};
  const std::vector<std::string> percent = {"%", " %"};
  const std::map<std::string, std::vector<std::string>> symbols = {{"TARGET", ohms},
                                                                   {"--exclude", ohms},
                                                                   {"--tolerance", percent},
                                                                   {"--part-tolerance", percent},
                                                                   {"VIN", volts},
                                                                   {"VOUT", volts},
                                                                   {"--min-total", ohms},
                                                                   {"--max-total", ohms},
                                                                   {"--load", ohms},
                                                                   {"--max-source", ohms},
                                                                   {"--vref", volts},
                                                                   {"--iadj", amperes},
                                                                   {"--within", percent},
                                                                   {"--max-power", {"W", " w"}},
                                                                   {"--min-current", amperes},
                                                                   {"--rf-min", ohms},
                                                                   {"--rf-max", ohms},
                                                                   {"--tau", {"s", " s"}},
                                                                   {"--corner", {"Hz", " hz"}},
                                                                   {"--min-r", ohms},
                                                                   {"--max-r", ohms},
                                                                   {"--r-tolerance", percent},
                                                                   {"--c-tolerance", percent},
                                                                   {"--from", ohms},
                                                                   {"--to", ohms}};
  int compared = 0;
  int accepted = 0;
  // Runs check on input with text in field, with and without each of the field's symbols.
  const auto same = [&](const std::string& field, const std::string& text, auto input,
                        const auto& set, const auto& check,
                        const std::vector<std::string>& written) {
    auto plain = input;
    set(plain, text);
    const auto without = Outcome(check(plain));
    accepted += std::holds_alternative<std::string>(without) ? 0 : 1;
    for (const std::string& symbol : written) {
      auto withUnit = input;
      set(withUnit, text + symbol);
      EXPECT_EQ(Outcome(check(withUnit)), without) << field << " " << text.substr(0, 50) << symbol;
      ++compared;
    }
  };
  const auto unitsOf = [&](const std::string& field) {
    const auto found = symbols.find(field);
    return found == symbols.end() ? std::vector<std::string>{} : found->second;
  };
  for (std::string text : TypedTexts()) {
    if (text.empty() || text.back() < '0' || text.back() > '9') continue;
    for (const auto& [field, set] : FindFields()) {
      same(
          field, text, SomeFind(), set, [](const auto& in) { return CheckFind(in); },
          unitsOf(field));
      if (field != "TARGET" && field != "--exclude") continue;
      // A capacitor's or inductor's value after its prefix.
      for (const auto& [kind, prefix, unit] :
           {std::tuple{&kCapacitors, "n", "F"}, {&kInductors, "u", "H"}}) {
        FindInput input = SomeFind();
        input.kind = kind;
        input.target = std::string("1") + prefix;
        same(field, text + prefix, input, set, [](const auto& in) { return CheckFind(in); },
             {unit, std::string(" ") + unit});
      }
    }
    for (const auto& [field, set] : DividerFields()) {
      same(
          field, text, SomeDivider(), set, [](const auto& in) { return CheckDivider(in); },
          unitsOf(field));
    }
    for (const auto& [field, set] : RegulatorFields()) {
      same(
          field, text, SomeRegulator(), set, [](const auto& in) { return CheckRegulator(in); },
          unitsOf(field));
    }
    for (const auto& [field, set] : GainFields()) {
      same(
          field, text, SomeGain(), set, [](const auto& in) { return CheckGain(in); },
          unitsOf(field));
    }
    for (const auto& [field, set] : RcFields()) {
      same(
          field, text, SomeRc(), set, [](const auto& in) { return CheckRc(in); }, unitsOf(field));
    }
    for (const auto& [field, set] : SeriesFields()) {
      same(
          field, text, SomeSeries(), set, [](const auto& in) { return CheckSeries(in); },
          unitsOf(field));
    }
  }
  EXPECT_GT(compared, 100000);
  EXPECT_GT(accepted, 10000);
}

// A value written in another quantity's unit is refused as that quantity, naming the field.
TEST(RequestCheckTest, AWrongUnitIsNamed) {
  RegulatorInput regulator = SomeRegulator();
  regulator.minCurrent = "5V";
  RcInput rc = SomeRc();
  rc.tau = "1kHz";
  FindInput capacitor = SomeFind();
  capacitor.kind = &kCapacitors;
  capacitor.target = "10uH";
  FindInput resistor = SomeFind();
  resistor.target = "100n";
  DividerInput divider = SomeDivider();
  divider.vout = "3.3A";
  GainInput gain = SomeGain();
  gain.rfMin = "1mW";
  const auto message = [](const auto& checked) {
    const auto* error = std::get_if<RequestError>(&checked);
    return error ? error->field + ": " + error->message : std::string("accepted");
  };
  EXPECT_EQ(message(CheckRegulator(regulator)),
            "--min-current: --min-current \"5V\" is a voltage, not a current");
  EXPECT_EQ(message(CheckRegulator(regulator, Wording::kWindow)),
            "--min-current: Min current 5V is a voltage, not a current");
  EXPECT_EQ(message(CheckRc(rc)),
            "--tau: --tau \"1kHz\" is a frequency, not a time constant in seconds");
  EXPECT_EQ(message(CheckFind(capacitor)),
            "TARGET: TARGET \"10uH\" is an inductance, not a capacitor value");
  EXPECT_EQ(message(CheckFind(resistor)),
            "TARGET: TARGET \"100n\" is not a resistance (add --capacitors for a capacitor "
            "value, add --inductors for an inductor value)");
  EXPECT_EQ(
      message(CheckFind(resistor, Wording::kWindow)),
      "TARGET: Target 100n is not a resistance (choose Capacitors under Stock for a capacitor "
      "value, choose Inductors under Stock for an inductor value)");
  EXPECT_EQ(message(CheckDivider(divider)), "VOUT: VOUT \"3.3A\" is a current, not a voltage");
  EXPECT_EQ(message(CheckGain(gain)), "--rf-min: --rf-min \"1mW\" is a power, not a resistance");
}

// A load and a bound on the source resistance are resistances above 0, finite; a refusal names
// the option on the command line and the field in the window.
TEST(RequestCheckTest, LoadAndMaxSourceAreResistancesNamedWhenRefused) {
  const struct {
    std::string field, text, message;
    Wording wording = Wording::kCommandLine;
  } cases[] = {
      {"--load", "0", "--load \"0\" is out of range: resistances from 1 \u00b5\u03a9 to 1 P\u03a9"},
      {"--load", "-10k", "--load \"-10k\" is out of range"},
      {"--load", "inf", "--load \"inf\" is out of range"},
      {"--load", "nan", "--load \"nan\" is not a number"},
      {"--load", "5V", "--load \"5V\" is a voltage, not a resistance"},
      {"--max-source", "0", "--max-source \"0\" is out of range"},
      {"--max-source", "1e16", "--max-source \"1e16\" is out of range"},
      {"--max-source", "lots", "--max-source \"lots\""},
      {"--load", "0", "Load 0 is out of range", Wording::kWindow},
      {"--max-source", "-1", "Max source -1 is out of range", Wording::kWindow},
  };
  for (const auto& c : cases) {
    DividerInput input = SomeDivider();
    (c.field == "--load" ? input.load : input.maxSource) = c.text;
    const auto checked = CheckDivider(input, c.wording);
    const auto* error = std::get_if<RequestError>(&checked);
    ASSERT_NE(error, nullptr) << c.field << " " << c.text;
    EXPECT_EQ(error->field, c.field);
    EXPECT_TRUE(error->message.starts_with(c.message)) << error->message;
  }
  DividerInput input = SomeDivider();
  input.load = "10k";
  input.maxSource = "4k7";
  const DividerRequest request = std::get<DividerRequest>(CheckDivider(input));
  EXPECT_EQ(request.search.load, 10000);
  EXPECT_EQ(request.search.maxSource, 4700);
  EXPECT_TRUE(request.source);
}

// A count is a whole number from least to most, "+" allowed; one past the most, even past what
// 64 bits hold, is too large rather than no number.
TEST(RequestCheckTest, CountsSayWhyTheyAreRefused) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  using CountOutcome = std::variant<std::uint64_t, std::string>;
  const struct {
    std::string text;
    std::uint64_t least, most;
    CountOutcome expected;
  } cases[] = {
      {"7", 1, 20, 7u},
      {"+7", 1, 20, 7u},
      {"0", 0, 9, 0u},
      {"18446744073709551615", 1, kMost, kMost},
      {"18446744073709551616", 1, kMost,
       "--top \"18446744073709551616\" is too large: at most 18446744073709551615"},
      {"+99999999999999999999999", 1, kMost,
       "--top \"+99999999999999999999999\" is too large: at most 18446744073709551615"},
      {"99999999999999999999999", 1, 4,
       "--top \"99999999999999999999999\" is too large: at most 4"},
      {"5", 1, 4, "--top \"5\" is too large: at most 4"},
      {"0", 1, kMost, "--top needs a whole number above 0, not \"0\""},
      {"0", 1, 4, "--top needs a whole number from 1 to 4, not \"0\""},
      {"", 1, 4, "--top needs a whole number from 1 to 4, not \"\""},
      {"+", 1, 4, "--top needs a whole number from 1 to 4, not \"+\""},
      {"++1", 1, 4, "--top needs a whole number from 1 to 4, not \"++1\""},
      {"+-1", 1, 4, "--top needs a whole number from 1 to 4, not \"+-1\""},
      {"-1", 1, 4, "--top needs a whole number from 1 to 4, not \"-1\""},
      {"1e3", 1, kMost, "--top needs a whole number above 0, not \"1e3\""},
      {"99999999999999999999x", 1, kMost,
       "--top needs a whole number above 0, not \"99999999999999999999x\""},
  };
  for (const auto& c : cases) {
    const Checked<std::uint64_t> checked = CheckCount("--top", c.text, c.least, c.most);
    CountOutcome got;
    if (const auto* error = std::get_if<RequestError>(&checked)) {
      EXPECT_EQ(error->field, "--top");
      got = error->message;
    } else {
      got = std::get<std::uint64_t>(checked);
    }
    EXPECT_EQ(got, c.expected) << c.text;
  }
}

// A plain decimal resistance is taken exactly as strtod reads it, exactly when in range.
TEST(RequestCheckTest, PlainTargetsMatchStrtodInsideTheRange) {
  for (const std::string& text : TypedTexts()) {
    if (text.empty() || text.find_first_not_of("0123456789.e+-") != std::string::npos) continue;
    char* end = nullptr;
    const double expected = std::strtod(text.c_str(), &end);
    if (*end != '\0') continue;
    FindInput input;
    input.target = text;
    const auto checked = CheckFind(input);
    const bool inRange = Within(expected, kMinResistance, kMaxResistance);
    ASSERT_EQ(std::holds_alternative<FindRequest>(checked), inRange) << text.substr(0, 50);
    if (inRange) {
      EXPECT_EQ(std::get<FindRequest>(checked).search.target, expected) << text;
    }
  }
}

// A time constant or a corner reads as the double nearest the decimal it writes, the prefix
// behind the number or in place of its point and the unit optional; other letters, a prefix
// beside an exponent and anything not above 0 are refused.
TEST(RequestCheckTest, RcTargetsReadTheirPrefixesAndUnits) {
  const struct {
    const char* tau;
    const char* corner;
    double value;
  } read[] = {{"1m", nullptr, 1e-3},
              {"10u", nullptr, 10e-6},
              {"4u7", nullptr, 4.7e-6},
              {"10ms", nullptr, 0.01},
              {"1e-3", nullptr, 1e-3},
              {"+2.2\xC2\xB5", nullptr, 2.2e-6},
              {"47n", nullptr, 47e-9},
              {"1s", nullptr, 1},
              {nullptr, "1k", 1000},
              {nullptr, "2.2kHz", 2200},
              {nullptr, "1M", 1e6},
              {nullptr, "159.15", 159.15},
              {nullptr, "1k5Hz", 1500},
              {nullptr, "50Hz", 50},
              {"1e-3m", nullptr, 1e-6},
              {"160us", nullptr, 160e-6},
              {"160 \xC2\xB5s", nullptr, 160e-6},
              {nullptr, "1 kHz", 1000},
              {nullptr, "1khz", 1000}};
  for (const auto& c : read) {
    RcInput input;
    if (c.tau) input.tau = c.tau;
    if (c.corner) input.corner = c.corner;
    const Checked<RcRequest> checked = CheckRc(input);
    ASSERT_TRUE(std::holds_alternative<RcRequest>(checked)) << (c.tau ? c.tau : c.corner);
    EXPECT_EQ(std::get<RcRequest>(checked).search.target, c.value) << (c.tau ? c.tau : c.corner);
    EXPECT_EQ(std::get<RcRequest>(checked).search.quantity,
              c.tau ? networks::RcQuantity::kTau : networks::RcQuantity::kCorner);
  }
  for (const char* text : {"0", "-1m", "1x", "4k7k", "1mm", "inf", "nan", "1e999", "1m5s7", "1kHz5",
                           "1e-30", "1e30", "", "ms"}) {
    RcInput input;
    input.tau = text;
    const Checked<RcRequest> checked = CheckRc(input);
    ASSERT_TRUE(std::holds_alternative<RequestError>(checked)) << text;
    EXPECT_EQ(std::get<RequestError>(checked).field, "--tau") << text;
  }
}

TEST(RequestCheckTest, QuotedCutsLongTextOnACharacterBoundary) {
  EXPECT_EQ(Quoted("4k7"), "\"4k7\"");
  EXPECT_EQ(Quoted(std::string(40, 'x')), "\"" + std::string(40, 'x') + "\"");
  EXPECT_EQ(Quoted(std::string(39, 'x') + "\xc3\xa9"),
            "\"" + std::string(39, 'x') + "...\" (41 characters)");
}

// When no row meets the bounds, the note names the one that leaves none, as the request's
// reader knows it, and with a band the nearest design and the parts it would need.
TEST(RequestCheckTest, NoRowNoteNamesTheCauseInTheRequestsWords) {
  LoadedStock stock;
  stock.opened = true;
  const double values[] = {1000, 3125};
  stock.stock = networks::MakeStock(values, {});
  stock.names = {"1000", "3125"};
  RegulatorInput input;
  input.vout = "3.3";
  input.vref = "0.8";
  input.tolerance = "1";
  input.maxPower = "1e-9";
  for (const auto& [wording, note] :
       {std::pair{Wording::kCommandLine,
                  "No design within 1 % of 3.3 meets --max-power 0.000000001"},
        std::pair{Wording::kWindow, "No design within 1 % of 3.3 V meets Max power 1 nW"}}) {
    const auto request = std::get<RegulatorRequest>(CheckRegulator(input, wording));
    EXPECT_EQ(NoRegulatorRowNote(stock, request), note);
  }
  input.maxPower.reset();
  input.within = "1";
  input.partTolerance = "1";
  const auto banded = std::get<RegulatorRequest>(CheckRegulator(input, Wording::kWindow));
  // The window lists the nearest design as row 0, so its note says only what keeps it out.
  EXPECT_EQ(NoRegulatorRowNote(stock, banded),
            "No design within 1 % of 3.3 V meets Within 1 %. Row 0 is the nearest: with parts of "
            "1 %, its band reaches 1.53 % of the 1 %; parts of 0.65 % would do");
  const auto nearest = RegulatorKind::Nearest(stock, banded);
  ASSERT_TRUE(nearest);
  EXPECT_EQ(MakeRegulatorRow(0, *nearest, stock, banded).first, "3125");
  // Each value once: the cause is that, not a bound that was never given.
  input.partTolerance.reset();
  input.within.reset();
  input.distinct = true;
  LoadedStock one = stock;
  const double single[] = {1000};
  one.stock = networks::MakeStock(single, {});
  one.names = {"1000"};
  input.vout = "1.6";
  EXPECT_EQ(NoRegulatorRowNote(one, std::get<RegulatorRequest>(CheckRegulator(input))),
            "No design within 1 % of 1.6 meets --distinct");

  LoadedStock r = stock;
  const double ohms[] = {1000};
  r.stock = networks::MakeStock(ohms, {});
  r.names = {"1000"};
  LoadedStock c = r;
  const double farads[] = {1e-7};
  c.stock = networks::MakeStock(farads, {});
  c.names = {"100n"};
  RcInput rc;
  rc.tau = "100u";
  rc.rTolerance = "1";
  rc.within = "0.5";
  // A capacitor without a tolerance is exact, and goes unnamed.
  for (const auto& [wording, note] :
       {std::pair{Wording::kCommandLine,
                  "No RC pair within 0.5 % of the time constant 0.0001 meets --within 0.5. "
                  "Nearest: R = 1000, C = 100n, -1 % … +1 %: with R of 1 %, its band reaches 1 % "
                  "of the 0.5 %; parts of 0.24 % would do"},
        std::pair{Wording::kWindow,
                  "No RC pair within 0.5 % of the time constant 100 µs meets Within 0.5 %. Row 0 "
                  "is the nearest: with R of 1 %, its band reaches 1 % of the 0.5 %; parts of "
                  "0.24 % would do"}}) {
    const auto request = std::get<RcRequest>(CheckRc(rc, wording));
    EXPECT_EQ(NoRcRowNote({r, c}, request), note);
  }
}

// An empty field the window labels as its quantity asks for the quantity's unit, not for itself
// ("TCR needs a TCR"); others ask for their quantity.
TEST(RequestCheckTest, EmptyFieldsAskForWhatTheyNeedWithoutRepeatingTheirName) {
  RegulatorInput input;
  input.vout = "5";
  input.vref = "1.25";
  input.statistics.temperature = "-40:85";
  input.statistics.tcr = "";
  const auto tcr = std::get<RequestError>(CheckRegulator(input, Wording::kWindow));
  EXPECT_EQ(tcr.message, "TCR needs a value in ppm/°C of 0 or more, such as 100");
  input.vout = "";
  const auto vout = std::get<RequestError>(CheckRegulator(input, Wording::kWindow));
  EXPECT_EQ(vout.message, "VOUT needs a voltage");
}

// A supply that leaves the LEDs dark, typically or at the band's low end, is refused with the
// voltages that say why; so is a request without the forward voltage or the current.
TEST(RequestCheckTest, LedRefusesASupplyBelowTheLedsNamingTheVoltages) {
  const auto refusal = [](LedInput input, Wording wording = Wording::kCommandLine) {
    const auto checked = CheckLed(input, wording);
    const RequestError* error = std::get_if<RequestError>(&checked);
    return error ? error->field + ": " + error->message : std::string("accepted");
  };
  LedInput input;
  input.vsupply = "5";
  input.vf = "2";
  input.leds = "3";
  input.current = "10m";
  EXPECT_EQ(refusal(input),
            "VSUPPLY: VSUPPLY 5 V must be above 3 × --vf 2 V = 6 V: the LEDs would not light");
  EXPECT_EQ(refusal(input, Wording::kWindow),
            "VSUPPLY: VSUPPLY 5 V must be above 3 × Forward voltage 2 V = 6 V: the LEDs would not "
            "light");
  input.leds = "2";
  input.vf = "1.9:2:2.6";
  EXPECT_EQ(refusal(input),
            "VSUPPLY: VSUPPLY at its MIN 5 V must be above 2 × --vf at its MAX 2.6 V = 5.2 V: at "
            "that end of the band the LEDs would not light");
  input.vsupply = "5.3:5.5:5.7";
  EXPECT_EQ(refusal(input), "accepted");
  const auto request = std::get<LedRequest>(CheckLed(input));
  EXPECT_EQ(request.search.target, 150);
  // Worked out in the decimals typed: 12 - 3 × 3.1 is 2.7 on the dot, 135 Ω at 20 mA.
  LedInput three = input;
  three.vsupply = "12";
  three.vf = "3.1";
  three.leds = "3";
  three.current = "20m";
  EXPECT_EQ(std::get<LedRequest>(CheckLed(three)).search.target, 135);
  input.current = "0";
  EXPECT_EQ(refusal(input), "--current: --current \"0\" must be above 0");
  input.current.reset();
  EXPECT_EQ(refusal(input, Wording::kWindow),
            "--current: Current is needed: the LEDs' current, such as 10m for 10 mA");
  input.current = "10m";
  input.vf.reset();
  EXPECT_EQ(refusal(input), "--vf: --vf is needed: the forward voltage of one LED, or MIN:TYP:MAX");
}

// The nearest miss of a band, against plain arithmetic on the legs its note names: where the
// note says parts of T % would do, the worst case of the four corners with parts of T % lies
// within the band; where it says what alone takes X %, VREF's ends over the legs taken exact
// lie X % from VOUT at the most, which is more than the band.
TEST(RequestCheckTest, NearestMissNoteAgreesWithAPlainWorstCase) {
  const double e12[] = {1, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
  std::vector<double> values;
  std::vector<std::string> names;
  for (const double decade : {100.0, 1000.0, 10000.0}) {
    for (const double mantissa : e12) {
      values.push_back(std::round(mantissa * decade));
      names.push_back(PlainDigits(values.back()));
    }
  }
  LoadedStock stock;
  stock.opened = true;
  stock.stock = networks::MakeStock(values, {});
  stock.names = names;
  std::mt19937_64 random(7);
  const auto pick = [&](double least, double most) {
    return std::uniform_real_distribution<double>(least, most)(random);
  };
  int needs = 0;
  int alone = 0;
  for (int round = 0; round < 300; ++round) {
    const double vref = random() % 2 ? 1.25 : 0.8;
    const double spread = random() % 3 == 0 ? 0 : std::round(pick(0, 3) * 10) / 10;
    const double tolerance = std::round(pick(0.1, 2) * 10) / 10;
    const double within = std::round(pick(0.2, 2) * 10) / 10;
    RegulatorInput input;
    input.vout = PlainDigits(std::round(pick(1.5, 12) * 100) / 100);
    const double low = vref * (1 - spread / 100);
    const double high = vref * (1 + spread / 100);
    input.vref = PlainDigits(low) + ":" + PlainDigits(vref) + ":" + PlainDigits(high);
    input.tolerance = "5";
    input.partTolerance = PlainDigits(tolerance);
    input.within = PlainDigits(within);
    const auto request = std::get<RegulatorRequest>(CheckRegulator(input));
    bool met = false;
    RegulatorKind::Search(request, stock, nullptr, 1, [&](const auto&) { met = true; });
    if (met) continue;
    const std::string note = NoRegulatorRowNote(stock, request);
    const auto at = note.find("Nearest: Rtop = ");
    if (at == std::string::npos) continue;
    const double target = std::stod(input.vout);
    const std::size_t topAt = at + 16;
    const double top = std::stod(note.substr(topAt));
    const double bottom = std::stod(note.substr(note.find("Rbottom = ", topAt) + 10));
    // The band's farther end in percent with parts of t percent, VREF at its ends.
    const auto worst = [&](double t) {
      const double lowest = low * (1 + top * (1 - t / 100) / (bottom * (1 + t / 100)));
      const double highest = high * (1 + top * (1 + t / 100) / (bottom * (1 - t / 100)));
      return std::max(target - lowest, highest - target) / target * 100;
    };
    SCOPED_TRACE(note);
    EXPECT_GT(worst(tolerance), within * (1 + 1e-9));
    if (const auto would = note.find("; parts of "); would != std::string::npos) {
      const double needed = std::stod(note.substr(would + 11));
      EXPECT_LE(worst(needed), within * (1 + 1e-9));
      ++needs;
    } else {
      const auto alonePos = note.find(" alone takes ");
      const auto takePos = note.find(" take ");
      ASSERT_TRUE(alonePos != std::string::npos || takePos != std::string::npos);
      const double exact =
          std::stod(note.substr(alonePos != std::string::npos ? alonePos + 13 : takePos + 6));
      EXPECT_NEAR(exact, worst(0), 0.006 * worst(0));
      EXPECT_GT(worst(0), within * (1 + 1e-9));
      ++alone;
    }
  }
  // Both sayings were checked.
  EXPECT_GT(needs, 10);
  EXPECT_GT(alone, 10);
}

}  // namespace
}  // namespace vantrel::finder
