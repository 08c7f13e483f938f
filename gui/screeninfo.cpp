#include "gui/screeninfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lumivert::ScreenInfo {

namespace {

Source &source()
{
    static Source measured;
    return measured;
}

const QScreen *screenOf(const QWidget *window)
{
    if (window && window->screen())
        return window->screen();
    return QGuiApplication::primaryScreen();
}

} // namespace

int depth(const QWidget *window)
{
    if (source())
        return source()(window).depth;
    const QScreen *screen = screenOf(window);
    return screen ? screen->depth() : 0;
}

int width(const QWidget *window)
{
    if (source())
        return source()(window).width;
    const QScreen *screen = screenOf(window);
    // The display's own pixels: under a scale factor the logical width is smaller than the screen. Qt
    // rounded the logical width, so under a fractional factor this may be one pixel off.
    return screen ? qRound(screen->geometry().width() * screen->devicePixelRatio()) : 0;
}

void setSource(Source measure)
{
    source() = std::move(measure);
}

} // namespace lumivert::ScreenInfo
