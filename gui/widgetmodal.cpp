#include "gui/widgetmodal.h"

#include "core/dialogfilter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
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

    // The dialog leaves out typed names that its filter hides (a JPG typed beside a BMP under the BMP
    // filter), so what the user typed last is kept for the result.
    auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QString typed;
    if (field)
        QObject::connect(field, &QLineEdit::textEdited, &dialog,
                         [&typed](const QString &text) { typed = text; });

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QStringList files = dialog.selectedFiles();
    if (several && field && !typed.isEmpty() && field->text() == typed) {
        files.clear();
        for (const QString &name : typedFileNames(typed))
            files << QDir::cleanPath(dialog.directory().absoluteFilePath(name));
    }
    if (files.isEmpty())
        return std::nullopt;
    return several ? joinSelection(files) : QDir::toNativeSeparators(files.first());
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
