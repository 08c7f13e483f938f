#pragma once

#include <QString>

#include <cstdio>
#include <functional>
#include <shared_mutex>

namespace lumivert::cli {

// Routes Qt's messages, and with them the decoders' own ("libpng error: ..."), away from the
// terminal: each thread keeps what it was told, and the line of a file that fails carries it, so
// that no foreign line comes between ours. Serious messages are printed at once, on one line.
void installLibraryMessageHandler();

// libpng writes its errors straight to the standard error stream, past Qt. This puts a pipe in that
// stream's place, which the failed file's line empties, and returns the stream for the program's own
// messages (standard error itself when the pipe cannot be made, or under a sanitizer, whose report
// must reach the terminal).
std::FILE *catchLibraryOutput();

// Forgets what this thread's libraries said so far.
void clearLibraryMessages();

// What the libraries said since this thread last asked, on one line without their prefixes; empty
// when they said nothing.
QString takeLibraryMessages();

// Held shared by every worker while it decodes: what a decoder writes to the caught stream cannot tell
// which thread wrote it.
std::shared_mutex &decodingLock();

// What the libraries say while `decode` runs with no other decoder running, so that they are its own
// words whatever other workers do. For a picture that failed: it is read again alone.
QString libraryMessagesOfAlone(const std::function<void()> &decode);

} // namespace lumivert::cli
