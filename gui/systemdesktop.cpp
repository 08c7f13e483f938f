#include "gui/systemdesktop.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>

namespace lumivert {

const QMimeData *SystemClipboard::contents()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

bool SystemClipboard::setImage(const QImage &image)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    clipboard->setImage(image);
    return true;
}

void WaitCursor::begin()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void WaitCursor::end()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace lumivert
