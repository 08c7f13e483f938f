#pragma once

#include "gui/Form1.h"
#include "gui/modal.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// What every window test needs: a loaded main window whose dialogs and message boxes are answered
// by a script, in a folder of its own.
struct Fixture
{
    Fixture();
    ~Fixture();

    ModalScript script;
    QTemporaryDir dir;
    std::unique_ptr<Form1> form;

    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList messageTexts() const;
    QStringList messageTitles() const;
};

// A picture whose every pixel differs from its neighbours, so misplaced pixels show.
QImage patternImage(int width, int height);
// Writes `image` as a file of the given format ("BMP", "JPG", "PNG") and returns its path.
QString writePicture(const QString &path, const QImage &image, const char *format = "BMP");
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
// Bytes whose values run through 0..255 in a pattern that depends on the length.
QByteArray binBytes(qsizetype length);
