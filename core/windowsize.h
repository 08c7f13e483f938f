#pragma once

#include <QSize>

namespace lumivert {

// The main window's outer size: a screen exactly 800 pixels wide is covered whole; any other
// measured width (0 included, when the splash screen never measured it) gets 800 x 600.
QSize mainWindowSize(int horzRes, QSize screenSize);

} // namespace lumivert
