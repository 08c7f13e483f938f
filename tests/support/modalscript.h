#pragma once

#include "app/modal.h"

#include <QList>
#include <QStringList>

#include <deque>

namespace lumivert {

// The presenter of modal things while it exists: nothing is shown, its queued answers are given instead
// and what would have been shown is recorded, so no test ever blocks on a dialog.
class ModalScript : public ModalPresenter
{
public:
    ModalScript();
    ~ModalScript() override;
    ModalScript(const ModalScript &) = delete;
    ModalScript &operator=(const ModalScript &) = delete;

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

private:
    ModalPresenter *m_previous;
};

} // namespace lumivert
