#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "core/colour/rgb332.h"

#include <optional>

namespace lumivert {

// A BIN file is headerless RGB332, one byte per pixel, rows from the top. Only two lengths
// have a known geometry.
constexpr qint64 SmallBinLength = 320 * 240;
constexpr qint64 LargeBinLength = 640 * 480;

std::optional<QSize> binGeometry(qint64 length);

// Whether a file is taken for a BIN file by its name alone: the name ends in "bin" or "BIN", after a dot
// or not ("cabin" too). A mixed case such as "a.Bin" is not, so such a file is read as a picture.
bool namedAsBin(const QString &path);

// Paints `bytes` into `image` (32-bit, at least width x height) row by row in their shown
// colours; `rowDone(y)` is called after each row.
template <typename RowDone>
void paintBin(const QByteArray &bytes, QImage &image, int width, int height, RowDone rowDone);

template <typename RowDone>
void paintBin(const QByteArray &bytes, QImage &image, int width, int height, RowDone rowDone)
{
    const auto *in = reinterpret_cast<const uchar *>(bytes.constData());
    for (int y = 0; y < height; ++y) {
        expandRow(in + qsizetype(y) * width, reinterpret_cast<QRgb *>(image.scanLine(y)), width);
        rowDone(y);
    }
}

// The picture a BIN file shows, or a null image when its length has no geometry.
QImage binToImage(const QByteArray &bytes);
// The same for a given geometry; null when the length is not width x height (or it cannot be held).
QImage binToImage(const QByteArray &bytes, QSize size);

} // namespace lumivert
