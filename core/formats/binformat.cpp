#include "core/formats/binformat.h"

namespace lumivert {

std::optional<QSize> binGeometry(qint64 length)
{
    if (length == SmallBinLength)
        return QSize(320, 240);
    if (length == LargeBinLength)
        return QSize(640, 480);
    return std::nullopt;
}

bool namedAsBin(const QString &path)
{
    return path.endsWith(QLatin1String("bin")) || path.endsWith(QLatin1String("BIN"));
}

QImage binToImage(const QByteArray &bytes)
{
    const auto size = binGeometry(bytes.size());
    return size ? binToImage(bytes, *size) : QImage();
}

QImage binToImage(const QByteArray &bytes, QSize size)
{
    if (qint64(size.width()) * size.height() != bytes.size())
        return {};
    QImage image(size, QImage::Format_RGB32);
    if (!image.isNull())
        paintBin(bytes, image, size.width(), size.height(), [](int) {});
    return image;
}

} // namespace lumivert
