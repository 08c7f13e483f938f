#include "core/jpegdecoder.h"

#include "core/fitting.h"

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

} // namespace

bool fastJpegAvailable()
{
    return true;
}

std::optional<FastJpeg> decodeJpeg(const QByteArray &file)
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
    // CMYK and YCCK need a conversion of their own, which the general loader does.
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK || width <= 0 || height <= 0)
        return std::nullopt;
    FastJpeg result;
    result.size = QSize(width, height);
    if (!withinSizeLimit(width, height)) {
        result.tooLarge = true;
        return result;
    }
    // The pixels of the thread's previous picture are reused: by now the caller has let go of them,
    // and a fresh 1.2 MB block for every picture would cost more page faults than decoding saves.
    thread_local QImage pixels;
    if (pixels.size() != QSize(width, height))
        pixels = QImage(width, height, QImage::Format_RGB32);
    QImage &image = pixels;
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
    result.image = image;
    return result;
}

#else

bool fastJpegAvailable()
{
    return false;
}

std::optional<FastJpeg> decodeJpeg(const QByteArray &)
{
    return std::nullopt;
}

#endif

} // namespace lumivert
