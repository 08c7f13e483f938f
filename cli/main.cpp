#include "cli/arguments.h"
#include "cli/commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

namespace {

// Decoder chatter (libjpeg's "premature end of data" and the like) would come between the error lines;
// each failure is already reported with its reason, so only serious messages are let through.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "lumivert-cli: %s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietMessages);
    QCoreApplication app(argc, argv);

    using namespace lumivert::cli;
    const ParsedArguments parsed = parseArguments(QCoreApplication::arguments().mid(1));
    if (!parsed.arguments) {
        printUsageError(stderr, parsed.error);
        return UsageError;
    }
    const Arguments &args = *parsed.arguments;
    switch (args.command) {
    case Command::Help:
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return AllDone;
    case Command::Version:
        std::puts(versionText().toLocal8Bit().constData());
        return AllDone;
    case Command::Convert:
        return runConvert(args, stderr, isatty(STDERR_FILENO));
    case Command::Show:
        return runShow(args, stderr);
    case Command::Info:
        return runInfo(args, stdout, stderr);
    }
    return UsageError;
}
