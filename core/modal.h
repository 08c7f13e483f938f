#pragma once

#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

namespace lumivert {

// A message box with an OK button only and no icon.
struct Message
{
    QString text;
    QString title;
    bool foreground = false; // brought in front of every other window
};

// The properties of the one file dialog that every file command shares: each command sets only what
// it needs and finds the rest as the previous one left it.
struct FileDialogState
{
    // Option bits.
    static constexpr int OverwritePrompt = 0x2;
    static constexpr int HideReadOnly = 0x4;
    static constexpr int NoChangeDir = 0x8;
    static constexpr int AllowMultiSelect = 0x200;
    static constexpr int Explorer = 0x80000;

    QString initDir;
    int flags = 0;
    QString filter;   // "label|pattern|label|pattern"
    QString fileName; // the chosen path; also the name proposed when shown
};

// The dialog as it is shown.
struct FileRequest : FileDialogState
{
    bool save = false;
};

// Shows modal things for real. The window program installs one at start; without one, and without a
// script, every question is cancelled and every message goes unseen.
class ModalPresenter
{
public:
    virtual ~ModalPresenter() = default;
    virtual void showMessage(const Message &message) = 0;
    // The dialog's result: a full path; with several files allowed and chosen, the folder, then a
    // NUL and a name for each file. None when cancelled.
    virtual std::optional<QString> chooseFile(const FileRequest &request) = 0;
    // Ends the program at once: every window closes and nothing is asked.
    virtual void endProgram() = 0;
};

// Everything that would wait for the user, or end the program, goes through here.
namespace Modal {

void setPresenter(ModalPresenter *presenter);
void message(const Message &message);
std::optional<QString> chooseFile(const FileRequest &request);
void endProgram();

} // namespace Modal

// While a ModalScript exists nothing is shown: its queued answers are given instead and what would
// have been shown is recorded, so no test ever blocks on a dialog.
class ModalScript
{
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript &) = delete;
    ModalScript &operator=(const ModalScript &) = delete;

    static ModalScript *current();

    // Answers for the file dialog, in order: a result as the dialog returns it, or none for cancel.
    // With no answer left, the dialog is cancelled.
    std::deque<std::optional<QString>> fileAnswers;
    // Object names of the popup menu items to choose, in order; "" or none left closes it unchosen.
    std::deque<QString> popupChoices;
    // Called as each message is shown, after it has been recorded.
    std::function<void(const Message &)> onMessage;

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    int popupsOpened = 0;
    int endRequests = 0;

    void answerFile(const QString &result) { fileAnswers.emplace_back(result); }
    void cancelFile() { fileAnswers.emplace_back(std::nullopt); }
    QStringList messageTexts() const;
    QStringList messageTitles() const;
};

} // namespace lumivert
