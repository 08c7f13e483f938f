#pragma once

#include "app/comparison.h"
#include "app/desktop.h"
#include "app/modal.h"
#include "app/windowlayout.h"
#include "core/colour/dither.h"
#include "core/files/outputrule.h"
#include "core/formats/orientation.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>

#include <optional>

class QMimeData;

namespace lumivert {

struct PictureLoad;

// The working state of the program and the commands that act on it, without any widget: the picture
// the window shows, the bytes of the last conversion (or of the BIN file read last), the batch flag
// and the shared file dialog. What the window should show is reported through the signals; files are
// asked for, messages shown, the clipboard used and a long command shown busy only through the desktop
// its maker gives it.
//
// The picture and the converted bytes are separate: opening or pasting a picture changes only the
// picture. Saving a BIN file writes the converted bytes as they are after a conversion or a BIN read;
// a picture that came in since is converted first, so the file is always the picture shown.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(const Desktop &desktop, QObject *parent = nullptr);

    // What the picture box shows: the picture put in last with everything painted into it since, or
    // the empty box's background. Its size is the box's drawing area.
    const QImage &picture() const { return m_picture; }
    // The same picture as it came in, or as a BIN read drew it: without the reduced colours a
    // conversion paints over it. What a conversion reads.
    const QImage &sourcePicture() const { return m_source; }
    // How the source picture was laid out when it came in.
    const PictureLayout &sourceLayout() const { return m_sourceLayout; }
    // None until the first conversion, BIN file read or drop.
    const std::optional<QByteArray> &convertedBytes() const { return m_converted; }
    // Set by a batch run and cleared only by opening a picture: while it is set, a conversion fills
    // the bytes without painting the reduced colours back into the picture.
    bool batchMode() const { return m_batchMode; }
    const FileDialogState &fileDialog() const { return m_dialog; }

    // How a conversion reduces the picture; truncation at start. Kept only while the program runs.
    Dither reduction() const { return m_reduction; }
    void setReduction(Dither method);
    // The display size every picture that comes in is fitted to (shrunk when larger, centred on black),
    // or none: pictures over 640 x 480 are then refused. None at start.
    const std::optional<QSize> &fitSize() const { return m_fitSize; }
    void setFitSize(std::optional<QSize> size) { m_fitSize = size; }
    // How pictures that come in are turned and laid on the fit size; the plain placement at start.
    const Placement &placement() const { return m_placement; }
    void setPlacement(const Placement &placement) { m_placement = placement; }

    // Puts a picture in the box; the drawing area takes its size.
    void setPicture(const QImage &picture);

    // The commands. Each runs to its end; failures end it quietly unless a message is given.
    void openPicture();
    void openBin();
    void convertPicture();
    void saveBin();
    void exportBmp();
    void runBatch();
    void copyPicture();
    void pastePicture();
    bool openDropped(const QMimeData *data);

    static QColor background();

Q_SIGNALS:
    // picture() changed; show it now.
    void pictureChanged();
    // Lay the window out around a picture whose drawing area is `area`.
    void pictureFitted(QSize area, lumivert::FitRule rule);
    void sizeLabelsCleared();
    void statusChanged(const QString &text);
    // The caption names this file.
    void fileShown(const QString &path);
    void progressStarted(int maximum);
    void progressAdvanced(int value);
    void progressFinished();
    // sourcePicture() or reduction() changed: a view of the conversion to come is out of date.
    void conversionInputChanged();

private:
    std::optional<QStringList> askForFiles(bool save);
    std::optional<QString> askForFile(bool save);
    void rememberForSave(const QString &openedPath);
    void clearPicture(QSize area);
    void refuseOversizePicture();
    void fitAround(FitRule rule);
    void showConvertedBin();
    bool convertForBatch(const QString &file, OutputRule &outputs);
    bool dropFile(const QString &path);
    void reportSaveFailure(const QString &path, const QString &reason);
    void tell(const QString &text, const QString &title, bool foreground = false);
    PictureLoad loadIncoming(const QString &path) const;
    void recordSourceFile(const QString &path, bool bin);
    OutputRule outputRuleForSave(bool binSave) const;

    Desktop m_desktop;
    QImage m_picture;
    QImage m_source;
    // The picture shown came in (opened, pasted, dropped, taken by a batch run) after the last
    // conversion or BIN read, so the converted bytes are not its own yet.
    bool m_notConverted = false;
    PictureLayout m_sourceLayout;
    std::optional<QByteArray> m_converted;
    bool m_batchMode = false;
    FileDialogState m_dialog;
    // The file the shown picture was read from, if any, and whether it was read as a BIN file. No save
    // replaces it.
    QString m_sourcePath;
    bool m_sourceIsBin = false;
    Dither m_reduction = Dither::None;
    std::optional<QSize> m_fitSize;
    Placement m_placement;
    ReduceScratch m_scratch;
};

} // namespace lumivert
