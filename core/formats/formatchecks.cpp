#include "core/formats/formatchecks.h"

#include <QList>
#include <QString>

#include <array>
#include <set>

namespace lumivert {

namespace {

Problem damaged(const QString &how)
{
    return Problem(Problem::Cause::Damaged, how);
}

Problem endsEarly()
{
    return damaged(QStringLiteral("the data ends before the picture does"));
}

// Reads the variable-width codes of a frame's data, least significant bit first, across its
// sub-blocks.
class CodeReader
{
public:
    explicit CodeReader(QByteArray data) : m_data(std::move(data)) {}

    // -1 once the data is used up.
    int next(int width)
    {
        while (m_bits < width) {
            if (m_at >= m_data.size())
                return -1;
            m_buffer |= quint32(uchar(m_data[m_at++])) << m_bits;
            m_bits += 8;
        }
        const int code = int(m_buffer & ((1u << width) - 1));
        m_buffer >>= width;
        m_bits -= width;
        return code;
    }

private:
    QByteArray m_data;
    qsizetype m_at = 0;
    quint32 m_buffer = 0;
    int m_bits = 0;
};

// How many pixels the LZW data gives up to its end code, or a problem with the codes.
Problem checkFrameCodes(const QByteArray &codes, int minimumCodeSize, qint64 pixelsWanted)
{
    if (minimumCodeSize < 1 || minimumCodeSize > 11)
        return damaged(QStringLiteral("invalid code size %1").arg(minimumCodeSize));
    constexpr int MostCodes = 4096;
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    std::array<qint64, MostCodes> length{};
    CodeReader reader(codes);
    int width = minimumCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    qint64 pixels = 0;
    for (;;) {
        const int code = reader.next(width);
        if (code < 0)
            break; // no end code: whole only if every pixel came
        if (code == clear) {
            width = minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) {
            if (pixels != pixelsWanted)
                return damaged(QStringLiteral("the frame's data gives %1 of its %2 pixels")
                                   .arg(pixels)
                                   .arg(pixelsWanted));
            return {};
        }
        const auto lengthOf = [&](int c) { return c < clear ? qint64(1) : length[size_t(c)]; };
        qint64 got;
        if (previous < 0) {
            if (code >= clear)
                return damaged(QStringLiteral("invalid code in the frame's data"));
            got = 1;
        } else if (code < next) {
            got = lengthOf(code);
        } else if (code == next && next < MostCodes) {
            got = lengthOf(previous) + 1;
        } else {
            return damaged(QStringLiteral("invalid code in the frame's data"));
        }
        if (previous >= 0 && next < MostCodes) {
            length[size_t(next)] = lengthOf(previous) + 1;
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        pixels += got;
        if (pixels > pixelsWanted)
            return damaged(QStringLiteral("the frame's data gives more pixels than the frame has"));
        previous = code;
    }
    if (pixels < pixelsWanted)
        return damaged(
            QStringLiteral("the frame's data gives %1 of its %2 pixels").arg(pixels).arg(pixelsWanted));
    return {};
}

} // namespace

Problem gifProblem(const QByteArray &data)
{
    if (!data.startsWith("GIF87a") && !data.startsWith("GIF89a"))
        return {};
    qsizetype at = 6;
    const auto byte = [&](qsizetype i) { return i < data.size() ? int(uchar(data[i])) : -1; };
    const auto word = [&](qsizetype i) { return byte(i) | byte(i + 1) << 8; };
    if (data.size() < 13)
        return endsEarly();
    const int screenFlags = byte(10);
    at = 13;
    if (screenFlags & 0x80)
        at += 3 * (qsizetype(2) << (screenFlags & 7));
    // Sub-blocks, each its length and its bytes, up to an empty one; appended to `out` when given.
    const auto subBlocks = [&](QByteArray *out) {
        for (;;) {
            const int length = byte(at);
            if (length < 0)
                return false;
            ++at;
            if (length == 0)
                return true;
            if (at + length > data.size())
                return false;
            if (out)
                out->append(data.constData() + at, length);
            at += length;
        }
    };
    bool firstFrame = true;
    for (;;) {
        const int block = byte(at++);
        if (block < 0)
            return endsEarly();
        if (block == 0x3B)
            return {};
        if (block == 0x21) {
            if (byte(at++) < 0 || !subBlocks(nullptr))
                return endsEarly();
            continue;
        }
        if (block != 0x2C)
            return damaged(QStringLiteral("unknown block 0x%1").arg(block, 2, 16, QLatin1Char('0')));
        if (at + 9 > data.size())
            return endsEarly();
        const qint64 pixels = qint64(word(at + 4)) * word(at + 6);
        const int frameFlags = byte(at + 8);
        at += 9;
        if (frameFlags & 0x80)
            at += 3 * (qsizetype(2) << (frameFlags & 7));
        const int codeSize = byte(at++);
        if (codeSize < 0)
            return endsEarly();
        QByteArray codes;
        if (!subBlocks(firstFrame ? &codes : nullptr))
            return endsEarly();
        if (firstFrame) {
            if (Problem problem = checkFrameCodes(codes, codeSize, pixels))
                return problem;
            firstFrame = false;
        }
    }
}

Problem xpmProblem(const QByteArray &data)
{
    if (!data.left(64).contains("/* XPM */"))
        return {};
    // The quoted strings, in order, outside comments.
    QList<QByteArray> strings;
    int width = 0, height = 0, colours = 0, perPixel = 0;
    qsizetype wanted = 1;
    for (qsizetype i = data.indexOf("*/") + 2; i < data.size() && strings.size() < wanted;) {
        if (data.at(i) == '/' && i + 1 < data.size() && data.at(i + 1) == '*') {
            const qsizetype close = data.indexOf("*/", i + 2);
            if (close < 0)
                break;
            i = close + 2;
            continue;
        }
        if (data.at(i) != '"') {
            ++i;
            continue;
        }
        const qsizetype close = data.indexOf('"', i + 1);
        if (close < 0)
            break;
        strings.append(data.mid(i + 1, close - i - 1));
        i = close + 1;
        if (strings.size() == 1) {
            const QList<QByteArray> values = strings[0].simplified().split(' ');
            bool ok[4] = {};
            if (values.size() >= 4) {
                width = values[0].toInt(&ok[0]);
                height = values[1].toInt(&ok[1]);
                colours = values[2].toInt(&ok[2]);
                perPixel = values[3].toInt(&ok[3]);
            }
            if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || width <= 0 || height <= 0 || colours <= 0 ||
                perPixel <= 0 || perPixel > 8)
                return damaged(QStringLiteral("invalid XPM values"));
            // Every row takes at least its quotes in the file, so a longer claim cannot be met.
            if (qint64(height) + colours > data.size())
                return endsEarly();
            wanted = 1 + qsizetype(colours) + height;
        }
    }
    if (strings.size() < wanted)
        return endsEarly();
    std::set<QByteArray> keys;
    for (int c = 1; c <= colours; ++c) {
        if (strings[c].size() < perPixel)
            return damaged(QStringLiteral("invalid XPM colour"));
        keys.insert(strings[c].left(perPixel));
    }
    for (qsizetype r = 1 + colours; r < wanted; ++r) {
        const QByteArray &row = strings[r];
        if (row.size() != qsizetype(width) * perPixel)
            return damaged(QStringLiteral("an XPM row of the wrong length"));
        for (qsizetype x = 0; x < row.size(); x += perPixel) {
            if (!keys.count(row.mid(x, perPixel)))
                return damaged(QStringLiteral("a pixel of a colour the XPM does not define"));
        }
    }
    return {};
}

} // namespace lumivert
