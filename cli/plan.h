#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace lumivert::cli {

// The BIN file name for a picture's file name: the extension (after the last dot that does not begin
// the name) replaced by "BIN", or ".BIN" appended when there is none.
// a.jpg -> a.BIN, a.tar.gz.png -> a.tar.gz.BIN, photo -> photo.BIN, .profile -> .profile.BIN
QString binFileName(const QString &fileName);

// The file name with its extension replaced by `extension` in the same way.
QString withExtension(const QString &fileName, const QString &extension);

// Where a picture's BIN file goes: beside it, or under `outDir` at the picture's place relative to
// the folder it was found in (`foundIn` empty for a picture named on the command line).
QString binOutputPath(const QString &picture, const QString &foundIn, const QString &outDir);

// Whether a file in a folder counts as a picture: its extension is one Qt can decode.
bool hasPictureExtension(const QString &fileName, const QStringList &extensions);

// The pictures of a folder, sorted by path; with `recursive` those of its sub-folders too. Hidden
// files and folders are left out.
QStringList picturesInFolder(const QString &folder, bool recursive, const QStringList &extensions);

struct Conversion
{
    QString input;
    QString output;
};

struct PlanProblem
{
    QString file;
    QString reason;
};

struct ConversionPlan
{
    std::vector<Conversion> conversions;
    std::vector<PlanProblem> problems; // files that fail before converting anything, in argument order
    QString usageError;                // set when the arguments cannot work at all
};

// Turns the inputs into conversions: folders are expanded, a file named twice is converted once, and an
// input is refused when its output would replace any input of the run or the output of an earlier one.
ConversionPlan planConversions(const QStringList &inputs, const QString &output, const QString &outDir,
                               bool recursive, const QStringList &extensions);

// The extensions of every format Qt decodes here, in lower case.
QStringList readableExtensions();

} // namespace lumivert::cli
