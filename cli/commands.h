#pragma once

#include "cli/arguments.h"

#include <cstdio>

namespace lumivert::cli {

enum ExitStatus { AllDone = 0, SomeFailed = 1, UsageError = 2 };

// Each command prints its results on `out` and its errors on `err`, and returns the exit status.
int runConvert(const Arguments &args, std::FILE *err, bool errIsTerminal);
int runShow(const Arguments &args, std::FILE *err);
int runInfo(const Arguments &args, std::FILE *out, std::FILE *err);

// One line of `info` for a file (without the file name), or an empty string with the reason set.
struct FileInfoLine
{
    QString text;
    QString error;
};
FileInfoLine describeFile(const QString &path);

// The picture a BIN file shows, sized from its length or from `size`; an error text when neither fits.
struct RenderedBin
{
    QImage image;
    QString error;
};
RenderedBin renderBin(const QByteArray &bytes, std::optional<QSize> size);

void printUsageError(std::FILE *err, const QString &reason);

} // namespace lumivert::cli
