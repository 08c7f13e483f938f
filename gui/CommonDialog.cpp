#include "gui/CommonDialog.h"

#include "core/dialogfilter.h"
#include "gui/modal.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

bool CommonDialog::show(bool save)
{
    if (ModalScript *script = ModalScript::current()) {
        script->fileRequests.append({save, InitDir, Flags, Filter, FileName});
        if (script->fileAnswers.empty())
            return false;
        const std::optional<QString> answer = script->fileAnswers.front();
        script->fileAnswers.pop_front();
        if (!answer)
            return false;
        FileName = *answer;
        return true;
    }

    QFileDialog dialog(m_parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode((Flags & AllowMultiSelect) ? QFileDialog::ExistingFiles
                                                      : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags & OverwritePrompt));
    dialog.setNameFilters(lumivert::nameFiltersFromPairs(Filter));

    const QFileInfo proposed(FileName);
    if (!FileName.isEmpty() && proposed.isAbsolute()) {
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    } else {
        if (!InitDir.isEmpty())
            dialog.setDirectory(InitDir);
        if (!FileName.isEmpty())
            dialog.selectFile(FileName);
    }

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    if (!save && (Flags & AllowMultiSelect) && files.size() > 1) {
        QStringList names;
        for (const QString &f : files)
            names << QFileInfo(f).fileName();
        FileName = lumivert::joinSelection(QFileInfo(files.first()).absolutePath(), names);
    } else {
        FileName = QDir::toNativeSeparators(files.first());
    }
    return true;
}
