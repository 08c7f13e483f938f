#pragma once

#include "core/modal.h"

class QMenu;
class QPoint;

namespace lumivert {

// The real message boxes and file dialogs, for the program as users run it.
class WidgetModalPresenter : public ModalPresenter
{
public:
    void showMessage(const Message &message) override;
    std::optional<QString> chooseFile(const FileRequest &request) override;
    void endProgram() override;
};

// Opens `menu` at `globalPos` and carries out the item chosen; while a ModalScript exists, the script
// chooses instead.
void execPopupMenu(QMenu *menu, const QPoint &globalPos);

} // namespace lumivert
