// Loads one picture under the size limit and reports the outcome and the peak resident memory.
// usage: load_probe FILE [fit]   prints "<status> <peak KiB> <milliseconds>"; with `fit`, the picture is
// read to fit into 640 x 480 as convert --fit reads it.
#include "core/formats/pictureloader.h"

#include <QCoreApplication>

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 3)
        return 2;
    lumivert::PictureOptions options;
    if (argc == 3)
        options.fitInto = QSize(640, 480);
    QElapsedTimer clock;
    clock.start();
    const lumivert::PictureLoad load = lumivert::loadPicture(QString::fromLocal8Bit(argv[1]), options);
    const qint64 milliseconds = clock.elapsed();
    const char *status = load.status() == lumivert::PictureLoad::Loaded     ? "loaded"
                         : load.status() == lumivert::PictureLoad::TooLarge ? "too-large"
                                                                            : "unreadable";
    // The high-water mark of this program's own memory (getrusage would count the parent's too,
    // since it survives the exec).
    long peakKiB = -1;
    QFile proc(QStringLiteral("/proc/self/status"));
    if (proc.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : proc.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peakKiB = line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    std::printf("%s %ld %lld\n", status, peakKiB, static_cast<long long>(milliseconds));
    return 0;
}
