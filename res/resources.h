#pragma once

#include <QIcon>

namespace vantrel {

// The application icon IDR_MAINFRAME, at 16, 32 and 48 pixels.
QIcon ApplicationIcon();

}  // namespace vantrel
