#include "gui/widgetmodal.h"

#include "core/dialogfilter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace lumivert {

namespace {

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

} // namespace

void WidgetModalPresenter::showMessage(const Message &message)
{
    QMessageBox box(QMessageBox::NoIcon, message.title, message.text, QMessageBox::Ok, dialogParent());
    if (message.foreground) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.show();
        box.raise();
        box.activateWindow();
    }
    box.exec();
}

std::optional<QString> WidgetModalPresenter::chooseFile(const FileRequest &request)
{
    QFileDialog dialog(dialogParent());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool several = !request.save && (request.flags & FileDialogState::AllowMultiSelect);
    if (request.save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & FileDialogState::OverwritePrompt));
    dialog.setNameFilters(nameFiltersFromPairs(request.filter));

    const QFileInfo proposed(request.fileName);
    if (!request.fileName.isEmpty() && proposed.isAbsolute()) {
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    } else {
        if (!request.initDir.isEmpty())
            dialog.setDirectory(request.initDir);
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);
    }

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    if (several && files.size() > 1) {
        QStringList names;
        for (const QString &f : files)
            names << QFileInfo(f).fileName();
        return joinSelection(QFileInfo(files.first()).absolutePath(), names);
    }
    return QDir::toNativeSeparators(files.first());
}

void WidgetModalPresenter::endProgram()
{
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

void execPopupMenu(QMenu *menu, const QPoint &globalPos)
{
    if (ModalScript *script = ModalScript::current()) {
        ++script->popupsOpened;
        if (script->popupChoices.empty())
            return;
        const QString name = script->popupChoices.front();
        script->popupChoices.pop_front();
        for (QAction *action : menu->actions()) {
            if (!name.isEmpty() && action->objectName() == name) {
                action->trigger();
                return;
            }
        }
        return;
    }
    menu->exec(globalPos);
}

} // namespace lumivert
