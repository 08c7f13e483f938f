// Saves two contents in turn over one file for ever, so that a test can kill it at any moment.
// Prints "ready" before the first save and "saved" after each, so that the test can tell a kill
// during the first save from one after it however slow the machine is.
// usage: save_victim bin|bin-unsynced|bmp|window-bin|window-bmp PATH
//   bin, bin-unsynced, bmp: the file writers themselves;
//   window-bin, window-bmp: the window's session converting and saving through its own commands,
//   its save dialog answered with PATH every time.
#include "app/session.h"
#include "core/files/savefile.h"
#include "tests/support/modalscript.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QByteArray contents[2] = {QByteArray(307200, '\x22'), QByteArray(307200, '\x33')};
    QImage pictures[2] = {QImage(640, 480, QImage::Format_RGB32), QImage(640, 480, QImage::Format_RGB32)};
    pictures[0].fill(qRgb(20, 40, 60));
    pictures[1].fill(qRgb(200, 100, 50));

    lumivert::ModalScript script;
    lumivert::Session session({&script});
    std::puts("ready");
    std::fflush(stdout);
    for (unsigned i = 0;; ++i) {
        bool failed = false;
        if (mode == "bin") {
            failed = bool(lumivert::saveBytes(path, contents[i % 2]));
        } else if (mode == "bin-unsynced") {
            failed = bool(lumivert::saveBytesUnsynced(path, contents[i % 2]));
        } else if (mode == "bmp") {
            failed = bool(lumivert::saveBmp(path, pictures[i % 2]));
        } else {
            session.setPicture(pictures[i % 2]);
            session.convertPicture();
            script.answerFile(path);
            mode == "window-bmp" ? session.exportBmp() : session.saveBin();
            failed = !script.messages.isEmpty();
        }
        if (failed)
            return 1;
        std::puts("saved");
        std::fflush(stdout);
    }
}
