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

// Flushes and closes `out` as GNU tools do at exit: a write that failed on the way (a full disk, a
// closed stream) turns `status` into SomeFailed with a message on `err`.
int closeOutput(std::FILE *out, std::FILE *err, int status);

// How many pictures a run converts at once for --jobs `requested` (0: one per core).
int workerCount(int requested, int cores);

} // namespace lumivert::cli
