#include "calculate.h"

#include <cmath>

#include "library_file.h"
#include "match_search.h"
#include "number_text.h"

namespace vantrel {

ParameterFault CheckParameters(float target, float precision) {
  if (!(target > 0)) return ParameterFault::kTargetNotAboveZero;
  if (std::isinf(target)) return ParameterFault::kTargetBeyondFloat;
  if (precision < 0) return ParameterFault::kPrecisionNegative;
  if (std::isinf(precision)) return ParameterFault::kPrecisionBeyondFloat;
  return ParameterFault::kNone;
}

bool Calculate(std::string_view targetText, std::string_view precisionText, LibraryTable& library,
               ResultTable& results, Services& services, ReadReport* report) {
  const float target = RoundToFloat(ParseAtof(targetText));
  const float precision = RoundToFloat(ParseAtof(precisionText));
  if (CheckParameters(target, precision) != ParameterFault::kNone) {
    services.messages.Show({kParameterErrorMessage});
    return false;
  }

  // The search fills a fresh table, so a failure below leaves the shown results intact.
  ResultTable fresh;
  if (!ReadLibraryFile(services, library, report, ReadDetail::kNotes)) return false;
  NormaliseLibrary(library);
  if (SearchMatches(library.values.data(), library.count, target, precision, fresh) ==
      SearchOutcome::NoValueReachesTarget) {
    services.messages.Show({kNoValueReachesTargetMessage});
    return false;
  }
  results = fresh;
  return true;
}

}  // namespace vantrel
