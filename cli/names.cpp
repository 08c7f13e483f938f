#include "cli/names.h"

#include <QDir>

#include <vector>

namespace lumivert::cli {

namespace {

// One character of a name: its bytes and its code point, or -1 for a byte that is not UTF-8.
struct Piece
{
    QByteArray bytes;
    char32_t code;
    bool valid;
};

std::vector<Piece> splitUtf8(const QByteArray &bytes)
{
    std::vector<Piece> pieces;
    const auto byte = [&](qsizetype i) { return uchar(bytes.at(i)); };
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = byte(i);
        const int length = lead < 0x80                    ? 1
                           : lead >= 0xC2 && lead <= 0xDF ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        char32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1F
                        : length == 3 ? lead & 0x0F
                                      : lead & 0x07;
        bool valid = length > 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            valid = (byte(i + k) & 0xC0) == 0x80;
            code = (code << 6) | (byte(i + k) & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
        static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (code < smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF))
            valid = false;
        if (valid) {
            pieces.push_back({bytes.mid(i, length), code, true});
            i += length;
        } else {
            pieces.push_back({bytes.mid(i, 1), char32_t(lead), false});
            ++i;
        }
    }
    return pieces;
}

bool isKeptByte(QChar c, QChar before)
{
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF && !before.isHighSurrogate();
}

// Characters that would act on the terminal or break the line, and format characters such as the
// right-to-left override, which would show a name other than the real one.
bool isUnsafe(const Piece &p)
{
    if (!p.valid)
        return true;
    const char32_t c = p.code;
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029 ||
           QChar::category(c) == QChar::Other_Format;
}

bool needsQuotes(char32_t c)
{
    // Windows' separator is no shell's special character there.
    if (c == char32_t(QDir::separator().unicode()))
        return false;
    return c < 0x80 && QByteArrayView(" !\"#$&'()*;<>?[\\]`{|}~").contains(char(c));
}

QString escaped(const QByteArray &bytes)
{
    QString out;
    for (const char b : bytes) {
        switch (b) {
        case '\a':
            out += QLatin1String("\\a");
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\v':
            out += QLatin1String("\\v");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += QStringLiteral("\\%1").arg(uint(uchar(b)), 3, 8, QLatin1Char('0'));
        }
    }
    return out;
}

QString singleQuoted(const QByteArray &bytes)
{
    return QLatin1Char('\'') + QString::fromUtf8(bytes).replace(QLatin1String("'"), QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

} // namespace

QString decodeArgument(const QByteArray &raw)
{
    QString text;
    for (const Piece &p : splitUtf8(raw)) {
        if (p.valid)
            text += QString::fromUtf8(p.bytes);
        else
            text += QChar(ushort(0xDC00 + p.code));
    }
    return text;
}

QByteArray nameBytes(const QString &name)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isKeptByte(name.at(i), i > 0 ? name.at(i - 1) : QChar())) {
            bytes += QStringView(name).mid(runStart, i - runStart).toUtf8();
            bytes += char(name.at(i).unicode() - 0xDC00);
            runStart = i + 1;
        }
    }
    return bytes + QStringView(name).mid(runStart).toUtf8();
}

bool isRepresentable(const QString &path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (isKeptByte(path.at(i), i > 0 ? path.at(i - 1) : QChar()))
            return false;
    }
    return true;
}

QString quoteName(const QString &name)
{
    const std::vector<Piece> pieces = splitUtf8(nameBytes(QDir::toNativeSeparators(name)));
    bool quote = pieces.empty();
    bool unsafe = false;
    for (const Piece &p : pieces) {
        unsafe = unsafe || isUnsafe(p);
        quote = quote || needsQuotes(p.code);
    }
    if (!unsafe) {
        QByteArray all;
        for (const Piece &p : pieces)
            all += p.bytes;
        return quote ? singleQuoted(all) : QString::fromUtf8(all);
    }
    // 'bad'$'\n''x.jpg': runs of plain characters in single quotes, the others as $'...' escapes.
    QString out;
    QByteArray run;
    bool runUnsafe = false;
    const auto flush = [&] {
        if (!run.isEmpty())
            out += runUnsafe ? QStringLiteral("$'") + escaped(run) + QLatin1Char('\'') : singleQuoted(run);
        run.clear();
    };
    for (const Piece &p : pieces) {
        if (isUnsafe(p) != runUnsafe) {
            flush();
            runUnsafe = isUnsafe(p);
        }
        run += p.bytes;
    }
    flush();
    return out;
}

QString oneLine(const QString &text)
{
    QString out;
    for (const Piece &p : splitUtf8(nameBytes(text.trimmed())))
        out += isUnsafe(p) ? escaped(p.bytes) : QString::fromUtf8(p.bytes);
    return out;
}

} // namespace lumivert::cli
