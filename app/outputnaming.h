#pragma once

#include "core/problem.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace lumivert {

// A picture's BIN file: its path with the last three characters replaced by "BIN"
// (a.bmp -> a.BIN, a.jpeg -> a.jBIN, photo -> phBIN). None when the path is shorter than three.
std::optional<QString> batchOutputPath(const QString &picturePath);

// Why a batch output may not be written, or no problem when it may: it must neither be the
// picture itself (by name, or an existing file that is the picture through a link or a hard link)
// nor leave the picture's folder.
Problem batchOutputProblem(const QString &picturePath, const QString &outputPath, QChar separator);

// The name the save dialogs propose after a file was opened: its path without the last four characters
// (the dot and a three-letter extension). None when the path is shorter than four characters.
std::optional<QString> proposedSaveName(const QString &openedPath);

} // namespace lumivert
