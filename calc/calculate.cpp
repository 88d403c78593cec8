#include "calculate.h"

#include <cmath>

#include "library_file.h"
#include "match_search.h"
#include "number_text.h"

namespace vantrel {

bool Calculate(std::string_view targetText, std::string_view precisionText, LibraryTable& library,
               ResultTable& results, Services& services, ReadReport* report) {
  const float target = RoundToFloat(ParseAtof(targetText));
  const float precision = RoundToFloat(ParseAtof(precisionText));
  if (!(target > 0) || precision < 0 || std::isinf(target) || std::isinf(precision)) {
    services.messages.Show({kParameterErrorMessage});
    return false;
  }

  // The search fills a fresh table, so a failure below leaves the shown results intact.
  ResultTable fresh;
  if (!ReadLibraryFile(services, library, report)) return false;
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
