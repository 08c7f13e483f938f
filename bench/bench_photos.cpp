// The conversion of a folder of photographs in process, from memory: every JPEG decoded (TurboJPEG)
// and reduced with each method, without touching the disk, so that one build can be timed against
// another (the Windows build under Wine against the Debian build) without the file system's cost.
// Usage: bench_photos FOLDER [rounds]  (default 3; the best round counts)

#include "core/colour/dither.h"
#include "core/formats/pictureloader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace lumivert;

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [rounds]\n", argv[0]);
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    std::vector<QByteArray> photos;
    for (const QString &name : folder.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            photos.push_back(file.readAll());
    }
    if (photos.empty()) {
        std::fprintf(stderr, "no *.jpg in %s\n", argv[1]);
        return 1;
    }
    std::vector<uchar> out(640 * 480);
    ReduceScratch scratch;
    quint32 sink = 0;
    std::printf("%zu photographs, best of %d rounds\n", photos.size(), rounds);
    const std::pair<const char *, Dither> methods[] = {{"none", Dither::None},
                                                       {"nearest", Dither::Nearest},
                                                       {"floyd-steinberg", Dither::FloydSteinberg},
                                                       {"ordered", Dither::Ordered}};
    for (const auto &[name, method] : methods) {
        qint64 best = -1;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            for (const QByteArray &photo : photos) {
                const PictureLoad load = loadPicture(photo);
                if (load.image.isNull())
                    return 1;
                reduceImage(load.image, out.data(), method, scratch);
                sink += out[out.size() / 2];
            }
            const qint64 ns = timer.nsecsElapsed();
            best = best < 0 ? ns : std::min(best, ns);
        }
        std::printf("decode + %-16s %8.1f ms\n", name, double(best) / 1e6);
    }
    std::printf("(checksum %u)\n", unsigned(sink));
    return 0;
}
