#include "app/japanesereasons.h"
#include "core/files/savefile.h"
#include "core/formats/bmpfile.h"
#include "tests/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

Q_DECLARE_METATYPE(lumivert::Problem::Cause)

using namespace lumivert;
using namespace lumivert::test;

namespace {

QByteArray countingBytes(qsizetype length, int start = 0)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = char((start + i) & 0xFF);
    return bytes;
}

QImage plain(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    return image;
}

quint32 le32(const QByteArray &bytes, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uchar(bytes.at(at + i));
    return v;
}

#ifdef Q_OS_LINUX
bool isCharacterDevice(const char *path)
{
    struct stat st
    {
    };
    return ::stat(path, &st) == 0 && S_ISCHR(st.st_mode);
}

// Makes writes past `limit` bytes fail (EFBIG) until destroyed, as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = limit;
        m_active = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
#endif

} // namespace

class TestSaveFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesBytes_data();
    void writesBytes();
    void replacesLongerFileWhole();
    void unsyncedKeepsModeAndFollowsLinks();
    void missingFolderKeepsNothing();
    void refusedOnWindowsKeepsFile_data();
    void refusedOnWindowsKeepsFile();
    void directoryIsRefused();
    void fullDeviceFailsAndStaysADevice();
    void failedSaveKeepsOldFile();
    void failureReasons_data();
    void failureReasons();
    void encodeBmp24RoundTrip_data();
    void encodeBmp24RoundTrip();
    void encodeBmp24Header();
    void saveBmpWritesWhatItEncodes();
};

void TestSaveFile::writesBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("small BIN") << QStringLiteral("a.BIN") << countingBytes(76800);
    QTest::newRow("large BIN") << QStringLiteral("b.BIN") << countingBytes(307200, 3);
    QTest::newRow("no extension") << QStringLiteral("picture") << countingBytes(1000);
    QTest::newRow("empty buffer") << QStringLiteral("empty.BIN") << QByteArray();
    QTest::newRow("non-ASCII name") << QStringLiteral("画像 1.BIN") << countingBytes(10);
}

void TestSaveFile::writesBytes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    for (const auto save : {&saveBytes, &saveBytesUnsynced}) {
        writeFile(path, QByteArray(400000, 'x'));
        QVERIFY(!save(path, bytes));
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(readFile(path), bytes);
        // Nothing but the file itself is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }
}

void TestSaveFile::unsyncedKeepsModeAndFollowsLinks()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX permissions and symbolic links");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.BIN"));
    writeFile(path, QByteArray(10, 'o'));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(!saveBytesUnsynced(path, countingBytes(20)));
    QCOMPARE(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    // A link is written through, and stays a link.
    const QString link = dir.filePath(QStringLiteral("link.BIN"));
    QVERIFY(QFile::link(path, link));
    QVERIFY(!saveBytesUnsynced(link, countingBytes(30)));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(path), countingBytes(30));

    QVERIFY(saveBytesUnsynced(dir.filePath(QStringLiteral("missing/a.BIN")), countingBytes(5)));
    QVERIFY(saveBytesUnsynced(dir.path(), countingBytes(5)));
}

void TestSaveFile::replacesLongerFileWhole()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.BIN"));
    writeFile(path, QByteArray(307200, '\xFF'));

    const QByteArray shorter = countingBytes(76800, 1);
    QVERIFY(!saveBytes(path, shorter));
    QCOMPARE(QFileInfo(path).size(), qint64(76800));
    QCOMPARE(readFile(path), shorter);
}

// Windows refuses to replace a read-only file, and a file that another program holds open without
// letting it go: the save says why, the file stays as it was and no temporary file is left beside it.
void TestSaveFile::refusedOnWindowsKeepsFile_data()
{
    QTest::addColumn<bool>("heldOpen");
    QTest::addColumn<Problem::Cause>("cause");
    QTest::addColumn<QString>("detail"); // empty: any words of the system's
    QTest::newRow("read-only") << false << Problem::Cause::NoPermission << "Permission denied";
    QTest::newRow("held open by another program") << true << Problem::Cause::WriteFailed << QString();
}

void TestSaveFile::refusedOnWindowsKeepsFile()
{
#ifndef Q_OS_WIN
    QSKIP("Windows' read-only attribute and sharing modes");
#else
    QFETCH(bool, heldOpen);
    QFETCH(Problem::Cause, cause);
    QFETCH(QString, detail);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.BIN"));
    writeFile(path, QByteArray(10, 'o'));
    HANDLE held = INVALID_HANDLE_VALUE;
    if (heldOpen)
        held = ::CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ,
                             FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    else
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser));
    const auto restore = qScopeGuard([&] {
        if (held != INVALID_HANDLE_VALUE)
            ::CloseHandle(held);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    });
    QVERIFY(!heldOpen || held != INVALID_HANDLE_VALUE);

    const Problem problem = saveBytes(path, countingBytes(20));
    QCOMPARE(problem.cause, cause);
    QVERIFY2(!problem.detail.isEmpty(), "the system's words say why");
    if (!detail.isEmpty())
        QCOMPARE(problem.detail, detail);
    QCOMPARE(readFile(path), QByteArray(10, 'o'));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.BIN")});
#endif
}

void TestSaveFile::missingFolderKeepsNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("missing"));
    const QString path = folder + QStringLiteral("/a.BIN");

    QVERIFY(saveBytes(path, countingBytes(100)));
    QVERIFY(saveBmp(folder + QStringLiteral("/a.BMP"), plain(2, 2)));
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestSaveFile::directoryIsRefused()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("a.BIN"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(saveBytes(folder, countingBytes(10)));
    QVERIFY(QFileInfo(folder).isDir());
}

void TestSaveFile::fullDeviceFailsAndStaysADevice()
{
#ifdef Q_OS_LINUX
    if (!isCharacterDevice("/dev/full"))
        QSKIP("no /dev/full here");
    QVERIFY2(saveBytes(QStringLiteral("/dev/full"), countingBytes(76800)), "a device is no file to replace");
    // The device is refused, never swapped for a regular file.
    QVERIFY(isCharacterDevice("/dev/full"));
#else
    QSKIP("needs /dev/full");
#endif
}

void TestSaveFile::failedSaveKeepsOldFile()
{
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.BIN"));
    const QByteArray old = countingBytes(1000, 9);
    writeFile(path, old);

    Problem binProblem;
    Problem bmpProblem;
    {
        FileSizeLimit limit(4096);
        if (!limit.active())
            QSKIP("cannot lower the file size limit");
        binProblem = saveBytes(path, countingBytes(76800));
        bmpProblem = saveBmp(path, plain(100, 100));
        QVERIFY(saveBytesUnsynced(path, countingBytes(76800)));
    }
    QVERIFY(binProblem);
    QVERIFY(bmpProblem);
    QCOMPARE(readFile(path), old);
    // No half-written temporary file is left next to it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.BIN")});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestSaveFile::failureReasons_data()
{
    QTest::addColumn<QString>("name"); // inside a folder holding "folder", "loop" and "card"
    QTest::addColumn<Problem::Cause>("cause");
    QTest::addColumn<QString>("reason"); // for the window

    using Cause = Problem::Cause;
    QTest::newRow("missing folder") << QStringLiteral("missing/a.BIN") << Cause::Missing
                                    << QStringLiteral("保存先のフォルダーが見つかりません。");
    QTest::newRow("folder in the way") << QStringLiteral("folder") << Cause::Folder
                                       << QStringLiteral("同じ名前のフォルダーが既にあります。");
    QTest::newRow("read-only file system")
        << QStringLiteral("card/a.BIN") << Cause::ReadOnlyDrive
        << QStringLiteral("保存先のドライブは書き込み禁止になっています。");
    QTest::newRow("a device") << QStringLiteral("/dev/full") << Cause::NotRegular
                              << QStringLiteral("保存先は通常のファイルではありません。");
    // The system would read the name only up to the NUL, and write "a".
    QTest::newRow("NUL in the name") << QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b.BIN")
                                     << Cause::BadName
                                     << QStringLiteral("ファイル名に使用できない文字が含まれています。");
    // Without a cause of its own the system's text stays.
    QTest::newRow("links in a loop") << QStringLiteral("loop") << Cause::SystemError
                                     << qt_error_string(ELOOP);
}

void TestSaveFile::failureReasons()
{
#ifdef Q_OS_LINUX
    QFETCH(QString, name);
    QFETCH(Problem::Cause, cause);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("card")));
    QVERIFY(QFile::link(QStringLiteral("loop"), dir.filePath(QStringLiteral("loop"))));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    const bool readOnly = cause == Problem::Cause::ReadOnlyDrive;
#ifdef LUMIVERT_QT_ONLY
    if (readOnly)
        QSKIP("Qt alone tells a read-only drive from a folder without permission by no error code");
#endif
    // The card folder seen read-only in its own place, as a write-protected card is.
    const QByteArray card = QFile::encodeName(dir.filePath(QStringLiteral("card")));
    const bool bound = readOnly && ::mount(card, card, nullptr, MS_BIND, nullptr) == 0;
    const auto unbind = qScopeGuard([&] { ::umount2(card, MNT_DETACH); }); // fails harmlessly if unbound
    if (readOnly && (!bound || ::mount(nullptr, card, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr)))
        QSKIP("cannot mount a folder read-only here (needs root with CAP_SYS_ADMIN)");

    const QString path = name.startsWith(u'/') ? name : dir.filePath(name);
    for (const auto save : {&saveBytes, &saveBytesUnsynced}) {
        const Problem problem = save(path, countingBytes(5000));
        QCOMPARE(problem.cause, cause);
        QCOMPARE(japaneseReason(problem), reason);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
    }
#else
    QSKIP("needs Linux mounts and devices");
#endif
}

void TestSaveFile::encodeBmp24RoundTrip_data()
{
    QTest::addColumn<QSize>("size");
    // Widths whose 3-byte pixels leave 0, 1, 2 and 3 bytes of row padding.
    for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(4, 4), QSize(5, 7), QSize(127, 64),
                             QSize(320, 240), QSize(641, 3)})
        QTest::addRow("%d x %d", size.width(), size.height()) << size;
}

void TestSaveFile::encodeBmp24RoundTrip()
{
    QFETCH(QSize, size);

    QImage source(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            source.setPixel(x, y, qRgb((x * 37 + y) & 0xFF, (y * 11 + 5) & 0xFF, (x ^ y) & 0xFF));

    const QByteArray bmp = encodeBmp24(source);
    const qsizetype rowBytes = ((qsizetype(size.width()) * 3 + 3) / 4) * 4;
    QCOMPARE(bmp.size(), 54 + rowBytes * size.height());

    QImage decoded;
    QVERIFY(decoded.loadFromData(bmp, "BMP"));
    QCOMPARE(decoded.size(), size);
    QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), source);
}

void TestSaveFile::encodeBmp24Header()
{
    const QByteArray bmp = encodeBmp24(plain(3, 2));
    QVERIFY(bmp.startsWith("BM"));
    QCOMPARE(le32(bmp, 2), quint32(bmp.size()));
    QCOMPARE(le32(bmp, 10), 54u);             // pixels right after the headers
    QCOMPARE(le32(bmp, 14), 40u);             // BITMAPINFOHEADER
    QCOMPARE(le32(bmp, 18), 3u);              // width
    QCOMPARE(le32(bmp, 22), 2u);              // positive height: bottom row first
    QCOMPARE(le32(bmp, 26) & 0xFFFFu, 1u);    // planes
    QCOMPARE(le32(bmp, 26) >> 16, 24u);       // bits per pixel
    QCOMPARE(le32(bmp, 30), 0u);              // uncompressed
    QCOMPARE(le32(bmp, 34), quint32(2 * 12)); // two rows of 9 bytes padded to 12
}

void TestSaveFile::saveBmpWritesWhatItEncodes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A converted picture's preview colours go to the file as they are shown.
    QImage shown(5, 3, QImage::Format_RGB32);
    shown.fill(qRgb(159, 159, 191));
    shown.setPixel(4, 2, qRgb(63, 63, 127));
    const QString path = dir.filePath(QStringLiteral("typed without extension"));
    writeFile(path, QByteArray(100000, 'x'));

    QVERIFY(!saveBmp(path, shown));
    QCOMPARE(readFile(path), encodeBmp24(shown));
    QImage decoded(path, "BMP");
    QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), shown);
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
