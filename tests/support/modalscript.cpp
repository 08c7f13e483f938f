#include "tests/support/modalscript.h"

namespace lumivert {

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

void ModalScript::showMessage(const Message &message)
{
    messages.append(message);
}

std::optional<QStringList> ModalScript::chooseFiles(const FileRequest &request)
{
    fileRequests.append(request);
    if (fileAnswers.empty())
        return std::nullopt;
    const QStringList answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

void ModalScript::endProgram()
{
    ++endRequests;
}

} // namespace lumivert
