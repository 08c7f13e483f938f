// Timings of what a conversion, a BIN load and a BMP export spend their time in, on one
// deterministic 640 x 480 picture. Usage: bench_convert [repetitions]  (default 300)

#include "core/colour/dither.h"
#include "core/colour/rgb332.h"
#include "core/files/savefile.h"
#include "core/formats/binformat.h"
#include "core/formats/bmpfile.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace lumivert;

namespace {

constexpr int Width = 640;
constexpr int Height = 480;
constexpr qint64 Pixels = qint64(Width) * Height;

// Fed with every result so that no measured work can be left out by the optimiser.
volatile quint32 sink = 0;

struct Row
{
    QString name;
    double medianMs = 0;
    double bestMs = 0;
    QString rate; // throughput at the median
    QString goal; // empty when there is none
    bool met = true;
};

// A picture with every kind of channel value and no long runs, the same on every run.
QImage testPicture()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    quint32 state = 0x2545F491u;
    for (int y = 0; y < Height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = 0xFF000000u | (state >> 8);
        }
    }
    return image;
}

quint32 checksum(const uchar *bytes, qsizetype length)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i < length; ++i)
        sum = sum * 31u + bytes[i];
    return sum;
}

// Runs `work` a few times to warm caches, then `repetitions` times, each timed on its own.
template <typename Work> std::pair<double, double> timeMs(int repetitions, Work work)
{
    for (int i = 0; i < 3; ++i)
        work();
    std::vector<qint64> ns;
    ns.reserve(size_t(repetitions));
    QElapsedTimer timer;
    for (int i = 0; i < repetitions; ++i) {
        timer.start();
        work();
        ns.push_back(timer.nsecsElapsed());
    }
    std::sort(ns.begin(), ns.end());
    return {double(ns[ns.size() / 2]) / 1e6, double(ns.front()) / 1e6};
}

// A row for work done once per pixel; `goal` is the rate it must reach, 0 for none.
Row perPixel(const QString &name, std::pair<double, double> ms, double goal)
{
    const double gpixels = double(Pixels) / (ms.first * 1e6);
    return Row{name,
               ms.first,
               ms.second,
               QString::number(gpixels, 'f', 2) + QStringLiteral(" Gpixel/s"),
               goal > 0 ? QStringLiteral(">= %1 Gpixel/s").arg(goal) : QString(),
               gpixels >= goal};
}

QList<Row> coreTimings(int repetitions)
{
    QList<Row> rows;
    const QImage picture = testPicture();
    QByteArray bin(Pixels, Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(bin.data());

    // The conversion in a batch run: the reduction alone.
    {
        const auto ms = timeMs(repetitions, [&] {
            for (int y = 0; y < Height; ++y)
                reduceRow(reinterpret_cast<const QRgb *>(picture.constScanLine(y)),
                          out + qsizetype(y) * Width, Width);
        });
        sink = sink + checksum(out, bin.size());
        rows << perPixel(QStringLiteral("RGB332 reduction (reduceRow)"), ms, 1.0);
    }

    // Every reduction method through the one entry the window and the command line use.
    {
        ReduceScratch scratch;
        const std::pair<const char *, Dither> methods[] = {{"none", Dither::None},
                                                           {"nearest", Dither::Nearest},
                                                           {"floyd-steinberg", Dither::FloydSteinberg},
                                                           {"ordered", Dither::Ordered}};
        for (const auto &[name, method] : methods) {
            const auto ms = timeMs(repetitions, [&] { reduceImage(picture, out, method, scratch); });
            sink = sink + checksum(out, bin.size());
            rows << perPixel(QStringLiteral("reduceImage, ") + QLatin1String(name), ms, 0);
        }
    }

    // The conversion with its preview: reduce and repaint in place. The preview keeps every channel's band,
    // so repeated passes over the painted picture do the same work as the first.
    {
        QImage shown = picture.copy();
        const auto ms = timeMs(repetitions, [&] {
            for (int y = 0; y < Height; ++y)
                reduceRowWithPreview(reinterpret_cast<QRgb *>(shown.scanLine(y)), out + qsizetype(y) * Width,
                                     Width);
        });
        sink = sink + checksum(out, bin.size()) + shown.pixel(Width - 1, Height - 1);
        rows << perPixel(QStringLiteral("reduction with preview (reduceRowWithPreview)"), ms, 1.0);
    }

    // Opening a 307200-byte BIN file: painting every byte in its shown colour.
    {
        QImage painted(Width, Height, QImage::Format_RGB32);
        int lastRow = -1;
        const auto ms =
            timeMs(repetitions, [&] { paintBin(bin, painted, Width, Height, [&](int y) { lastRow = y; }); });
        sink = sink + painted.pixel(Width / 2, Height / 2) + quint32(lastRow);
        rows << perPixel(QStringLiteral("BIN painting (paintBin, 307200 bytes)"), ms, 0);
    }

    // BMP export: encoding the shown picture as a 24-bit BMP (the file write itself not included).
    {
        QByteArray bmp;
        const auto [median, best] = timeMs(std::max(1, repetitions / 3), [&] { bmp = encodeBmp24(picture); });
        sink = sink + checksum(reinterpret_cast<const uchar *>(bmp.constData()), bmp.size());
        rows << Row{QStringLiteral("BMP encoding (encodeBmp24)"),
                    median,
                    best,
                    QString::number(double(bmp.size()) / (median * 1e3), 'f', 0) + QStringLiteral(" MB/s"),
                    {},
                    true};
    }
    return rows;
}

void printTable(const QList<Row> &rows)
{
    std::printf("%-48s %10s %10s  %-18s %s\n", "measurement (640 x 480)", "median ms", "best ms", "rate",
                "goal");
    for (const Row &row : rows) {
        const QString goal =
            row.goal.isEmpty() ? QString() : row.goal + (row.met ? QString() : QStringLiteral("  MISSED"));
        std::printf("%-48s %10.3f %10.3f  %-18s %s\n", qPrintable(row.name), row.medianMs, row.bestMs,
                    qPrintable(row.rate), qPrintable(goal));
    }
}

} // namespace

int main(int argc, char **argv)
{
    int repetitions = 300;
    if (argc > 1) {
        repetitions = std::atoi(argv[1]);
        if (repetitions < 1) {
            std::fprintf(stderr, "usage: %s [repetitions]\n", argv[0]);
            return 2;
        }
    }

    QList<Row> rows = coreTimings(repetitions);
    printTable(rows);
    std::printf("(%d repetitions; checksum %08x)\n", repetitions, unsigned(sink));
    return 0;
}
