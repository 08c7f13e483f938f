#pragma once

#include <QByteArray>
#include <QString>

namespace lumivert::cli {

// A command-line argument as text. Bytes that are not UTF-8 are kept as the lone surrogates
// U+DC80..U+DCFF, so that the name can still be shown as it was typed, though no file can be opened
// by it.
QString decodeArgument(const QByteArray &raw);

// The bytes a name stands for, the kept bytes of decodeArgument included.
QByteArray nameBytes(const QString &name);

// Whether a file can be reached by this name: not when it holds bytes kept by decodeArgument.
bool isRepresentable(const QString &path);

// A name for a message, with native separators, quoted as GNU tools quote names: as it is when
// nothing in it needs quoting, in single quotes when a shell would need them, and with control
// characters and bytes that are not UTF-8 written as $'\n' or $'\351', so that a name can neither
// reach the terminal's control sequences nor forge a line of output.
QString quoteName(const QString &name);

// A library's message on one line, its control characters written as escapes.
QString oneLine(const QString &text);

} // namespace lumivert::cli
