// Any bytes as a picture file: loading under the size limit, then the conversion to RGB332 the
// way the window runs it (with the preview) and the way a batch run does (without); and loading
// for a fit into a small box, as the command line's --fit does.

#include "core/colour/rgb332.h"
#include "core/files/savefile.h"
#include "core/formats/binformat.h"
#include "core/formats/bmpfile.h"
#include "core/formats/pictureloader.h"
#include "core/formats/scaletofit.h"
#include "core/formats/sizelimit.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

using namespace lumivert;

namespace {

const QRgb *row(const QImage &image, int y)
{
    return reinterpret_cast<const QRgb *>(image.constScanLine(y));
}

void checkConversion(const QImage &image)
{
    const int width = image.width();
    const int height = image.height();
    QByteArray plain(qsizetype(width) * height, Qt::Uninitialized);
    QByteArray withPreview(plain.size(), Qt::Uninitialized);
    QImage preview = image.copy();
    const auto &shown = expansionTable();

    for (int y = 0; y < height; ++y) {
        auto *plainRow = reinterpret_cast<uchar *>(plain.data()) + qsizetype(y) * width;
        auto *previewRow = reinterpret_cast<uchar *>(withPreview.data()) + qsizetype(y) * width;
        reduceRow(row(image, y), plainRow, width);
        reduceRowWithPreview(reinterpret_cast<QRgb *>(preview.scanLine(y)), previewRow, width);
        // The row kernels agree with the one-pixel rules, and the preview shows exactly what the
        // display will make of the byte.
        const QRgb *source = row(image, y);
        const QRgb *painted = row(preview, y);
        for (int x = 0; x < width; ++x) {
            FUZZ_CHECK(plainRow[x] == reducePixel(source[x]));
            FUZZ_CHECK(painted[x] == previewPixel(source[x]));
            FUZZ_CHECK(painted[x] == shown[plainRow[x]]);
        }
    }
    FUZZ_CHECK(plain.size() == qsizetype(width) * height);
    FUZZ_CHECK(withPreview == plain);

    // A picture of a BIN geometry looks the same when its BIN file is opened again.
    if (const auto geometry = binGeometry(plain.size()); geometry && *geometry == image.size())
        FUZZ_CHECK(binToImage(plain) == preview);

    // Saved as BMP and loaded again, the picture keeps every colour, so it converts to the same BIN.
    const PictureLoad again = loadPicture(encodeBmp24(image));
    FUZZ_CHECK(again.loaded());
    FUZZ_CHECK(again.image.size() == image.size());
    for (int y = 0; y < height; ++y) {
        const QRgb *before = row(image, y);
        const QRgb *after = row(again.image, y);
        for (int x = 0; x < width; ++x)
            FUZZ_CHECK(qRgb(qRed(before[x]), qGreen(before[x]), qBlue(before[x])) == after[x]);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Not copied: a decoder reading past the end then runs into the sanitizer, not into a spare NUL.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const PictureLoad load = loadPicture(bytes);

    switch (load.status()) {
    case PictureLoad::Loaded:
        FUZZ_CHECK(!load.image.isNull());
        FUZZ_CHECK(load.image.format() == QImage::Format_RGB32);
        FUZZ_CHECK(load.image.depth() == 32);
        FUZZ_CHECK(withinSizeLimit(load.image.width(), load.image.height()));
        FUZZ_CHECK(load.size == load.image.size());
        checkConversion(load.image);
        break;
    case PictureLoad::TooLarge:
        FUZZ_CHECK(load.image.isNull());
        FUZZ_CHECK(load.size.width() > 0 && load.size.height() > 0);
        FUZZ_CHECK(!withinSizeLimit(load.size.width(), load.size.height()));
        break;
    case PictureLoad::Unreadable:
        FUZZ_CHECK(load.image.isNull());
        break;
    }

    // Small, so that most pictures are shrunk while decoded.
    const QSize box(16, 16);
    PictureOptions options;
    options.fitInto = box;
    const PictureLoad fitted = loadPicture(bytes, options);
    FUZZ_CHECK(fitted.status() != PictureLoad::TooLarge);
    if (fitted.loaded()) {
        FUZZ_CHECK(fitted.image.format() == QImage::Format_RGB32);
        FUZZ_CHECK(scaleToFit(fitted.image, box, qRgb(0, 0, 0)).size() == box);
    }
    // A picture that fits already is read the same either way.
    if (load.loaded() && load.size.width() <= box.width() && load.size.height() <= box.height()) {
        FUZZ_CHECK(fitted.loaded());
        FUZZ_CHECK(fitted.image == load.image);
    }
    return 0;
}
