// Any bytes as a BIN file: its geometry, the picture it shows, and the way back to the same bytes.
// Few inputs have one of the two lengths that show a picture, so each input is also tried as a
// BIN of such a length: the first byte picks the length, the rest is repeated to fill it.

#include "core/colour/rgb332.h"
#include "core/files/savefile.h"
#include "core/formats/binformat.h"
#include "core/formats/bmpfile.h"
#include "core/formats/pictureloader.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace lumivert;

namespace {

// Not a colour the display shows (each of its levels is 0 or the top of a band).
constexpr QRgb Untouched = 0xFF010203u;

QByteArray shapedBin(const uint8_t *data, size_t size)
{
    const qsizetype length = (size > 0 && (data[0] & 1)) ? LargeBinLength : SmallBinLength;
    QByteArray bytes(length, '\0');
    if (size > 1) {
        const auto pattern = qsizetype(std::min<size_t>(size - 1, size_t(length)));
        std::memcpy(bytes.data(), data + 1, size_t(pattern));
        for (qsizetype done = pattern; done < length; done *= 2)
            std::memcpy(bytes.data() + done, bytes.constData(), size_t(std::min(done, length - done)));
    }
    return bytes;
}

void checkReducesTo(const QImage &image, const QByteArray &bytes)
{
    const int width = image.width();
    QByteArray again(bytes.size(), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y)
        reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                  reinterpret_cast<uchar *>(again.data()) + qsizetype(y) * width, width);
    FUZZ_CHECK(again == bytes);
}

void checkBin(const QByteArray &bytes)
{
    const auto geometry = binGeometry(bytes.size());
    const QImage image = binToImage(bytes);
    if (!geometry) {
        FUZZ_CHECK(image.isNull());
        return;
    }
    const int width = geometry->width();
    const int height = geometry->height();
    FUZZ_CHECK(qsizetype(width) * height == bytes.size());
    FUZZ_CHECK(image.size() == *geometry);
    FUZZ_CHECK(image.format() == QImage::Format_RGB32);

    // Every shown colour lies in its own byte's band, so converting the shown picture gives the
    // file back, and its preview is the picture itself.
    checkReducesTo(image, bytes);
    QImage preview = image.copy();
    QByteArray previewBytes(bytes.size(), Qt::Uninitialized);
    for (int y = 0; y < height; ++y)
        reduceRowWithPreview(reinterpret_cast<QRgb *>(preview.scanLine(y)),
                             reinterpret_cast<uchar *>(previewBytes.data()) + qsizetype(y) * width, width);
    FUZZ_CHECK(previewBytes == bytes);
    FUZZ_CHECK(preview == image);

    // Painted into a larger picture, the BIN covers only its own rectangle, one row after another.
    QImage larger(width + 3, height + 2, QImage::Format_RGB32);
    larger.fill(Untouched);
    int nextRow = 0;
    paintBin(bytes, larger, width, height, [&nextRow](int y) {
        FUZZ_CHECK(y == nextRow);
        ++nextRow;
    });
    FUZZ_CHECK(nextRow == height);
    FUZZ_CHECK(larger.copy(0, 0, width, height) == image);
    for (int y = 0; y < larger.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(larger.constScanLine(y));
        for (int x = y < height ? width : 0; x < larger.width(); ++x)
            FUZZ_CHECK(line[x] == Untouched);
    }

    // Saved as BMP and loaded as a picture, it converts to the same BIN.
    const PictureLoad reloaded = loadPicture(encodeBmp24(image));
    FUZZ_CHECK(reloaded.loaded());
    FUZZ_CHECK(reloaded.image.size() == *geometry);
    checkReducesTo(reloaded.image, bytes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkBin(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    checkBin(shapedBin(data, size));
    return 0;
}
