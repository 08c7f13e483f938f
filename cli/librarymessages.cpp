#include "cli/librarymessages.h"

#include "cli/names.h"

#include <QStringList>

#include <cstdio>

namespace lumivert::cli {

namespace {

thread_local QStringList kept;

// A damaged file can make a decoder complain once per row; a few messages tell enough.
constexpr qsizetype MostKept = 3;

void keepMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "lumivert-cli: %s\n", oneLine(message).toLocal8Bit().constData());
        return;
    }
    if (kept.size() < MostKept && !kept.contains(message))
        kept.append(message);
}

} // namespace

void installLibraryMessageHandler()
{
    qInstallMessageHandler(keepMessage);
}

QString takeLibraryMessages()
{
    QStringList said;
    for (QString message : std::as_const(kept)) {
        for (const char *prefix : {"libpng error: ", "libpng warning: ", "QImageIOHandler: "}) {
            if (message.startsWith(QLatin1String(prefix)))
                message.remove(0, qsizetype(qstrlen(prefix)));
        }
        said.append(oneLine(message));
    }
    kept.clear();
    return said.join(QLatin1String("; "));
}

} // namespace lumivert::cli
