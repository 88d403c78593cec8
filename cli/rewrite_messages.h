#pragma once

#include <ostream>

#include "library_rewrite.h"

namespace vantrel {

// Lines the read took otherwise than a reader may expect, one note each.
void ReportReadNotes(const ReadReport& report, std::ostream& err);

// Tells a terminal user what a rewrite dropped; blank lines are not worth mentioning.
void ReportDropped(const RewriteReport& report, std::ostream& err);

}  // namespace vantrel
