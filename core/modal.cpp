#include "core/modal.h"

#include <QStringList>

namespace lumivert {

namespace {
ModalScript *activeScript = nullptr;
ModalPresenter *activePresenter = nullptr;
} // namespace

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

QStringList ModalScript::messageTexts() const
{
    QStringList texts;
    for (const Message &m : messages)
        texts << m.text;
    return texts;
}

QStringList ModalScript::messageTitles() const
{
    QStringList titles;
    for (const Message &m : messages)
        titles << m.title;
    return titles;
}

namespace Modal {

void setPresenter(ModalPresenter *presenter)
{
    activePresenter = presenter;
}

void message(const Message &message)
{
    if (ModalScript *script = ModalScript::current()) {
        script->messages.append(message);
        return;
    }
    if (activePresenter)
        activePresenter->showMessage(message);
}

std::optional<QStringList> chooseFiles(const FileRequest &request)
{
    if (ModalScript *script = ModalScript::current()) {
        script->fileRequests.append(request);
        if (script->fileAnswers.empty())
            return std::nullopt;
        const QStringList answer = script->fileAnswers.front();
        script->fileAnswers.pop_front();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
    return activePresenter ? activePresenter->chooseFiles(request) : std::nullopt;
}

void endProgram()
{
    if (ModalScript *script = ModalScript::current()) {
        ++script->endRequests;
        return;
    }
    if (activePresenter)
        activePresenter->endProgram();
}

} // namespace Modal

} // namespace lumivert
