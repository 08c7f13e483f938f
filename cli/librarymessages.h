#pragma once

#include <QString>

namespace lumivert::cli {

// Routes Qt's messages, and with them the decoders' own ("libpng error: ..."), away from the
// terminal: each thread keeps what it was told, and the line of a file that fails carries it, so
// that no foreign line comes between ours. Serious messages are printed at once, on one line.
void installLibraryMessageHandler();

// What this thread's libraries said since the last call, on one line without their prefixes; empty
// when they said nothing.
QString takeLibraryMessages();

} // namespace lumivert::cli
