#pragma once

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

// A broken invariant ends the run like a crash, so libFuzzer keeps the input that broke it.
[[noreturn]] inline void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

// The decoders warn about every damaged file; over millions of inputs that would bury libFuzzer's
// own report. Only critical and fatal messages are kept.
inline void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Qt finds its image plugins as it does in the program: with an application object alive. Its own
// argument list, so that Qt never sees libFuzzer's flags.
inline void startQt()
{
    if (!qEnvironmentVariableIsSet("LUMIVERT_FUZZ_VERBOSE"))
        qInstallMessageHandler(quietMessages);
    static int argc = 1;
    static char name[] = "lumivert-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = new QCoreApplication(argc, argv);
    Q_UNUSED(app);
}

} // namespace fuzz

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::fuzz::fail(#condition, __FILE__, __LINE__);                                                    \
    } while (false)
