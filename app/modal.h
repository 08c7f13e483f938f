#pragma once

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumivert {

// A message box with an OK button only and no icon.
struct Message
{
    QString text;
    QString title;
    bool foreground = false; // brought in front of every other window
};

// The one file dialog that every file command shares: each command sets only what it needs and finds
// the rest as the previous one left it.
struct FileDialogState
{
    enum class Option {
        ConfirmOverwrite = 0x1,
        HideReadOnly = 0x2,
        // Choosing a file does not change the program's working folder.
        KeepWorkingFolder = 0x4,
        // Opening takes several files; once set by a batch run it stays for the commands that follow.
        AllowSeveralFiles = 0x8,
    };
    Q_DECLARE_FLAGS(Options, Option)

    QString folder; // where the dialog starts
    Options options;
    QStringList nameFilters; // Qt's form, "Picture(*.BMP) (*.BMP)"; letter case is ignored when shown
    QString fileName;        // the name proposed when it is shown
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FileDialogState::Options)

// The dialog as it is shown.
struct FileRequest
{
    FileDialogState::Options options;
    QString folder;
    QStringList nameFilters;
    QString fileName;
    bool save = false;
};

// Shows modal things: everything that would wait for the user, or end the program. The window program
// gives the real one to what it makes, tests a scripted one.
class ModalPresenter
{
public:
    virtual ~ModalPresenter() = default;
    virtual void showMessage(const Message &message) = 0;
    // The full paths chosen, one unless several are allowed; none when cancelled.
    virtual std::optional<QStringList> chooseFiles(const FileRequest &request) = 0;
    // Ends the program at once: every window closes and nothing is asked.
    virtual void endProgram() = 0;
};

} // namespace lumivert
