#include "uitest.h"

#include <QAction>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

using namespace lumivert;

Fixture::Fixture(int measuredScreenWidth) : window(std::make_unique<MainWindow>(measuredScreenWidth)) {}

Fixture::~Fixture() = default;

QWidget *Fixture::picture() const
{
    return window->findChild<QWidget *>(QStringLiteral("Picture1"));
}

QLabel *Fixture::label(const char *name) const
{
    return window->findChild<QLabel *>(QString::fromLatin1(name));
}

QProgressBar *Fixture::progressBar() const
{
    return window->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
}

void Fixture::trigger(const char *name) const
{
    if (auto *button = window->findChild<QToolButton *>(QString::fromLatin1(name))) {
        button->click();
        return;
    }
    auto *action = window->findChild<QAction *>(QString::fromLatin1(name));
    QVERIFY2(action, name);
    action->trigger();
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

QString writePicture(const QString &path, const QImage &image)
{
    QImageWriter writer(path, "BMP");
    if (!writer.write(image))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(writer.errorString()));
    return path;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}
