#pragma once

#include "core/modal.h"

#include <QString>

#include <deque>

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

// While a PopupScript exists no popup menu is shown: its queued choices are taken instead, so no
// window test ever blocks on a menu.
class PopupScript
{
public:
    PopupScript();
    ~PopupScript();
    PopupScript(const PopupScript &) = delete;
    PopupScript &operator=(const PopupScript &) = delete;

    static PopupScript *current();

    // Object names of the items to choose, in order; "" or none left closes the menu unchosen.
    std::deque<QString> choices;
    int opened = 0;
};

// Opens `menu` at `globalPos` and carries out the item chosen; while a PopupScript exists, the script
// chooses instead.
void execPopupMenu(QMenu *menu, const QPoint &globalPos);

} // namespace lumivert
