#include "core/savefile.h"

#include "core/rgb332.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivert {

namespace {

void putLe16(char *p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void putLe32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

QString writeDirect(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
    file.close();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return {};
}

} // namespace

QString saveBytes(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("Is a directory");
    if (info.exists() && !info.isFile())
        return writeDirect(path, bytes);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

namespace {

// The permissions a new file gets from the process's umask, read once (reading it means setting it).
mode_t newFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString saveBytesUnsynced(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isFile()) || info.isDir())
        return saveBytes(path, bytes);

    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return systemError();
    struct stat existing;
    const mode_t mode =
        ::stat(target.constData(), &existing) == 0 ? (existing.st_mode & 07777) : newFileMode();
    QString error;
    if (::fchmod(fd, mode) != 0)
        error = systemError();
    for (qsizetype done = 0; error.isEmpty() && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? systemError() : QStringLiteral("nothing written");
        else
            done += n;
    }
    if (::close(fd) != 0 && error.isEmpty())
        error = systemError();
    if (error.isEmpty() && ::rename(temporary.constData(), target.constData()) != 0)
        error = systemError();
    if (!error.isEmpty())
        ::unlink(temporary.constData());
    return error;
}

QByteArray encodeBmp24(const QImage &source)
{
    const QImage image = toRgb32(source);
    const int width = image.width();
    const int height = image.height();
    const qsizetype rowBytes = (qsizetype(width) * 3 + 3) & ~qsizetype(3);
    const qsizetype pixelBytes = rowBytes * height;
    constexpr int headerBytes = 14 + 40;

    QByteArray out(headerBytes + pixelBytes, '\0');
    char *p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    putLe32(p + 2, quint32(out.size()));
    putLe32(p + 10, headerBytes);
    putLe32(p + 14, 40);
    putLe32(p + 18, quint32(width));
    putLe32(p + 22, quint32(height)); // bottom-up
    putLe16(p + 26, 1);
    putLe16(p + 28, 24);
    putLe32(p + 30, 0); // BI_RGB, uncompressed
    putLe32(p + 34, quint32(pixelBytes));
    putLe32(p + 38, 3780); // 96 dpi
    putLe32(p + 42, 3780);

    auto *dst = reinterpret_cast<uchar *>(p + headerBytes);
    for (int y = 0; y < height; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(height - 1 - y));
        uchar *row = dst + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uchar(qBlue(src[x]));
            row[3 * x + 1] = uchar(qGreen(src[x]));
            row[3 * x + 2] = uchar(qRed(src[x]));
        }
    }
    return out;
}

QString saveBmp(const QString &path, const QImage &image)
{
    return saveBytes(path, encodeBmp24(image));
}

} // namespace lumivert
