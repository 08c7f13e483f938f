#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/librarymessages.h"
#include "cli/names.h"
#include "cli/reporter.h"
#include "core/platform.h"

#include <QCoreApplication>

#include <cstdio>
#include <vector>

#if LUMIVERT_POSIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A standard stream closed by the caller (>&-) would be the number of the next file opened, and our
// output would go into that file. Taken by /dev/null opened the wrong way round, it makes every use
// fail instead, and the failure is reported as for any other stream.
void keepStandardStreamsTaken()
{
#if LUMIVERT_POSIX
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) == -1) {
            const int taken = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            if (taken != fd && taken >= 0)
                ::close(taken);
        }
    }
#endif
}

int run(const QStringList &arguments, std::FILE *err)
{
    using namespace lumivert::cli;
    const ParsedArguments parsed = parseArguments(arguments);
    if (!parsed.arguments) {
        printUsageError(err, parsed.error);
        return UsageError;
    }
    const Arguments &args = *parsed.arguments;
    switch (args.command) {
    case Command::Help: {
        // Held whole in the stream's buffer until closeOutput flushes it, which reports a failed write
        // with its reason; a text longer than the usual buffer would fail inside fputs and lose it.
        const QByteArray text = usageText(args.helpOn).toLocal8Bit();
        static std::vector<char> buffer;
        buffer.resize(size_t(text.size()) + 1);
        std::setvbuf(stdout, buffer.data(), _IOFBF, buffer.size());
        std::fputs(text.constData(), stdout);
        return AllDone;
    }
    case Command::Version:
        std::puts(versionText().toLocal8Bit().constData());
        return AllDone;
    case Command::Convert:
        return runConvert(args, err, isTerminal(err));
    case Command::Show:
        return runShow(args, err);
    case Command::Info:
        return runInfo(args, stdout, err);
    }
    return UsageError;
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace lumivert::cli;
    keepStandardStreamsTaken();
    prepareConsole();
    installLibraryMessageHandler();
#ifdef Q_OS_WIN
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
#else
    // Taken from argv before Qt decodes it: a name that is not UTF-8 would come back as U+FFFD.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(decodeArgument(QByteArray(argv[i])));
    QCoreApplication app(argc, argv);
#endif
    std::FILE *err = catchLibraryOutput();
    const int status = run(arguments, err);
    return closeOutput(stdout, err, interruptRequested() ? Interrupted : status);
}
