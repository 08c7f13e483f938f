#include "core/jpegdecoder.h"

#include "core/fitting.h"
#include "core/scaletofit.h"

#include <QtMath>

#include <utility>

#ifdef LUMIVERT_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace lumivert {

#ifdef LUMIVERT_HAVE_TURBOJPEG

namespace {

// One decoder per thread: a handle must not be shared between threads.
class Handle
{
public:
    Handle() : m_handle(tjInitDecompress()) {}
    ~Handle()
    {
        if (m_handle)
            tjDestroy(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    tjhandle get() const { return m_handle; }
    // After a failure the library may keep the broken stream's state and refuse every later file
    // ("two SOI markers"), so a handle that failed is replaced.
    void renew()
    {
        if (m_handle)
            tjDestroy(m_handle);
        m_handle = tjInitDecompress();
    }

private:
    tjhandle m_handle;
};

// The size Qt's reader decodes a picture to when asked for its fitted size: the smallest of the
// scales 1/8 to 8/8 not below that size. None when TurboJPEG, which picks the largest scale within
// the size it is given, would pick another one (only for pictures a few pixels across).
std::optional<QSize> dctScaledSize(QSize picture, QSize box)
{
    const QSize fitted = fittedSize(picture, box);
    if (fitted == picture)
        return picture;
    const double factor =
        qMin(double(picture.width()) / fitted.width(), double(picture.height()) / fitted.height());
    const tjscalingfactor wanted{qBound(1, qCeil(8 / factor), 8), 8};
    const QSize scaled(TJSCALED(picture.width(), wanted), TJSCALED(picture.height(), wanted));
    int count = 0;
    const tjscalingfactor *factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (TJSCALED(picture.width(), f) <= scaled.width() &&
            TJSCALED(picture.height(), f) <= scaled.height()) {
            if (f.num * wanted.denom != wanted.num * f.denom)
                return std::nullopt;
            return scaled;
        }
    }
    return std::nullopt;
}

} // namespace

bool fastJpegAvailable()
{
    return true;
}

std::optional<FastJpeg> decodeJpeg(const QByteArray &file, std::optional<QSize> fitInto, qint64 maxBytes)
{
    if (file.size() < 4 || uchar(file[0]) != 0xFF || uchar(file[1]) != 0xD8)
        return std::nullopt;
    thread_local Handle handle;
    if (!handle.get())
        return std::nullopt;
    const auto *data = reinterpret_cast<const unsigned char *>(file.constData());
    const auto length = static_cast<unsigned long>(file.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(handle.get(), data, length, &width, &height, &subsampling, &colourspace) != 0) {
        handle.renew();
        return std::nullopt;
    }
    // CMYK and YCCK need a conversion of their own, which Qt's decoder does.
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK || width <= 0 || height <= 0)
        return std::nullopt;
    FastJpeg result;
    result.size = QSize(width, height);
    if (!fitInto && !withinSizeLimit(width, height)) {
        result.tooLarge = true;
        return result;
    }
    const std::optional<QSize> scaled = fitInto ? dctScaledSize(result.size, *fitInto) : result.size;
    if (!scaled || qint64(scaled->width()) * scaled->height() > maxBytes / 4)
        return std::nullopt;
    width = scaled->width();
    height = scaled->height();
    // The pixels of the thread's previous picture are reused once nobody holds them (a batch run has
    // converted them by then): a fresh 1.2 MB block for every picture would cost more page faults than
    // decoding saves. Only pictures within the size limit are kept; a fitted one may be far larger.
    thread_local QImage kept;
    QImage image;
    if (kept.size() == QSize(width, height) && kept.isDetached())
        image = std::move(kept);
    else
        image = QImage(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    // Flags 0: accurate integer DCT and smooth upsampling, the library's defaults and Qt's.
    // BGRX in memory is 0xffRRGGBB read as a 32-bit word on a little-endian machine.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "BGRX stands for RGB32 on little-endian machines only");
    if (tjDecompress2(handle.get(), data, length, image.bits(), width, int(image.bytesPerLine()), height,
                      TJPF_BGRX, 0) != 0) {
        handle.renew();
        return std::nullopt;
    }
    if (withinSizeLimit(width, height))
        kept = image;
    // The rest of the way smoothly, as Qt's reader goes: shrinking from the DCT's size to the box
    // instead would round the aspect differently.
    const QSize fitted = fitInto ? fittedSize(result.size, *fitInto) : result.size;
    result.image = image.size() == fitted
                       ? image
                       : image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return result;
}

#else

bool fastJpegAvailable()
{
    return false;
}

std::optional<FastJpeg> decodeJpeg(const QByteArray &, std::optional<QSize>, qint64)
{
    return std::nullopt;
}

#endif

} // namespace lumivert
