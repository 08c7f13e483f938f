#pragma once

#include "app/modal.h"

#include <QList>
#include <QStringList>

#include <deque>

namespace lumivert {

// A presenter of modal things that shows nothing: its queued answers are given instead and what would
// have been shown is recorded, so no test ever blocks on a dialog.
class ModalScript : public ModalPresenter
{
public:
    // Answers for the file dialog, in order: the files chosen, or an empty list for cancel. With no
    // answer left, the dialog is cancelled.
    std::deque<QStringList> fileAnswers;

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    int endRequests = 0;

    void answerFile(const QString &path) { fileAnswers.push_back({path}); }
    void answerFiles(const QStringList &paths) { fileAnswers.push_back(paths); }
    void cancelFile() { fileAnswers.push_back({}); }
    QStringList messageTexts() const;
    QStringList messageTitles() const;

    void showMessage(const Message &message) override;
    std::optional<QStringList> chooseFiles(const FileRequest &request) override;
    void endProgram() override;
};

} // namespace lumivert
