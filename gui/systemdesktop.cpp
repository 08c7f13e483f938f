#include "gui/systemdesktop.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>

#ifdef Q_OS_WIN
#include "core/formats/bmpfile.h"
#include "core/formats/pictureloader.h"

#include <algorithm>

#include <windows.h>
#endif

namespace lumivert {

namespace {

#ifdef Q_OS_WIN
// The clipboard's device-independent bitmap as a bitmap file, or nothing. No more of it is copied than
// a picture file is read.
QByteArray clipboardBitmap()
{
    if (!::IsClipboardFormatAvailable(CF_DIB) || !::OpenClipboard(nullptr))
        return {};
    QByteArray dib;
    if (HANDLE memory = ::GetClipboardData(CF_DIB)) {
        if (const void *bytes = ::GlobalLock(memory)) {
            const SIZE_T length = std::min<SIZE_T>(::GlobalSize(memory), SIZE_T(LongestPictureBytes));
            dib = QByteArray(static_cast<const char *>(bytes), qsizetype(length));
            ::GlobalUnlock(memory);
        }
    }
    ::CloseClipboard();
    return bmpFileFromDib(dib);
}
#endif

} // namespace

const QMimeData *SystemClipboard::contents()
{
#ifdef Q_OS_WIN
    // Qt reads the bitmap through OLE, which cannot always serve one that another program put there
    // (Wine's cannot); read directly, it goes through our own bitmap decoder like a dropped file.
    if (QByteArray bitmap = clipboardBitmap(); !bitmap.isEmpty()) {
        m_bitmap = std::make_unique<QMimeData>();
        m_bitmap->setData(QStringLiteral("image/bmp"), bitmap);
        return m_bitmap.get();
    }
#endif
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
