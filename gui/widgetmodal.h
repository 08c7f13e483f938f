#pragma once

#include "app/modal.h"

#include <QString>

class QMenu;
class QPoint;

namespace lumivert {

// The real message boxes and file dialogs, for the program as users run it.
class WidgetModalPresenter : public ModalPresenter
{
public:
    void showMessage(const Message &message) override;
    std::optional<QStringList> chooseFiles(const FileRequest &request) override;
    void endProgram() override;
};

// What opens a window's popup menus and carries out the item chosen; the window gets it from whoever
// makes the window.
class PopupPresenter
{
public:
    virtual ~PopupPresenter() = default;
    virtual void popUp(QMenu *menu, const QPoint &globalPos) = 0;
};

// The menu itself at that point of the screen, for the program as users run it.
class MenuPopupPresenter : public PopupPresenter
{
public:
    void popUp(QMenu *menu, const QPoint &globalPos) override;
};

} // namespace lumivert
