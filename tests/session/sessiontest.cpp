#include "sessiontest.h"

#include "core/rgb332.h"

#include <QFile>
#include <QImageWriter>
#include <QMimeData>
#include <QPoint>
#include <QUrl>

using namespace lumivert;

SessionLog::SessionLog(Session &session)
{
    connect(&session, &Session::statusChanged, this, [this](const QString &text) { statuses << text; });
    connect(&session, &Session::fileShown, this, [this](const QString &path) { caption = path; });
    connect(&session, &Session::pictureFitted, this, [this](QSize area, FitRule rule) {
        const FitLayout layout = fitToPicture(area, QPoint(8, 32), rule);
        widthText = layout.widthText;
        heightText = layout.heightText;
        lastRule = rule;
    });
    connect(&session, &Session::sizeLabelsCleared, this, [this] {
        widthText.clear();
        heightText.clear();
    });
    connect(&session, &Session::progressStarted, this, [this](int maximum) {
        progressMaximum = maximum;
        progressVisible = true;
        progressValues.clear();
    });
    connect(&session, &Session::progressAdvanced, this, [this](int value) { progressValues << value; });
    connect(&session, &Session::progressFinished, this, [this] { progressVisible = false; });
    connect(&session, &Session::pictureChanged, this, [this] { ++pictureShows; });
    // Messages reach the script as the window would show them.
    connect(&session, &Session::messageRequested, this, [](const Message &m) { Modal::message(m); });
}

Fixture::Fixture() = default;

void Fixture::openPicture(const QString &answer)
{
    script.answerFile(answer);
    session.openPicture();
}

void Fixture::openBin(const QString &answer)
{
    script.answerFile(answer);
    session.openBin();
}

void Fixture::drop(const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    session.openDropped(&data);
}

void Fixture::paste()
{
    session.pastePicture();
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

QByteArray reduced(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes(qsizetype(image.width()) * image.height(), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y)
        reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                  reinterpret_cast<uchar *>(bytes.data()) + qsizetype(y) * image.width(), image.width());
    return bytes;
}
