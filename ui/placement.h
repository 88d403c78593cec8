#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace vantrel {

// The title bar a window manager is assumed to add above a window before it has been framed,
// in device-independent pixels; the larger the guess, the safer the fit.
inline constexpr int kAssumedTitleBarHeight = 40;

// Where the top-left corner of a window's frame goes on a screen's available area: the window
// (its size plus the title bar above it) centred, then moved so that as much as fits is on the
// area, the title bar and the top-left corner before the rest.
QPoint CentredFramePosition(const QRect& area, const QSize& size, int titleBarHeight);

}  // namespace vantrel
