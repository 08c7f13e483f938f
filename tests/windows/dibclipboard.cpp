// Another Windows program on the clipboard, one that speaks only the device-independent bitmap
// (CF_DIB), as Paint and most Windows programs do:
//   dibclipboard put FILE.bmp   puts the bitmap of a BMP file on the clipboard;
//   dibclipboard get FILE.bmp   writes the clipboard's bitmap as a BMP file.
// Exit status 0 when done, else 1 with the reason on standard error.
#include "core/formats/bmpfile.h"

#include <QFile>

#include <cstdio>
#include <cstring>

#include <windows.h>

namespace {

constexpr qsizetype FileHeaderSize = 14;

int fail(const char *what)
{
    std::fprintf(stderr, "dibclipboard: %s (error %lu)\n", what, ::GetLastError());
    return 1;
}

int put(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail("cannot open the BMP file");
    const QByteArray dib = file.readAll().mid(FileHeaderSize);
    if (lumivert::bmpFileFromDib(dib).isEmpty())
        return fail("not a Windows bitmap");
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, SIZE_T(dib.size()));
    if (!memory)
        return fail("out of memory");
    std::memcpy(::GlobalLock(memory), dib.constData(), size_t(dib.size()));
    ::GlobalUnlock(memory);
    if (!::OpenClipboard(nullptr)) {
        ::GlobalFree(memory);
        return fail("cannot open the clipboard");
    }
    ::EmptyClipboard();
    const bool set = ::SetClipboardData(CF_DIB, memory) != nullptr;
    ::CloseClipboard();
    return set ? 0 : fail("cannot put the bitmap on the clipboard");
}

int get(const QString &path)
{
    if (!::OpenClipboard(nullptr))
        return fail("cannot open the clipboard");
    QByteArray dib;
    if (HANDLE memory = ::GetClipboardData(CF_DIB)) {
        dib = QByteArray(static_cast<const char *>(::GlobalLock(memory)), qsizetype(::GlobalSize(memory)));
        ::GlobalUnlock(memory);
    }
    ::CloseClipboard();
    const QByteArray bitmap = lumivert::bmpFileFromDib(dib);
    if (bitmap.isEmpty())
        return fail("no bitmap on the clipboard");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bitmap) != bitmap.size() || !file.flush())
        return fail("cannot write the BMP file");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "put") == 0)
        return put(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "get") == 0)
        return get(QString::fromLocal8Bit(argv[2]));
    std::fprintf(stderr, "usage: dibclipboard put|get FILE.bmp\n");
    return 2;
}
