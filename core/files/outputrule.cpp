#include "core/files/outputrule.h"

#include "core/files/regularfile.h"
#include "core/formats/binformat.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <mutex>

namespace lumivert {

namespace {

quint32 littleEndian32(const QByteArray &bytes, qsizetype at)
{
    return bytes.size() >= at + 4 ? qFromLittleEndian<quint32>(bytes.constData() + at) : 0;
}

// The format a file's first bytes announce, and whether its last bytes close that format as a
// writer closes it (for formats without such an end, whether the announced length agrees).
struct Signature
{
    QByteArray format;
    bool endAgrees = false;
};

Signature signatureOf(const QByteArray &head, QByteArray tail, qint64 length)
{
    const auto starts = [&](QByteArrayView signature, qsizetype at = 0) {
        return head.mid(at).startsWith(signature);
    };
    if (starts("BM") && head.size() >= 6)
        return {"bmp", littleEndian32(head, 2) == quint64(length)};
    if (starts("RIFF") && starts("WEBP", 8))
        return {"webp", quint64(littleEndian32(head, 4)) + 8 == quint64(length)};
    while (tail.endsWith('\0'))
        tail.chop(1); // padding some writers leave
    if (starts("\x89PNG\r\n\x1a\n"))
        return {"png", tail.contains("IEND")};
    if (starts("\xff\xd8\xff"))
        return {"jpeg", tail.contains("\xff\xd9")};
    if (starts("GIF87a") || starts("GIF89a"))
        return {"gif", tail.endsWith('\x3B')};
    if (starts({"II*\0", 4}) || starts({"MM\0*", 4}))
        return {"tiff", false};
    if (starts("/* XPM */"))
        return {"xpm", tail.contains("}")};
    return {};
}

QString swappedCase(const QString &name)
{
    QString swapped = name;
    for (QChar &c : swapped)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return swapped;
}

// Whether names in this existing folder are compared without regard to case: the folder (or the
// nearest folder above with a letter in its name) found again under its name in the other case.
bool ignoresCase(const QString &canonicalFolder)
{
    static std::mutex mutex;
    static std::map<QString, bool> known;
    std::lock_guard lock(mutex);
    const auto it = known.find(canonicalFolder);
    if (it != known.end())
        return it->second;
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    bool result = true;
#else
    bool result = false;
#endif
    for (QString f = canonicalFolder; !QDir(f).isRoot() && !f.isEmpty(); f = QFileInfo(f).path()) {
        const QFileInfo info(f);
        const QString swapped = QDir(info.path()).filePath(swappedCase(info.fileName()));
        if (swapped != f) {
            result = sameFile(f, swapped);
            break;
        }
    }
    known.emplace(canonicalFolder, result);
    return result;
}

} // namespace

QByteArray pictureFormatOf(const QString &path)
{
    const OpenedFile opened = openRegularFile(path);
    if (!opened.ok())
        return {};
    constexpr qint64 Ends = 64;
    const qint64 length = opened.file->size();
    const QByteArray head = opened.file->read(16);
    QByteArray tail;
    if (length > Ends && opened.file->seek(length - Ends))
        tail = opened.file->read(Ends);
    else
        tail = head;
    const Signature signature = signatureOf(head, tail, length);
    if (signature.format.isEmpty()) {
        // Any other format Qt reads (PPM, XBM, ...), by the header its reader checks; a file of a
        // display's length is then a BIN file, as nothing at its end can say otherwise.
        if (binGeometry(length) || !opened.file->seek(0))
            return {};
        QImageReader reader(opened.file.get());
        reader.setDecideFormatFromContent(true);
        return reader.canRead() ? reader.format() : QByteArray();
    }
    // The program's own output of a display's size is a picture only when both ends say so.
    if (binGeometry(length) && !signature.endAgrees)
        return {};
    // A bitmap's header states its length, and any BIN file may begin with "BM".
    if (signature.format == "bmp" && !signature.endAgrees)
        return {};
    return signature.format;
}

QString outputKey(const QString &path)
{
    // The folders that do not exist yet are taken as written; the rest is resolved.
    QString existing = QFileInfo(path).absolutePath();
    QStringList missing;
    while (!QFileInfo(existing).isDir() && !QDir(existing).isRoot()) {
        missing.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    QString name = QFileInfo(path).fileName();
    if (missing.isEmpty() && ignoresCase(canonical))
        name = name.toCaseFolded();
    missing.append(name);
    return QDir::cleanPath(canonical + QLatin1Char('/') + missing.join(QLatin1Char('/')));
}

void OutputRule::protect(const QString &path)
{
    if (const auto id = fileId(path))
        m_protected.insert(*id);
}

Problem OutputRule::claim(const QString &output, Kind kind, const QString &input)
{
    if (isDanglingLink(output))
        return Problem::Cause::DanglingLink;
    const Problem::Cause what = fileKind(output);
    if (what != Problem::Cause::None && what != Problem::Cause::Missing)
        return what;
    const auto id = what == Problem::Cause::Missing ? std::nullopt : fileId(output);
    if (id && m_protected.count(*id))
        return Problem::Cause::OutputIsInput;
    if (id && kind == Kind::Bin) {
        if (const QByteArray format = pictureFormatOf(output); !format.isEmpty())
            return Problem(Problem::Cause::OutputHoldsPicture, QString::fromLatin1(format));
    }
    const auto [byKey, freshKey] = m_claimedByKey.emplace(outputKey(output), input);
    if (!freshKey)
        return Problem(Problem::Cause::OutputClaimedTwice, byKey->second);
    if (id) {
        const auto [byId, freshId] = m_claimedById.emplace(*id, input);
        if (!freshId) {
            m_claimedByKey.erase(outputKey(output));
            return Problem(Problem::Cause::OutputClaimedTwice, byId->second);
        }
    }
    return {};
}

} // namespace lumivert
