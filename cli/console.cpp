#include "cli/console.h"

#include <QtGlobal>

#include <atomic>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

namespace lumivert::cli {

namespace {

std::atomic<bool> interrupted{false};

#ifdef Q_OS_WIN
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    interrupted = true;
    return TRUE;
}
#endif

} // namespace

void prepareConsole()
{
#ifdef Q_OS_WIN
    ::SetConsoleOutputCP(::GetACP());
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#endif
}

bool interruptRequested()
{
    return interrupted.load(std::memory_order_relaxed);
}

int consoleColumns(int fd)
{
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info;
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(handle, &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    Q_UNUSED(fd);
#endif
    return 0;
}

} // namespace lumivert::cli
