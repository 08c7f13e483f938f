#include "core/files/windowsfiles.h"

#include <QStringView>

#ifdef Q_OS_WIN
#include <QDir>

#include <algorithm>
#include <limits>

#include <windows.h>
#else
#include <QStorageInfo>
#endif

namespace lumivert {

bool isWindowsDeviceName(const QString &path)
{
    QStringView name(path);
    name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    if (name.size() >= 2 && name.at(1) == u':') // "C:nul"
        name = name.mid(2);
    // The device's name ends at the first dot, and spaces before it do not count.
    if (const qsizetype dot = name.indexOf(u'.'); dot >= 0)
        name = name.left(dot);
    while (name.endsWith(u' '))
        name.chop(1);
    if (name.size() == 3) {
        for (const char *device : {"CON", "PRN", "AUX", "NUL"}) {
            if (name.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    if (name.size() != 4 || name.at(3) < u'1' || name.at(3) > u'9')
        return false;
    const QStringView stem = name.left(3);
    return stem.compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0 ||
           stem.compare(QLatin1String("LPT"), Qt::CaseInsensitive) == 0;
}

bool isDeviceNameHere(const QString &path)
{
#ifdef Q_OS_WIN
    return isWindowsDeviceName(path);
#else
    Q_UNUSED(path);
    return false;
#endif
}

bool isReadOnlyHere(const QString &path)
{
#ifdef Q_OS_WIN
    const DWORD attributes =
        ::GetFileAttributesW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
#else
    Q_UNUSED(path);
    return false;
#endif
}

qint64 freeBytesHere(const QString &folder)
{
#ifdef Q_OS_WIN
    // Asked of the folder itself, not of its drive's root, which Qt's QStorageInfo would ask.
    QString name = QDir::toNativeSeparators(folder);
    if (!name.endsWith(QLatin1Char('\\')))
        name += QLatin1Char('\\'); // which a UNC name needs
    ULARGE_INTEGER available;
    if (!::GetDiskFreeSpaceExW(reinterpret_cast<const wchar_t *>(name.utf16()), &available, nullptr, nullptr))
        return -1;
    return qint64(std::min<quint64>(available.QuadPart, std::numeric_limits<qint64>::max()));
#else
    const QStorageInfo volume(folder);
    return volume.isValid() ? volume.bytesAvailable() : -1;
#endif
}

#ifdef Q_OS_WIN
std::optional<FileId> windowsFileId(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')) || isWindowsDeviceName(path))
        return std::nullopt;
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    // No access asked for: a file that another program holds open still answers. A folder needs
    // FILE_FLAG_BACKUP_SEMANTICS.
    const HANDLE handle =
        ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!ok)
        return std::nullopt;
    const quint64 index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return FileId{quint64(info.dwVolumeSerialNumber), index, QString()};
}
#endif

} // namespace lumivert
