// Saves two contents in turn over one file for ever, so that a test can kill it at any moment.
// usage: save_victim bin|bin-unsynced|bmp PATH
#include "files/savefile.h"

#include <QCoreApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const bool bmp = qstrcmp(argv[1], "bmp") == 0;
    const bool unsynced = qstrcmp(argv[1], "bin-unsynced") == 0;
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QByteArray contents[2] = {QByteArray(307200, '\x22'), QByteArray(307200, '\x33')};
    QImage pictures[2] = {QImage(640, 480, QImage::Format_RGB32), QImage(640, 480, QImage::Format_RGB32)};
    pictures[0].fill(qRgb(20, 40, 60));
    pictures[1].fill(qRgb(200, 100, 50));
    std::puts("ready");
    std::fflush(stdout);
    for (unsigned i = 0;; ++i) {
        const QString error = bmp        ? lumivert::saveBmp(path, pictures[i % 2])
                              : unsynced ? lumivert::saveBytesUnsynced(path, contents[i % 2])
                                         : lumivert::saveBytes(path, contents[i % 2]);
        if (!error.isEmpty())
            return 1;
    }
}
