#include "gui/modal.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>

namespace {
ModalScript *activeScript = nullptr;
}

ModalScript::ModalScript()
{
    Q_ASSERT(!activeScript);
    activeScript = this;
}

ModalScript::~ModalScript()
{
    activeScript = nullptr;
}

ModalScript *ModalScript::current()
{
    return activeScript;
}

namespace Modal {

int message(QWidget *parent, const QString &text, const QString &title, bool foreground)
{
    if (ModalScript *script = ModalScript::current()) {
        script->messages.append({text, title, foreground});
        if (script->onMessage)
            script->onMessage(script->messages.constLast());
        return vbOK;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    if (foreground) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.show();
        box.raise();
        box.activateWindow();
    }
    box.exec();
    return vbOK;
}

QAction *popup(QMenu *menu, const QPoint &pos)
{
    if (ModalScript *script = ModalScript::current()) {
        ++script->popupsOpened;
        if (script->popupChoices.empty())
            return nullptr;
        const QString name = script->popupChoices.front();
        script->popupChoices.pop_front();
        for (QAction *action : menu->actions()) {
            if (!name.isEmpty() && action->objectName() == name)
                return action;
        }
        return nullptr;
    }
    return menu->exec(pos);
}

void endProgram()
{
    if (ModalScript *script = ModalScript::current()) {
        ++script->endRequests;
        return;
    }
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

} // namespace Modal
