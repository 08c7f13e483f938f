#include "gui/Form1.h"

#include "gui/globals.h"
#include "gui/modal.h"
#include "core/fitting.h"
#include "core/pictureloader.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <limits>

// A file dropped on Picture1: a BIN file by its name's last three letters, else a picture.
void Form1::Picture1_OLEDragDrop(const QMimeData *dropped)
{
    bool ok = false;
    if (dropped && dropped->hasUrls()) {
        const QList<QUrl> urls = dropped->urls();
        if (urls.size() == 1 && urls.first().isLocalFile())
            ok = dropFile(QDir::toNativeSeparators(urls.first().toLocalFile()));
    }
    if (!ok) {
        Module1::MsgResult =
            qint16(Modal::message(this, QStringLiteral("画像ファイル又はBINファイルではありません。"),
                                  QStringLiteral("注意"), true));
        Picture1->removePicture();
        Picture1->Refresh();
    }
}

// False takes the drop's failure road. A failed drop leaves ConvBuf as it was.
bool Form1::dropFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > std::numeric_limits<qint32>::max())
        return false;
    const qint32 length = qint32(info.size());
    const QString caption = BaseCaption + QLatin1Char('(') + path + QLatin1Char(')');

    const QString kind = path.right(3);
    if (kind == QLatin1String("bin") || kind == QLatin1String("BIN")) {
        std::optional<QByteArray> bytes = readWhole(path, length);
        if (!bytes)
            return false;
        Module1::FileSize = length;
        ConvBuf = std::move(*bytes);
        setWindowTitle(caption);
        paintBinFromConvBuf();
    } else {
        const lumivert::PictureLoad load = lumivert::loadPicture(path);
        if (load.status == lumivert::PictureLoad::Unreadable)
            return false;
        Module1::FileSize = length;
        setWindowTitle(caption);
        if (load.status == lumivert::PictureLoad::TooLarge) {
            RejectOversizePicture();
            return true;
        }
        Picture1->setPicture(load.image);
        FitToPicture(true, true, false);
        setStatus(Status::Loaded);
        Picture1->Refresh();
        repaint();
    }

    Module1::NameLen = qint16(path.size());
    const auto base = lumivert::withoutLastFour(path);
    if (!base)
        return false;
    CommonDialog1.FileName = *base;
    return true;
}
