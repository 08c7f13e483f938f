#pragma once

#include "core/colour/dither.h"
#include "core/formats/orientation.h"

#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumivert::cli {

enum class Command { Help, Version, Convert, Show, Info };

struct Arguments
{
    Command command = Command::Help;
    Command helpOn = Command::Help; // Help: the command whose options it tells (Help: all of them)
    QStringList inputs;
    QString output; // -o: the one output file
    QString outDir; // --out-dir
    bool recursive = false;
    int jobs = 0; // 0: one per core
    Dither dither = Dither::None;
    LightResponse light; // --gamma
    std::optional<QSize> fit;
    QRgb background = 0xFF000000;
    Placement placement;       // --fill, --enlarge, --rotate, --mirror
    std::optional<QSize> size; // show --size
    bool keepGoing = false;
    bool quiet = false;
    bool force = false; // show: replace an existing picture it was not told to write
};

// The most --jobs takes; a run uses at most four per core of these.
constexpr int MostJobs = 64;

// The parsed command line, or the reason it is not usable (exit status 2).
struct ParsedArguments
{
    std::optional<Arguments> arguments;
    QString error;
};

// Parses the arguments after the program name. Short options may be combined (-kq, -kj2), "--" ends
// the options, and "-" is an input (standard input), not an option.
ParsedArguments parseArguments(const QStringList &args);

// "640x480" and the like; none when the text is not two positive numbers joined by 'x'.
std::optional<QSize> parseSize(const QString &text);

std::optional<Dither> parseDither(const QString &text);
// "srgb" or a power from 0.1 to 5.
std::optional<LightResponse> parseGamma(const QString &text);
std::optional<Rotation> parseRotation(const QString &text);
std::optional<Mirror> parseMirror(const QString &text);

// The help of one command, or of all three for Command::Help.
QString usageText(Command command = Command::Help);
QString versionText();

} // namespace lumivert::cli
