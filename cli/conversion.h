#pragma once

#include "core/colour/dither.h"
#include "core/formats/orientation.h"

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

#include <optional>

namespace lumivert::cli {

struct ConversionSettings
{
    Dither dither = Dither::None;
    LightResponse light;      // what the dithers balance
    std::optional<QSize> fit; // the canvas every picture is placed on, when set
    QRgb background = 0xFF000000;
    Placement placement;      // turning, and how the picture is laid on the canvas
    QByteArray standardInput; // the picture named "-", read before the run
};

// What one worker reuses from picture to picture.
struct WorkerBuffers
{
    QByteArray bytes;
    ReduceScratch scratch;
};

// The picture as it is converted: 32-bit RGB, at most 640 x 480, or exactly the fit canvas.
struct PreparedPicture
{
    QImage image;
    QString error;
};

// The picture at `path`, or the one read from standard input when `path` is "-".
PreparedPicture preparePicture(const QString &path, const ConversionSettings &settings);

// Reduces a prepared picture into `bytes` (resized to width x height).
void reducePicture(const QImage &image, const ConversionSettings &settings, WorkerBuffers &buffers);

// Writes a BIN file atomically, creating its folder when it is missing, or to standard output when
// `output` is "-". Returns an empty string on success, else the reason.
QString writeBin(const QString &output, const QByteArray &bytes);

// Writes everything to standard output; returns an empty string on success, else the reason.
QString writeStandardOutput(const QByteArray &bytes);

// Reads standard input, refusing it past `limit` bytes (what the command can use of a file) or when it
// is a terminal or other device; an empty string on success, else the reason.
QString readStandardInput(QByteArray &bytes, qint64 limit);

} // namespace lumivert::cli
