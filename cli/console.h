#pragma once

namespace lumivert::cli {

// The exit status of a run ended by Ctrl+C, as a POSIX shell reports a program ended by SIGINT.
constexpr int Interrupted = 130;

// Prepares the Windows console: output in the code page our text is encoded in (UTF-8 where the
// manifest makes it the program's), so that Japanese names print as they are; and Ctrl+C or
// Ctrl+Break only asks the run to stop after the files being written, so that no temporary file is
// left behind. Elsewhere nothing: SIGINT already removes the temporary files (see saveBytes()).
void prepareConsole();

// Whether Ctrl+C asked the run to stop.
bool interruptRequested();

// The columns of the Windows console `fd` shows, or 0 when it is no console.
int consoleColumns(int fd);

} // namespace lumivert::cli
