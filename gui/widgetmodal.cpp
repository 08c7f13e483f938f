#include "gui/widgetmodal.h"

#include "app/filedialogtext.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QTreeView>

namespace lumivert {

namespace {

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

// The file dialog's type column in Japanese: Qt's translations leave it English.
class JapaneseFileTypes : public QFileIconProvider
{
public:
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QStringLiteral("フォルダー");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("ファイル") : suffix.toUpper() + QStringLiteral(" ファイル");
    }
};

// Room for every column's values (sizes such as "225.0 KiB" and whole dates), the name taking the rest.
void widenColumns(QFileDialog &dialog)
{
    dialog.resize(dialog.sizeHint().expandedTo(QSize(720, 420)));
    if (auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (auto *places = dialog.findChild<QSplitter *>(QStringLiteral("splitter")))
        places->setSizes({150, dialog.width() - 150});
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

std::optional<QStringList> WidgetModalPresenter::chooseFiles(const FileRequest &request)
{
    QFileDialog dialog(dialogParent());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    using Option = FileDialogState::Option;
    const bool several = !request.save && request.options.testFlag(Option::AllowSeveralFiles);
    if (request.save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.options.testFlag(Option::ConfirmOverwrite));
    dialog.setNameFilters(caseInsensitiveFilters(request.nameFilters));
    JapaneseFileTypes types;
    dialog.setIconProvider(&types);
    widenColumns(dialog);

    const QFileInfo proposed(request.fileName);
    if (!request.fileName.isEmpty() && proposed.isAbsolute()) {
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    } else {
        if (!request.folder.isEmpty())
            dialog.setDirectory(request.folder);
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
    if (!several)
        files = files.mid(0, 1);
    for (QString &file : files)
        file = QDir::toNativeSeparators(file);
    return files;
}

void WidgetModalPresenter::endProgram()
{
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

void MenuPopupPresenter::popUp(QMenu *menu, const QPoint &globalPos)
{
    menu->exec(globalPos);
}

} // namespace lumivert
