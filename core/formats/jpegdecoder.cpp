#include "core/formats/jpegdecoder.h"

#include "core/formats/scaletofit.h"
#include "core/formats/sizelimit.h"

#include <QtMath>

#include <cstring>

#include <mutex>
#include <utility>
#include <vector>

#ifdef LUMIVERT_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace lumivert {

namespace {

// Real pictures have one scan, or about ten when progressive; libjpeg itself stops at 500.
constexpr int MostScans = 300;
// Scans times blocks: every scan passes over the whole coefficient buffer, and a file of many empty
// scans over a large picture would take seconds while staying small.
constexpr qint64 MostBlockPasses = 64 * 1024 * 1024;
constexpr qint64 CoefficientBytesPerBlock = 64 * 2;

int be16(const uchar *p)
{
    return p[0] << 8 | p[1];
}

bool isFrameMarker(int marker)
{
    // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

struct Frame
{
    int width = 0;
    int height = 0;
    qint64 blocks = 0; // 8 x 8 blocks of all components, as the decoder lays them out
};

std::optional<Frame> readFrame(const uchar *p, int length)
{
    if (length < 8)
        return std::nullopt;
    Frame frame;
    frame.height = be16(p + 3);
    frame.width = be16(p + 5);
    const int components = p[7];
    if (length < 8 + 3 * components || components == 0)
        return std::nullopt;
    int maxH = 1;
    int maxV = 1;
    for (int c = 0; c < components; ++c) {
        maxH = qMax(maxH, p[8 + 3 * c + 1] >> 4);
        maxV = qMax(maxV, p[8 + 3 * c + 1] & 0x0F);
    }
    for (int c = 0; c < components; ++c) {
        const int h = qMax(1, p[8 + 3 * c + 1] >> 4);
        const int v = qMax(1, p[8 + 3 * c + 1] & 0x0F);
        const qint64 across = (qint64(frame.width) * h + 8 * maxH - 1) / (8 * maxH);
        const qint64 down = (qint64(frame.height) * v + 8 * maxV - 1) / (8 * maxV);
        frame.blocks += across * down;
    }
    return frame;
}

JpegLayout withProblem(JpegLayout layout, const char *problem)
{
    layout.problem = Problem(Problem::Cause::Damaged, QString::fromLatin1(problem));
    return layout;
}

} // namespace

JpegLayout inspectJpeg(const QByteArray &file, qint64 maxBytes)
{
    const auto *data = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype length = file.size();
    JpegLayout layout;
    std::optional<Frame> frame;
    int scans = 0;
    qsizetype at = 2; // after the start-of-picture mark
    for (;;) {
        // Whatever lies between segments is skipped, as the decoder skips it.
        while (at < length && data[at] != 0xFF)
            ++at;
        while (at + 1 < length && data[at + 1] == 0xFF)
            ++at;
        if (at + 1 >= length)
            return withProblem(layout, "the data ends before the picture does");
        const int marker = data[at + 1];
        at += 2;
        if (marker == 0xD9)
            break;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x00)
            continue;
        if (at + 2 > length)
            return withProblem(layout, "the data ends before the picture does");
        const int segment = be16(data + at);
        if (segment < 2 || at + segment > length)
            return withProblem(layout, "the data ends before the picture does");
        if (isFrameMarker(marker) && !frame) {
            frame = readFrame(data + at, segment);
            if (frame)
                layout.size = QSize(frame->width, frame->height);
        }
        at += segment;
        if (marker != 0xDA)
            continue;
        if (++scans > MostScans)
            return withProblem(layout, "too many scans for a picture");
        // The coded data runs to the next marker other than a stuffed zero or a restart mark.
        for (;;) {
            const void *ff = std::memchr(data + at, 0xFF, size_t(length - at));
            if (!ff)
                return withProblem(layout, "the data ends before the picture does");
            at = static_cast<const uchar *>(ff) - data;
            if (at + 1 >= length)
                return withProblem(layout, "the data ends before the picture does");
            const int next = data[at + 1];
            if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                break;
            at += next == 0xFF ? 1 : 2;
        }
    }
    if (frame && scans > 1) {
        if (frame->blocks > maxBytes / CoefficientBytesPerBlock)
            return withProblem(layout, "picture of several scans too large to decode");
        if (frame->blocks * scans > MostBlockPasses)
            return withProblem(layout, "too many scans for a picture of this size");
    }
    return layout;
}

#ifdef LUMIVERT_HAVE_TURBOJPEG

namespace {

// Decoders and pixel blocks kept for the next picture, shared by all threads under a lock (not kept
// per thread: MinGW-w64 runs the destructors of thread_local objects on freed storage when a thread
// ends). A handle is used by one thread at a time.
class DecoderPool
{
public:
    DecoderPool() = default;
    DecoderPool(const DecoderPool &) = delete;
    DecoderPool &operator=(const DecoderPool &) = delete;
    ~DecoderPool()
    {
        for (const tjhandle handle : m_handles)
            tjDestroy(handle);
    }

    tjhandle takeHandle()
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_handles.empty()) {
                const tjhandle handle = m_handles.back();
                m_handles.pop_back();
                return handle;
            }
        }
        return tjInitDecompress();
    }
    void giveBack(tjhandle handle)
    {
        std::lock_guard lock(m_mutex);
        m_handles.push_back(handle);
    }

    // The pixels of an earlier picture of this size that nobody holds any more (a batch run has
    // converted it by then): a fresh 1.2 MB block for every picture would cost more page faults than
    // decoding saves.
    QImage takeImage(QSize size)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_images.begin(); it != m_images.end(); ++it) {
            if (it->size() == size && it->isDetached()) {
                QImage image = std::move(*it);
                m_images.erase(it);
                return image;
            }
        }
        return {};
    }
    void keepImage(const QImage &image)
    {
        std::lock_guard lock(m_mutex);
        if (m_images.size() >= MostImages)
            m_images.erase(m_images.begin());
        m_images.push_back(image);
    }

private:
    static constexpr std::size_t MostImages = 16;
    std::mutex m_mutex;
    std::vector<tjhandle> m_handles;
    std::vector<QImage> m_images;
};

DecoderPool &pool()
{
    static DecoderPool decoders;
    return decoders;
}

// A decoder of the pool for one picture. After a failure the library may keep the broken stream's
// state and refuse every later file ("two SOI markers"), so a handle that failed is not given back.
class Handle
{
public:
    Handle() : m_handle(pool().takeHandle()) {}
    ~Handle()
    {
        if (m_handle && m_failed)
            tjDestroy(m_handle);
        else if (m_handle)
            pool().giveBack(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    tjhandle get() const { return m_handle; }
    void failed() { m_failed = true; }

private:
    tjhandle m_handle;
    bool m_failed = false;
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
    Handle handle;
    if (!handle.get())
        return std::nullopt;
    const auto *data = reinterpret_cast<const unsigned char *>(file.constData());
    const auto length = static_cast<unsigned long>(file.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(handle.get(), data, length, &width, &height, &subsampling, &colourspace) != 0) {
        handle.failed();
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
    // Only pictures within the size limit are kept for reuse; a fitted one may be far larger.
    QImage image = pool().takeImage(QSize(width, height));
    if (image.isNull())
        image = QImage(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    // Accurate integer DCT and smooth upsampling, the library's defaults and Qt's. A warning stops the
    // decoder: it means data that ends early or is corrupt, whose missing part would come out grey.
    // BGRX in memory is 0xffRRGGBB read as a 32-bit word on a little-endian machine.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "BGRX stands for RGB32 on little-endian machines only");
    if (tjDecompress2(handle.get(), data, length, image.bits(), width, int(image.bytesPerLine()), height,
                      TJPF_BGRX, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0) {
        result.damage =
            Problem(Problem::Cause::Damaged, QString::fromLocal8Bit(tjGetErrorStr2(handle.get())));
        handle.failed();
        return result;
    }
    if (withinSizeLimit(width, height))
        pool().keepImage(image);
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
