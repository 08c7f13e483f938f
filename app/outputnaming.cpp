#include "app/outputnaming.h"

#include "core/files/fileidentity.h"

namespace lumivert {

std::optional<QString> batchOutputPath(const QString &picturePath)
{
    if (picturePath.size() < 3)
        return std::nullopt;
    return picturePath.left(picturePath.size() - 3) + QStringLiteral("BIN");
}

Problem batchOutputProblem(const QString &picturePath, const QString &outputPath, QChar separator)
{
    // By identity too: the BIN bytes would go through a link into the picture, and a second name of
    // it (a hard link, another letter case) is the picture all the same.
    if (outputPath == picturePath || sameFile(outputPath, picturePath))
        return Problem::Cause::OutputIsPicture;
    const auto folderOf = [separator](const QString &path) {
        return path.left(path.lastIndexOf(separator) + 1);
    };
    if (folderOf(outputPath) != folderOf(picturePath))
        return Problem::Cause::OutputLeavesFolder;
    return {};
}

std::optional<QString> proposedSaveName(const QString &openedPath)
{
    if (openedPath.size() < 4)
        return std::nullopt;
    return openedPath.chopped(4);
}

} // namespace lumivert
