#include "app/modal.h"

namespace lumivert {

namespace {
ModalPresenter *activePresenter = nullptr;
} // namespace

namespace Modal {

void setPresenter(ModalPresenter *presenter)
{
    activePresenter = presenter;
}

ModalPresenter *presenter()
{
    return activePresenter;
}

void message(const Message &message)
{
    if (activePresenter)
        activePresenter->showMessage(message);
}

std::optional<QStringList> chooseFiles(const FileRequest &request)
{
    return activePresenter ? activePresenter->chooseFiles(request) : std::nullopt;
}

void endProgram()
{
    if (activePresenter)
        activePresenter->endProgram();
}

} // namespace Modal

} // namespace lumivert
