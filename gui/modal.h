#pragma once

#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QPoint;
class QWidget;

// Everything that would wait for the user, or end the program, goes through here. While a
// ModalScript exists nothing is shown: its queued answers are given instead and what would have
// been shown is recorded, so no test ever blocks on a dialog.
namespace Modal {

constexpr int vbOK = 1; // the answer of an OK-only message box

struct Message
{
    QString text;
    QString title;
    bool foreground = false;
};

struct FileRequest
{
    bool save = false;
    QString initDir;
    int flags = 0;
    QString filter;
    QString fileName;
};

// A message box with an OK button only and no icon; returns the button's code.
int message(QWidget *parent, const QString &text, const QString &title, bool foreground = false);

// Opens `menu` at `pos` and returns the chosen action, or null when it was closed without a choice.
QAction *popup(QMenu *menu, const QPoint &pos);

// Ends the program at once: every window closes and nothing is asked.
void endProgram();

} // namespace Modal

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
    // Object names of the popup items to choose, in order; "" or none left closes it unchosen.
    std::deque<QString> popupChoices;
    // Called as each message is shown, after it has been recorded.
    std::function<void(const Modal::Message &)> onMessage;

    QList<Modal::Message> messages;
    QList<Modal::FileRequest> fileRequests;
    int popupsOpened = 0;
    int endRequests = 0;

    void answerFile(const QString &result) { fileAnswers.emplace_back(result); }
    void cancelFile() { fileAnswers.emplace_back(std::nullopt); }
};
