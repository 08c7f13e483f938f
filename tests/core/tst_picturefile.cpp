#include "core/colour/rgb332.h"
#include "core/files/windowsfiles.h"
#include "core/formats/bmpfile.h"
#include "core/formats/pictureloader.h"
#include "core/formats/scaletofit.h"
#include "core/formats/sizelimit.h"
#include "tests/madebitmaps.h"
#include "tests/testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace lumivert;
using namespace lumivert::test;

Q_DECLARE_METATYPE(lumivert::PictureLoad::Status)

namespace {

const QString CorpusDir = QStringLiteral(LUMIVERT_CORPUS);

QString statusName(PictureLoad::Status status)
{
    switch (status) {
    case PictureLoad::Loaded:
        return QStringLiteral("loads");
    case PictureLoad::TooLarge:
        return QStringLiteral("too-large");
    case PictureLoad::Unreadable:
        return QStringLiteral("unreadable");
    }
    return {};
}

// BMP Suite files whose outcome differs from their folder's class: reallybig.bmp states a size of
// 3000000 x 2000000 and is refused for it, not as damaged.
const QHash<QString, QString> &bmpSuiteExceptions()
{
    static const QHash<QString, QString> exceptions = {
        {QStringLiteral("b/reallybig.bmp"), QStringLiteral("too-large")},
    };
    return exceptions;
}

} // namespace

class TestPictureFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizeLimit_data();
    void sizeLimit();
    void headerClaims_data();
    void headerClaims();
    void tallOs2BitmapKeepsItsHeight();
    void hugePngIsRefusedBeforeDecoding();
    void topDownBmpIsRightWayUp();
    void contentDecidesFormat();
    void unreadableFiles();
    void damagedGifAndXpm_data();
    void damagedGifAndXpm();
    void windowsDeviceNames_data();
    void windowsDeviceNames();
    void corpus_data();
    void corpus();
    void corpusEncodingsAgree_data();
    void corpusEncodingsAgree();
    void madeBitmaps_data();
    void madeBitmaps();
    void clipboardBitmapsBecomeFiles();
    void jpegAsQtDecodesIt_data();
    void jpegAsQtDecodesIt();
};

void TestPictureFile::sizeLimit_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<PictureLoad::Status>("status");

    for (const QByteArray &format : {QByteArray("BMP"), QByteArray("JPG"), QByteArray("PNG")}) {
        const char *f = format.constData();
        QTest::addRow("%s 640 x 480", f) << format << QSize(640, 480) << PictureLoad::Loaded;
        QTest::addRow("%s 641 x 480", f) << format << QSize(641, 480) << PictureLoad::TooLarge;
        QTest::addRow("%s 640 x 481", f) << format << QSize(640, 481) << PictureLoad::TooLarge;
        QTest::addRow("%s 1 x 1", f) << format << QSize(1, 1) << PictureLoad::Loaded;
        QTest::addRow("%s 1 x 481", f) << format << QSize(1, 481) << PictureLoad::TooLarge;
    }
}

void TestPictureFile::sizeLimit()
{
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(PictureLoad::Status, status);

    const QImage source = patternImage(size.width(), size.height());
    const QByteArray bytes = encoded(source, format.constData());

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("picture.") + QString::fromLatin1(format));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    for (const PictureLoad &load : {loadPicture(path), loadPicture(bytes)}) {
        QCOMPARE(load.status(), status);
        QCOMPARE(load.size, size);
        if (status != PictureLoad::Loaded) {
            QVERIFY(load.image.isNull());
            continue;
        }
        QCOMPARE(load.image.format(), QImage::Format_RGB32);
        QCOMPARE(load.image.size(), size);
        if (format != "JPG")
            QCOMPARE(load.image, source);
    }
}

void TestPictureFile::headerClaims_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureLoad::Status>("status");
    QTest::addColumn<QSize>("size"); // checked when refused for size

    // Headers alone: a decoder that believed them would need gigabytes.
    QTest::newRow("64250 x 64250") << bmp24(64250, 64250) << PictureLoad::TooLarge << QSize(64250, 64250);
    QTest::newRow("16000 x 16000") << bmp24(16000, 16000) << PictureLoad::TooLarge << QSize(16000, 16000);
    QTest::newRow("641 x 480, no pixels") << bmp24(641, 480) << PictureLoad::TooLarge << QSize(641, 480);
    QTest::newRow("top-down 641 x 480") << bmp24(641, -480) << PictureLoad::TooLarge << QSize(641, 480);
    QTest::newRow("top-down 100 x 70000") << bmp24(100, -70000) << PictureLoad::TooLarge << QSize(100, 70000);
    QTest::newRow("OS/2 65535 x 65535")
        << os2Header(65535, 65535) << PictureLoad::TooLarge << QSize(65535, 65535);
    QTest::newRow("width 0") << bmp24(0, 10, QByteArray(40, '\0')) << PictureLoad::Unreadable << QSize();
    QTest::newRow("negative width") << bmp24(-10, 10, QByteArray(400, '\0')) << PictureLoad::Unreadable
                                    << QSize();
    QTest::newRow("most negative width")
        << bmp24(qint32(0x80000000u), 10) << PictureLoad::Unreadable << QSize();
    QTest::newRow("height 0") << bmp24(10, 0, QByteArray(40, '\0')) << PictureLoad::Unreadable << QSize();
    QTest::newRow("header cut short") << bmp24(10, 10).left(20) << PictureLoad::Unreadable << QSize();
    QTest::newRow("height -2^31") << bmp24(10, qint32(0x80000000u), QByteArray(40, '\0'))
                                  << PictureLoad::Unreadable << QSize();
    QByteArray inHeaders = bmp24(2, 2, QByteArray(16, '\0'));
    inHeaders.replace(10, 4, le32(30)); // the pixels would start inside the info header
    QTest::newRow("pixels inside the headers") << inHeaders << PictureLoad::Unreadable << QSize();

    // Inputs that once made the bitmap checks read past the file or overflow (found by fuzzing).
    const QString seeds = QStringLiteral(LUMIVERT_SOURCE_DIR "/fuzz/seeds/picture/");
    for (const char *name :
         {"bmp_5bit_indices_read_past_end.bmp", "bmp_planes0_2g_by_2g_row_bytes_overflow.bmp"}) {
        QFile seed(seeds + QLatin1String(name));
        QVERIFY(seed.open(QIODevice::ReadOnly));
        QTest::newRow(name) << seed.readAll() << PictureLoad::Unreadable << QSize();
    }
}

void TestPictureFile::headerClaims()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureLoad::Status, status);
    QFETCH(QSize, size);

    QElapsedTimer timer;
    timer.start();
    const PictureLoad load = loadPicture(bytes);
    QCOMPARE(statusName(load.status()), statusName(status));
    QVERIFY(load.image.isNull());
    if (status == PictureLoad::TooLarge)
        QCOMPARE(load.size, size);
    else
        QVERIFY(!load.problem.detail.isEmpty());
    // Refusing from the header takes no time; filling a claimed picture would.
    if (timeBoundsChecked())
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

// OS/2 1.x sizes are unsigned: 40000 rows are 40000 rows, not 25536 counted from the top.
void TestPictureFile::tallOs2BitmapKeepsItsHeight()
{
    QByteArray bytes = os2Header(1, 40000) + QByteArray(4 * 40000, '\0');
    bytes[26 + 4 * 39999] = char(0xFF); // the top row's blue
    const PictureLoad load = loadPicture(bytes, PictureOptions{QSize(640, 480)});
    QCOMPARE(load.image.size(), QSize(1, 40000));
    QCOMPARE(load.image.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(load.image.pixel(0, 39999), qRgb(0, 0, 0));
}

void TestPictureFile::hugePngIsRefusedBeforeDecoding()
{
    QImage huge(10000, 10000, QImage::Format_Mono);
    huge.fill(0);
    const QByteArray png = encoded(huge, "PNG");
    huge = QImage(); // keep only the file

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Named as a JPG: the content, not the name, decides how it is read.
    const QString path = dir.filePath(QStringLiteral("huge.JPG"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(png), png.size());
    file.close();

    const PictureLoad load = loadPicture(path);
    QCOMPARE(statusName(load.status()), statusName(PictureLoad::TooLarge));
    QCOMPARE(load.size, QSize(10000, 10000));
    QVERIFY(load.image.isNull());

    // A fit request takes any size, but not more pixels than decode in reasonable time.
    QImage wide(20000, 12000, QImage::Format_Mono);
    wide.fill(0);
    PictureOptions fit;
    fit.fitInto = QSize(320, 240);
    const PictureLoad fitted = loadPicture(encoded(wide, "PNG"), fit);
    QCOMPARE(fitted.problem.cause, Problem::Cause::Damaged);
    QCOMPARE(fitted.problem.detail,
             QStringLiteral("20000x12000 pixels are more than a picture may have (200000000)"));
}

void TestPictureFile::topDownBmpIsRightWayUp()
{
    // Three pixels wide, so each 9-byte row carries 3 bytes of padding. Rows from the top:
    // red, green, blue; the left column is brighter.
    const QRgb rows[3] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
    QByteArray pixels;
    for (const QRgb row : rows) {
        for (int x = 0; x < 3; ++x) {
            const int boost = x == 0 ? 55 : 0;
            pixels += char(qBlue(row) ? qBlue(row) + boost : 0);
            pixels += char(qGreen(row) ? qGreen(row) + boost : 0);
            pixels += char(qRed(row) ? qRed(row) + boost : 0);
        }
        pixels += QByteArray(3, '\0');
    }

    const PictureLoad load = loadPicture(bmp24(3, -3, pixels));
    QCOMPARE(statusName(load.status()), statusName(PictureLoad::Loaded));
    QCOMPARE(load.size, QSize(3, 3));
    QCOMPARE(load.image.size(), QSize(3, 3));
    QCOMPARE(load.image.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(load.image.pixel(2, 0), qRgb(200, 0, 0));
    QCOMPARE(load.image.pixel(1, 1), qRgb(0, 200, 0));
    QCOMPARE(load.image.pixel(0, 2), qRgb(0, 0, 255));

    // The same picture stored bottom-up loads the same.
    QByteArray bottomUp;
    for (int y = 2; y >= 0; --y)
        bottomUp += pixels.mid(12 * y, 12);
    QCOMPARE(loadPicture(bmp24(3, 3, bottomUp)).image, load.image);
}

void TestPictureFile::contentDecidesFormat()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QImage source = patternImage(5, 4);
    const QString misnamed = dir.filePath(QStringLiteral("really-a-png.bmp"));
    {
        QFile file(misnamed);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(encoded(source, "PNG"));
    }
    const PictureLoad load = loadPicture(misnamed);
    QVERIFY(load.loaded());
    QCOMPARE(load.image, source);

    // A name is taken as it is: "pic" does not find "pic.bmp" next to it.
    QVERIFY(QFile::copy(misnamed, dir.filePath(QStringLiteral("pic.bmp"))));
    QCOMPARE(statusName(loadPicture(dir.filePath(QStringLiteral("pic"))).status()),
             statusName(PictureLoad::Unreadable));
}

void TestPictureFile::unreadableFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString empty = dir.filePath(QStringLiteral("empty.jpg"));
    const QString text = dir.filePath(QStringLiteral("notes.bmp"));
    {
        QFile e(empty);
        QVERIFY(e.open(QIODevice::WriteOnly));
        QFile t(text);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("BM is how this text starts, but it is not a picture.\n");
    }
    using Cause = Problem::Cause;
    for (const auto &[path, cause] : {std::pair{empty, Cause::NotAPicture},
                                      {text, Cause::Damaged},
                                      {dir.filePath(QStringLiteral("missing.jpg")), Cause::Missing},
                                      {dir.path(), Cause::Folder}}) {
        const PictureLoad load = loadPicture(path);
        QCOMPARE(load.problem.cause, cause);
        QVERIFY(load.image.isNull());
    }
}

namespace {

// A GIF of a picture's pixels (indexed by their low byte, grey palette), coded without compression:
// every pixel its own 9-bit code, a clear code often enough that the codes never widen.
QByteArray plainGif(int width, int height, qint64 pixelsCoded = -1)
{
    QByteArray gif("GIF89a");
    const auto word = [&](int v) { gif.append(char(v & 0xFF)).append(char(v >> 8)); };
    word(width);
    word(height);
    gif.append("\xF7\0\0", 3);
    for (int i = 0; i < 256; ++i)
        gif.append(3, char(i));
    gif.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    gif.append('\0').append('\x08');
    QByteArray codes;
    quint32 buffer = 0;
    int bits = 0;
    const auto put = [&](int code) {
        buffer |= quint32(code) << bits;
        for (bits += 9; bits >= 8; bits -= 8, buffer >>= 8)
            codes.append(char(buffer & 0xFF));
    };
    const qint64 pixels = pixelsCoded < 0 ? qint64(width) * height : pixelsCoded;
    for (qint64 i = 0; i < pixels; ++i) {
        if (i % 250 == 0)
            put(256);
        put(int((i * 7) & 0xFF));
    }
    put(257);
    if (bits > 0)
        codes.append(char(buffer & 0xFF));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    return gif.append('\0').append(';');
}

QByteArray plainXpm(const QByteArray &rows)
{
    return "/* XPM */\nstatic char *p[] = {\n\"3 2 2 1\",\n\"a c #000000\",\n\"b c #FFFFFF\",\n" + rows +
           "};\n";
}

} // namespace

void TestPictureFile::damagedGifAndXpm_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("whole");
    const QByteArray gif = plainGif(320, 240);
    QTest::newRow("GIF whole") << gif << true;
    QTest::newRow("GIF cut at 60 %, trailer appended") << gif.left(gif.size() * 6 / 10) + ';' << false;
    QTest::newRow("GIF data ends after 1000 pixels") << plainGif(320, 240, 1000) << false;
    QTest::newRow("GIF without its trailer") << gif.chopped(1) << false;
    QByteArray flipped = gif;
    for (const qsizetype at : {qsizetype(5000), gif.size() / 2, gif.size() - 3000})
        flipped[at] = char(~flipped[at]);
    QTest::newRow("GIF with three bytes flipped") << flipped << false;
    QTest::newRow("XPM whole") << plainXpm("\"aba\",\n\"bab\"\n") << true;
    QTest::newRow("XPM pixel of no colour") << plainXpm("\"aba\",\n\"bxb\"\n") << false;
    QTest::newRow("XPM row missing") << plainXpm("\"aba\"\n") << false;
}

void TestPictureFile::damagedGifAndXpm()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, whole);
    const PictureLoad load = loadPicture(data);
    QCOMPARE(load.loaded(), whole);
    if (!whole)
        QCOMPARE(load.problem.cause, Problem::Cause::Damaged);
}

void TestPictureFile::windowsDeviceNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("device");
    for (const char *name : {"CON", "con.jpg", "NUL.BIN", "nul.tar.gz", "Aux", "prn.", "COM1", "lpt9.bmp",
                             "CON .txt", "C:nul", "C:\\pictures\\con.jpg", "/tmp/Com3.png"})
        QTest::newRow(name) << QString::fromUtf8(name) << true;
    for (const char *name :
         {"", "COM0", "COM10", "LPT", "console.jpg", "icon.jpg", "nul/photo.jpg", "_con.jpg", "写真.jpg"})
        QTest::newRow(name) << QString::fromUtf8(name) << false;
}

void TestPictureFile::windowsDeviceNames()
{
    QFETCH(QString, name);
    QFETCH(bool, device);
    QCOMPARE(isWindowsDeviceName(name), device);
#ifdef Q_OS_WIN
    // Refused by its name: opened, it would read the device.
    if (device)
        QCOMPARE(loadPicture(QDir::temp().filePath(name)).problem.cause, Problem::Cause::Device);
#endif
}

void TestPictureFile::corpus_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // loads, too-large, unreadable or either
    QTest::addColumn<QSize>("size");       // when known

    const QDir corpus(CorpusDir);
    if (!corpus.exists())
        QFAIL("the picture corpus is missing: " LUMIVERT_CORPUS);

    QFile manifest(corpus.filePath(QStringLiteral("MANIFEST.tsv")));
    QVERIFY(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
    const QRegularExpression sizeNote(QStringLiteral("(\\d+) x (\\d+)"));
    int jpegRows = 0;
    manifest.readLine(); // column names
    while (!manifest.atEnd()) {
        const QStringList fields = QString::fromUtf8(manifest.readLine()).trimmed().split(QLatin1Char('\t'));
        if (fields.size() < 3)
            continue;
        const QRegularExpressionMatch m = sizeNote.match(fields.value(3));
        const QSize size = m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
        QTest::newRow(qPrintable(fields.at(0))) << corpus.filePath(fields.at(0)) << fields.at(2) << size;
        ++jpegRows;
    }
    QVERIFY(jpegRows > 0);

    const QHash<QString, QString> folderClass = {
        {QStringLiteral("g"), QStringLiteral("loads")},
        {QStringLiteral("b"), QStringLiteral("unreadable")},
        {QStringLiteral("q"), QStringLiteral("either")},
        {QStringLiteral("x"), QStringLiteral("either")},
    };
    const QDir suite(corpus.filePath(QStringLiteral("bmpsuite")));
    int bmpRows = 0;
    QDirIterator it(suite.path(), QDir::Files, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext())
        files << suite.relativeFilePath(it.next());
    files.sort();
    for (const QString &relative : files) {
        const QString folder = relative.section(QLatin1Char('/'), 0, 0);
        const QString expected =
            bmpSuiteExceptions().value(relative, folderClass.value(folder, QStringLiteral("either")));
        QTest::newRow(qPrintable(QStringLiteral("bmpsuite/") + relative))
            << suite.filePath(relative) << expected << QSize();
        ++bmpRows;
    }
    QVERIFY(bmpRows > 0);
}

void TestPictureFile::corpus()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFETCH(QSize, size);

    const PictureLoad load = loadPicture(path);
    const QString outcome = statusName(load.status());
    if (expected != QLatin1String("either"))
        QCOMPARE(outcome, expected);

    // Whatever the class, the outcome must be consistent with itself.
    switch (load.status()) {
    case PictureLoad::Loaded:
        QVERIFY(!load.image.isNull());
        QCOMPARE(load.image.format(), QImage::Format_RGB32);
        QCOMPARE(load.image.size(), load.size);
        QVERIFY(withinSizeLimit(load.size.width(), load.size.height()));
        break;
    case PictureLoad::TooLarge:
        QVERIFY(load.image.isNull());
        QVERIFY(!withinSizeLimit(load.size.width(), load.size.height()));
        break;
    case PictureLoad::Unreadable:
        QVERIFY(load.image.isNull());
        break;
    }
    if (size.isValid() && load.status() != PictureLoad::Unreadable)
        QCOMPARE(load.size, size);
}

void TestPictureFile::corpusEncodingsAgree_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference");

    if (!QDir(CorpusDir).exists())
        QFAIL("the picture corpus is missing: " LUMIVERT_CORPUS);
    // The BMP Suite stores one picture in many ways; each must come out pixel for pixel the same.
    for (const char *file : {"pal8-0", "pal8os2", "pal8rle", "pal8topdown", "pal8v4", "pal8v5"})
        QTest::newRow(file) << QString::fromLatin1(file) << QStringLiteral("pal8");
    for (const char *file : {"rgb24pal", "rgb32", "rgb32bf", "rgb32bfdef"})
        QTest::newRow(file) << QString::fromLatin1(file) << QStringLiteral("rgb24");
    QTest::newRow("pal4rle") << QStringLiteral("pal4rle") << QStringLiteral("pal4");
}

void TestPictureFile::corpusEncodingsAgree()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);

    const QDir g(CorpusDir + QStringLiteral("/bmpsuite/g"));
    const PictureLoad load = loadPicture(g.filePath(file + QStringLiteral(".bmp")));
    const PictureLoad ref = loadPicture(g.filePath(reference + QStringLiteral(".bmp")));
    QVERIFY(load.loaded());
    QVERIFY(ref.loaded());
    QCOMPARE(load.image, ref.image);
    // The suite's picture has red at the top left and black at the bottom left.
    QCOMPARE(load.image.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(load.image.pixel(0, load.image.height() - 1), qRgb(0, 0, 0));
}

void TestPictureFile::madeBitmaps_data()
{
    test::addMadeBitmapRows();
}

void TestPictureFile::madeBitmaps()
{
    QFETCH(QByteArray, file);
    QFETCH(QImage, picture);
    PictureOptions fit;
    fit.fitInto = QSize(320, 240);
    // Each road twice: a skipped pixel must not show whatever the memory held.
    for (const PictureOptions &options : {PictureOptions(), fit, PictureOptions(), fit}) {
        const PictureLoad load = loadPicture(file, options);
        QCOMPARE(load.loaded(), !picture.isNull());
        QCOMPARE(load.image, picture);
    }
}

// The clipboard holds a bitmap without its file header: put back, each Windows bitmap of the suite is
// the file again, whatever its masks and palette. A bitmap with the old OS/2 header, or too short for
// any, is no clipboard bitmap.
void TestPictureFile::clipboardBitmapsBecomeFiles()
{
    const QDir g(CorpusDir + QStringLiteral("/bmpsuite/g"));
    int files = 0;
    for (const QString &name : g.entryList({QStringLiteral("*.bmp")}, QDir::Files)) {
        const QByteArray file = readFile(g.filePath(name));
        const QByteArray dib = file.mid(14);
        if (name == QLatin1String("pal8os2.bmp")) {
            QVERIFY(bmpFileFromDib(dib).isEmpty());
            continue;
        }
        QVERIFY2(bmpFileFromDib(dib) == file, qPrintable(name));
        ++files;
    }
    QCOMPARE(files, 26);
    QVERIFY(bmpFileFromDib(QByteArray::fromHex("28000000")).isEmpty());
}

void TestPictureFile::jpegAsQtDecodesIt_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<QSize>("box"); // fitted into, when valid
    QTest::newRow("odd size") << patternImage(123, 77) << QSize();
    QTest::newRow("grey") << patternImage(64, 48).convertToFormat(QImage::Format_Grayscale8) << QSize();
    QTest::newRow("fitted, 2/8 in the DCT") << patternImage(1600, 1200) << QSize(320, 240);
    QTest::newRow("fitted, 6/8 in the DCT") << patternImage(1000, 500) << QSize(640, 480);
    QTest::newRow("fitted, 4/8 in the DCT and a column smoothly")
        << patternImage(641, 480) << QSize(320, 240);
    QTest::newRow("fitted, a few pixels") << patternImage(5, 5) << QSize(1, 1);
}

// libjpeg-turbo called directly gives what Qt's decoder gives, fitted or not.
void TestPictureFile::jpegAsQtDecodesIt()
{
    QFETCH(QImage, source);
    QFETCH(QSize, box);
    QByteArray jpeg = encoded(source, "JPG");
    const PictureLoad load = loadPicture(jpeg, {box.isValid() ? std::optional(box) : std::nullopt});
    QVERIFY(load.loaded());
    QCOMPARE(load.size, source.size());
    QBuffer buffer(&jpeg);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QImageReader reader(&buffer, "jpeg");
    if (box.isValid())
        reader.setScaledSize(fittedSize(source.size(), box));
    QCOMPARE(load.image, toRgb32(reader.read()));
}

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
