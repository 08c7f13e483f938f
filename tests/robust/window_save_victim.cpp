// The main window saving BIN or BMP files over one file for ever, through its own commands, so
// that a test can kill it at any moment. Its save dialog is answered with PATH every time.
// usage: window_save_victim bin|bmp PATH
#include "app/Form1.h"
#include "app/modal.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const bool bmp = qstrcmp(argv[1], "bmp") == 0;
    const QString path = QString::fromLocal8Bit(argv[2]);

    ModalScript script;
    Form1 form;
    form.Form_Load();
    QImage pictures[2] = {QImage(640, 480, QImage::Format_RGB32), QImage(640, 480, QImage::Format_RGB32)};
    pictures[0].fill(qRgb(20, 40, 60));
    pictures[1].fill(qRgb(200, 100, 50));
    std::puts("ready");
    std::fflush(stdout);
    for (unsigned i = 0;; ++i) {
        form.Picture1->setPicture(pictures[i % 2]);
        form.mnucnv_Click();
        script.answerFile(path);
        bmp ? form.BMPSAVE() : form.BINSAVE();
        if (!script.messages.isEmpty())
            return 1;
    }
}
