#pragma once

// Pictures and files that the window and session tests make and read.

#include "core/colour/rgb332.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>

namespace lumivert::test {

// A picture whose every pixel differs from its neighbours, so misplaced pixels show.
inline QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgb((x * 7 + y * 3) & 0xFF, (x * 13 + y * 5 + 40) & 0xFF, (x * 3 + y * 11 + 90) & 0xFF));
    }
    return image;
}

// Writes `image` as a file of the given format ("BMP", "JPG", "PNG") and returns its path.
inline QString writePicture(const QString &path, const QImage &image, const char *format = "BMP")
{
    QImageWriter writer(path, format);
    if (qstrcmp(format, "JPG") == 0)
        writer.setQuality(95);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(writer.errorString()));
    return path;
}

// A picture as the bytes of a file of the given format.
inline QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("could not encode a %s test picture", format);
    return bytes;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Bytes whose values run through 0..255 in a pattern that depends on the length.
inline QByteArray binBytes(qsizetype length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = char((i * 37 + i / 320) & 0xFF);
    return bytes;
}

// The RGB332 bytes of a picture, as a conversion without preview gives them.
inline QByteArray reduced(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes(qsizetype(image.width()) * image.height(), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y)
        reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                  reinterpret_cast<uchar *>(bytes.data()) + qsizetype(y) * image.width(), image.width());
    return bytes;
}

// Whether upper bounds on time are checked. Only the entries labelled `timing` set this: a busy
// or sanitized machine makes everything slow, and the plain run must not fail for that.
inline bool timeBoundsChecked()
{
    return qEnvironmentVariableIsSet("LUMIVERT_TIMING");
}

} // namespace lumivert::test
