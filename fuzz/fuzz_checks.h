#pragma once

#include <string>
#include <string_view>

// Checks shared by the fuzz targets. A broken check aborts, so libFuzzer keeps the input.
namespace vantrel::fuzz {

void Check(bool ok, const char* what);

// atof as the C runtime has it in the "C" locale, once d and D exponents are spelled e.
double ReferenceAtof(std::string_view text);

// "%.2f" or "%.3f" (decimals 2 or 3) with exact halves rounded away from zero.
std::string ReferenceFixed(double value, int decimals);

// Checks ParseAtof, ParseAtoi, RoundToFloat and FormatFixed on text against the C runtime.
void CheckNumberText(std::string_view text);

// True when text is one JSON value (RFC 8259) in valid UTF-8: no overlong forms, no
// surrogates, no code points past U+10FFFF, and no \u escape of an unpaired surrogate.
bool IsStrictJson(std::string_view text);

// Runs the fuzzer under a locale with a decimal comma when the machine has one: the
// conversions must not depend on the process locale.
void UseCommaLocale();

}  // namespace vantrel::fuzz
