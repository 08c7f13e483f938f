#pragma once

#include "app/modal.h"

#include <QString>

#include <functional>

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

// Opens `menu` at `globalPos` and carries out the item chosen, through the popup shower in place.
void execPopupMenu(QMenu *menu, const QPoint &globalPos);

// What shows popup menus: the menu itself at the pointer unless another is put in place (tests choose
// items without showing anything). An empty function puts the real one back.
using PopupShower = std::function<void(QMenu *menu, const QPoint &globalPos)>;
void setPopupShower(PopupShower shower);

} // namespace lumivert
