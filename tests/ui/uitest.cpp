#include "uitest.h"

#include "gui/globals.h"

#include <QFile>
#include <QImageWriter>

Fixture::Fixture()
{
    Module1::reset();
    form = std::make_unique<Form1>();
    form->Form_Load();
}

Fixture::~Fixture() = default;

QStringList Fixture::messageTexts() const
{
    QStringList texts;
    for (const Modal::Message &m : script.messages)
        texts << m.text;
    return texts;
}

QStringList Fixture::messageTitles() const
{
    QStringList titles;
    for (const Modal::Message &m : script.messages)
        titles << m.title;
    return titles;
}

QImage patternImage(int width, int height)
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

QString writePicture(const QString &path, const QImage &image, const char *format)
{
    QImageWriter writer(path, format);
    if (qstrcmp(format, "JPG") == 0)
        writer.setQuality(95);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(writer.errorString()));
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray binBytes(qsizetype length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = char((i * 37 + i / 320) & 0xFF);
    return bytes;
}
