#pragma once

class QWidget;

#include <functional>

// The display checks' view of the screen: colour bits per pixel and width in device pixels of the screen
// that holds `window`.
namespace lumivert::ScreenInfo {

int depth(const QWidget *window);
int width(const QWidget *window);

// Where the two come from: the screen itself unless another source is put in place (tests measure
// screens they do not have). An empty function puts the screen back.
struct Measure
{
    int depth;
    int width;
};
using Source = std::function<Measure(const QWidget *window)>;
void setSource(Source source);

} // namespace lumivert::ScreenInfo
