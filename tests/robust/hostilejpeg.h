#pragma once

#include <QByteArray>
#include <QtEndian>

// JPEG files made to attack a decoder, built here so that no third-party file is needed.
namespace lumivert::test {

inline QByteArray jpegSegment(uchar marker, const QByteArray &body)
{
    QByteArray segment("\xFF", 1);
    segment += char(marker);
    QByteArray length(2, '\0');
    qToBigEndian(quint16(body.size() + 2), length.data());
    return segment + length + body;
}

// A grey JPEG whose every block is flat: one Huffman code of one bit ("0") stands for "no change" in
// the DC table and for "end of block" in the AC table. The first scan codes the DC values; a
// progressive file then repeats an AC scan `scans - 1` times. `dataBytes` of zero bits follow each
// scan's header (-1: as many as the picture needs).
inline QByteArray flatJpeg(int width, int height, int scans, bool progressive, int dataBytes = -1)
{
    QByteArray frame(6, '\0');
    frame[0] = 8;
    qToBigEndian(quint16(height), frame.data() + 1);
    qToBigEndian(quint16(width), frame.data() + 3);
    frame[5] = 1;
    frame += QByteArray("\x01\x11\x00", 3);
    const QByteArray oneCode = QByteArray(1, '\x01') + QByteArray(15, '\0') + QByteArray(1, '\0');
    QByteArray file("\xFF\xD8", 2);
    file += jpegSegment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\x01'));
    file += jpegSegment(progressive ? 0xC2 : 0xC0, frame);
    file += jpegSegment(0xC4, QByteArray(1, '\x00') + oneCode);
    file += jpegSegment(0xC4, QByteArray(1, '\x10') + oneCode);
    const qint64 blocks = qint64((width + 7) / 8) * ((height + 7) / 8);
    const qint64 bitsPerBlock = progressive ? 1 : 2;
    const QByteArray data(dataBytes >= 0 ? dataBytes : (blocks * bitsPerBlock + 7) / 8, '\0');
    for (int scan = 0; scan < scans; ++scan) {
        const bool dc = progressive && scan == 0;
        QByteArray header("\x01\x01\x00", 3);
        header += char(progressive && !dc ? 1 : 0);
        header += char(dc ? 0 : 63);
        header += '\0';
        file += jpegSegment(0xDA, header) + data;
    }
    return file + QByteArray("\xFF\xD9", 2);
}

} // namespace lumivert::test
