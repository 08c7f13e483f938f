#pragma once

class QWidget;

// The display checks' view of the screen: colour bits per pixel and width in device pixels of the screen
// that holds `window`. Tests set fixed values instead.
namespace lumivert::ScreenInfo {

int depth(const QWidget *window);
int width(const QWidget *window);

void setOverride(int depth, int width);
void clearOverride();

} // namespace lumivert::ScreenInfo
