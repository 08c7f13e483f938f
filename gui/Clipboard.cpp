#include "gui/Form1.h"

#include "core/rgb332.h"
#include "core/fitting.h"
#include "core/pictureloader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool Form1::popcopy_Click()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    clipboard->setImage(Picture1->Image());
    return true;
}

namespace {

// The clipboard's picture, read from its encoded bytes where it offers them, so that its size is
// checked before it is decoded.
lumivert::PictureLoad clipboardPicture(const QMimeData *data)
{
    if (!data)
        return {};
    if (data->hasImage()) {
        // A picture put there by this program is held as an image already.
        const QVariant held = data->imageData();
        if (held.typeId() == QMetaType::QImage) {
            const QImage image = qvariant_cast<QImage>(held);
            if (!image.isNull()) {
                lumivert::PictureLoad result;
                result.size = image.size();
                if (!lumivert::withinSizeLimit(image.width(), image.height())) {
                    result.status = lumivert::PictureLoad::TooLarge;
                } else {
                    result.status = lumivert::PictureLoad::Loaded;
                    result.image = lumivert::toRgb32(image);
                }
                return result;
            }
        }
    }
    for (const QString &format :
         {QStringLiteral("image/png"), QStringLiteral("image/bmp"), QStringLiteral("image/x-bmp")}) {
        if (!data->hasFormat(format))
            continue;
        lumivert::PictureLoad load = lumivert::loadPicture(data->data(format));
        if (load.status != lumivert::PictureLoad::Unreadable)
            return load;
    }
    return {};
}

} // namespace

bool Form1::poppaste_Click()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    const lumivert::PictureLoad load = clipboardPicture(clipboard->mimeData());
    if (load.status == lumivert::PictureLoad::Unreadable)
        return false;
    if (load.status == lumivert::PictureLoad::TooLarge) {
        RejectOversizePicture();
        return true;
    }
    Picture1->setPicture(load.image);
    FitToPicture(false, true, false);
    Picture1->Refresh();
    repaint();
    return true;
}
