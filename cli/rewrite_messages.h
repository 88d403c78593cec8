#pragma once

#include <ostream>

#include "library_rewrite.h"

namespace vantrel {

// Tells a terminal user what a rewrite dropped; blank lines are not worth mentioning.
void ReportDropped(const RewriteReport& report, std::ostream& err);

}  // namespace vantrel
