#include "gui/screeninfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <optional>

namespace lumivert::ScreenInfo {

namespace {

struct Fixed
{
    int depth;
    int width;
};
std::optional<Fixed> fixed;

const QScreen *screenOf(const QWidget *window)
{
    if (window && window->screen())
        return window->screen();
    return QGuiApplication::primaryScreen();
}

} // namespace

int depth(const QWidget *window)
{
    if (fixed)
        return fixed->depth;
    const QScreen *screen = screenOf(window);
    return screen ? screen->depth() : 0;
}

int width(const QWidget *window)
{
    if (fixed)
        return fixed->width;
    const QScreen *screen = screenOf(window);
    // The display's own pixels: under a scale factor the logical width is smaller than the screen. Qt
    // rounded the logical width, so under a fractional factor this may be one pixel off.
    return screen ? qRound(screen->geometry().width() * screen->devicePixelRatio()) : 0;
}

void setOverride(int depth, int width)
{
    fixed = Fixed{depth, width};
}

void clearOverride()
{
    fixed.reset();
}

} // namespace lumivert::ScreenInfo
