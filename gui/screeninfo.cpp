#include "gui/screeninfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lumivert {

ScreenMeasure measureScreen(const QWidget *window)
{
    const QScreen *screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {0, 0};
    // The display's own pixels: under a scale factor the logical width is smaller than the screen. Qt
    // rounded the logical width, so under a fractional factor this may be one pixel off.
    return {screen->depth(), qRound(screen->geometry().width() * screen->devicePixelRatio())};
}

} // namespace lumivert
