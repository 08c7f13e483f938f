#pragma once

#include "core/problem.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace lumivert::cli {

// How a path is split into folder and name: on Windows '\\' and a drive's ':' end a folder too.
// Chosen by the caller so that both can be checked on any system.
enum class PathStyle { Unix, Windows };
#ifdef Q_OS_WIN
constexpr PathStyle NativePathStyle = PathStyle::Windows;
#else
constexpr PathStyle NativePathStyle = PathStyle::Unix;
#endif

// The BIN file name for a picture's file name: the extension (after the last dot that does not begin
// the name) replaced by "BIN", or ".BIN" appended when there is none.
// a.jpg -> a.BIN, a.tar.gz.png -> a.tar.gz.BIN, photo -> photo.BIN, .profile -> .profile.BIN
QString binFileName(const QString &fileName, PathStyle style = NativePathStyle);

// The file name with its extension replaced by `extension` in the same way.
QString withExtension(const QString &fileName, const QString &extension, PathStyle style = NativePathStyle);

// Where a picture's BIN file goes: beside it, or under `outDir` at the picture's place relative to
// the folder it was found in (`foundIn` empty for a picture named on the command line).
QString binOutputPath(const QString &picture, const QString &foundIn, const QString &outDir,
                      PathStyle style = NativePathStyle);

// Whether a file in a folder counts as a picture: its extension is one Qt can decode.
bool hasPictureExtension(const QString &fileName, const QStringList &extensions);

struct PlanProblem
{
    QString file;
    QString reason;
};

struct FolderPictures
{
    QStringList pictures;              // sorted by path
    std::vector<PlanProblem> problems; // folders that cannot be read, names that cannot be opened
};

// The pictures of a folder; with `recursive` those of its sub-folders too (not through links to
// folders). Hidden files and folders are left out; anything else that cannot be taken is a problem.
FolderPictures picturesInFolder(const QString &folder, bool recursive, const QStringList &extensions);

// Why a folder cannot be listed, in the system's words (empty when it can), and the names in it that
// are not UTF-8 (as decodeArgument keeps them), which Qt's own listing leaves out.
QString readFolder(const QString &folder, QStringList *unrepresentable);

// Why a name that is not valid UTF-8 is not opened.
QString unrepresentableName();

// Why an input's output is not written, for its error line.
QString outputRefusal(const QString &output, const Problem &problem);

// The input that stands for standard input, and an output that stands for standard output.
inline const QString StandardStream = QStringLiteral("-");

struct Conversion
{
    QString input;
    QString output;
};

struct ConversionPlan
{
    std::vector<Conversion> conversions;
    std::vector<PlanProblem> problems; // files that fail before converting anything, in argument order
    QString usageError;                // set when the arguments cannot work at all
};

// Turns the inputs into conversions: folders are expanded, a file named twice (also through links) is
// converted once while hard links to one file each get their own output, and an input is refused when
// its output would replace any input of the run, the output of an earlier one, a picture or anything
// that is not a plain file.
ConversionPlan planConversions(const QStringList &inputs, const QString &output, const QString &outDir,
                               bool recursive, const QStringList &extensions);

// The extensions of every format Qt decodes here, in lower case.
QStringList readableExtensions();

} // namespace lumivert::cli
