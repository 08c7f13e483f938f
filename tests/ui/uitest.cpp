#include "uitest.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

using namespace lumivert;

WindowFixture::WindowFixture(int measuredScreenWidth)
    : window(std::make_unique<MainWindow>(measuredScreenWidth, script, popups))
{
}

WindowFixture::~WindowFixture() = default;

QWidget *WindowFixture::picture() const
{
    return window->findChild<QWidget *>(QStringLiteral("pictureView"));
}

QLabel *WindowFixture::label(const char *name) const
{
    return window->findChild<QLabel *>(QString::fromLatin1(name));
}

QProgressBar *WindowFixture::progressBar() const
{
    return window->findChild<QProgressBar *>(QStringLiteral("progressBar"));
}

void WindowFixture::trigger(const char *name) const
{
    if (auto *button = window->findChild<QToolButton *>(QString::fromLatin1(name))) {
        button->click();
        return;
    }
    auto *action = window->findChild<QAction *>(QString::fromLatin1(name));
    QVERIFY2(action, name);
    action->trigger();
}

namespace lumivert {

void PopupScript::popUp(QMenu *menu, const QPoint &)
{
    ++opened;
    if (choices.empty())
        return;
    const QString name = choices.front();
    choices.pop_front();
    for (QAction *action : menu->actions()) {
        if (!name.isEmpty() && action->objectName() == name) {
            action->trigger();
            return;
        }
    }
}

} // namespace lumivert

ScreenMeasurer fixedScreen(int depth, int width)
{
    return [depth, width](const QWidget *) { return ScreenMeasure{depth, width}; };
}
