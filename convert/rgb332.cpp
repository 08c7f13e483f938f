#include "convert/rgb332.h"

namespace lumivert {

const std::array<QRgb, 256> &expansionTable()
{
    static const std::array<QRgb, 256> table = [] {
        std::array<QRgb, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = expandByte(quint8(i));
        return t;
    }();
    return table;
}

void reduceRow(const QRgb *src, uchar *out, int width)
{
    for (int x = 0; x < width; ++x)
        out[x] = reducePixel(src[x]);
}

void reduceRowWithPreview(QRgb *pixels, uchar *out, int width)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        out[x] = reducePixel(p);
        pixels[x] = previewPixel(p);
    }
}

void expandRow(const uchar *in, QRgb *out, int width)
{
    const auto &table = expansionTable();
    for (int x = 0; x < width; ++x)
        out[x] = table[in[x]];
}

QImage toRgb32(const QImage &image)
{
    if (image.format() == QImage::Format_RGB32)
        return image;
    if (image.hasAlphaChannel()) {
        // Transparent parts are shown over white, as a picture viewer would show them.
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        const QImage src = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < src.height(); ++y) {
            const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
            QRgb *d = reinterpret_cast<QRgb *>(flat.scanLine(y));
            for (int x = 0; x < src.width(); ++x) {
                const QRgb p = s[x];
                const int inv = 255 - qAlpha(p);
                d[x] = qRgb(qRed(p) + inv, qGreen(p) + inv, qBlue(p) + inv);
            }
        }
        return flat;
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace lumivert
