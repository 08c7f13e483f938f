#pragma once

#include <functional>

class QWidget;

namespace lumivert {

// The display checks' view of the screen that holds a window: colour bits per pixel and width in device
// pixels.
struct ScreenMeasure
{
    int depth;
    int width;
};

ScreenMeasure measureScreen(const QWidget *window);

// Where a splash screen's checks measure: measureScreen() as the program runs, a screen it does not
// have in a test.
using ScreenMeasurer = std::function<ScreenMeasure(const QWidget *window)>;

} // namespace lumivert
