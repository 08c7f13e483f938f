// Timings of the window's own commands on full-size input, offscreen: the conversion with its
// preview and progress bar, and opening a 640 x 480 BIN file with its painting, each shown by the
// real main window.
#include "app/session.h"
#include "gui/mainwindow.h"
#include "tests/support/modalscript.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

template <typename Prepare, typename Run> double bestMs(int repetitions, Prepare prepare, Run run)
{
    std::vector<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        clock.start();
        run();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumivert::ModalScript script;
    lumivert::MainWindow window(0, script);
    window.show();
    lumivert::Session &session = *window.session();

    QImage picture(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x)
            picture.setPixel(x, y, qRgb(x & 0xFF, (y * 2) & 0xFF, (x ^ y) & 0xFF));
    }
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("full.BIN"));
    QFile file(bin);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray(640 * 480, '\x5A'));
    file.close();

    const int repetitions = 200;
    const double conv = bestMs(
        repetitions, [&] { session.setPicture(picture); }, [&] { session.convertPicture(); });
    const double open = bestMs(
        repetitions, [&] { script.answerFile(bin); }, [&] { session.openBin(); });

    std::printf("%-44s %10s %8s\n", "window command (640 x 480, median)", "ms", "goal");
    std::printf("%-44s %10.3f %8s\n", "conversion with preview and progress", conv, "<= 10");
    std::printf("%-44s %10.3f %8s\n", "BIN open: read and paint of 307200 bytes", open, "<= 10");
    return 0;
}
