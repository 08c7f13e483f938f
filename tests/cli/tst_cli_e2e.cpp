// Runs the built lumivert-cli on pictures made here and checks its files, exit statuses and messages.
#include "core/colour/rgb332.h"
#include "core/formats/binformat.h"
#include "core/formats/pictureloader.h"
#include "core/formats/scaletofit.h"
#include "tests/madebitmaps.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace lumivert;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QStringList errLines;
};

Run runCli(const QStringList &args, const QString &cwd)
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.start(QStringLiteral(LUMIVERT_CLI), args);
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    // Lines end in CR LF on Windows.
    r.out = QString::fromUtf8(p.readAllStandardOutput()).remove(QLatin1Char('\r'));
    r.errLines = QString::fromUtf8(p.readAllStandardError())
                     .remove(QLatin1Char('\r'))
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return r;
}

// Smooth light with a deterministic grain, so that JPEG has real work to do.
QImage photoLike(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 state = 2463534242u + quint32(seed) * 7919u;
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int grain = int(state % 21) - 10;
            const double fx = double(x) / size.width();
            const double fy = double(y) / size.height();
            line[x] = qRgb(qBound(0, int(255 * fx) + grain, 255),
                           qBound(0, int(128 + 100 * std::sin(6 * fy + seed)) + grain, 255),
                           qBound(0, int(255 * (1 - fx * fy)) - grain, 255));
        }
    }
    return image;
}

void save(const QImage &image, const QString &path, const char *format = nullptr)
{
    QDir().mkpath(QFileInfo(path).path());
    QImageWriter writer(path, format);
    writer.setQuality(90);
    QVERIFY2(writer.write(image), qPrintable(path + ": " + writer.errorString()));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray reduced(const QImage &image)
{
    QByteArray out(qsizetype(image.width()) * image.height(), '\0');
    for (int y = 0; y < image.height(); ++y)
        reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                  reinterpret_cast<uchar *>(out.data()) + qsizetype(y) * image.width(), image.width());
    return out;
}

// What the window's CONV produces for a picture file: its decoded 32-bit image reduced row by row.
QByteArray windowConversion(const QString &path)
{
    const PictureLoad load = loadPicture(path);
    return load.loaded() ? reduced(load.image) : QByteArray();
}

// The light of an sRGB code value, on the same 0-255 scale.
double light(int value)
{
    const double c = value / 255.0;
    return 255.0 * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
}

// Per-channel mean of |a - b| over the light averaged in `block` x `block` squares, as the eye sees
// the pictures from afar.
double boxFilteredError(const QImage &a, const QImage &b, int block)
{
    double total = 0;
    int count = 0;
    for (int by = 0; by + block <= a.height(); by += block) {
        for (int bx = 0; bx + block <= a.width(); bx += block) {
            double sa[3] = {}, sb[3] = {};
            for (int y = by; y < by + block; ++y) {
                for (int x = bx; x < bx + block; ++x) {
                    const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
                    sa[0] += light(qRed(pa)), sa[1] += light(qGreen(pa)), sa[2] += light(qBlue(pa));
                    sb[0] += light(qRed(pb)), sb[1] += light(qGreen(pb)), sb[2] += light(qBlue(pb));
                }
            }
            for (int c = 0; c < 3; ++c)
                total += std::abs(sa[c] - sb[c]) / (block * block);
            count += 3;
        }
    }
    return total / count;
}

} // namespace

class TestCliEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertEqualsWindowConversion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("format");
        const QImage photo = photoLike(QSize(320, 240), 1);
        QTest::newRow("jpeg 320x240") << "a.jpg" << photo << "jpg";
        QTest::newRow("jpeg 640x480") << "big.jpeg" << photoLike(QSize(640, 480), 2) << "jpg";
        QTest::newRow("jpeg odd size") << "odd.jpg" << photoLike(QSize(123, 77), 3) << "jpg";
        QTest::newRow("grey jpeg") << "grey.jpg" << photo.convertToFormat(QImage::Format_Grayscale8) << "jpg";
        QTest::newRow("png") << "b.png" << photo << "png";
        QTest::newRow("png with alpha") << "alpha.png" << [&] {
            QImage a = photo.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < 50; ++x)
                    a.setPixel(x, y, qRgba(200, 10, 10, x * 5));
            return a;
        }() << "png";
        QTest::newRow("indexed png") << "pal.png" << photo.convertToFormat(QImage::Format_Indexed8) << "png";
        QTest::newRow("bmp") << "c.bmp" << photo << "bmp";
        QTest::newRow("ppm, misnamed") << "d.jpg" << photo << "ppm";
    }
    void convertEqualsWindowConversion()
    {
        QFETCH(QString, name);
        QFETCH(QImage, image);
        QFETCH(QString, format);
        QTemporaryDir dir;
        save(image, dir.filePath(name), format.toLatin1().constData());
        const Run r = runCli({"convert", name}, dir.path());
        QCOMPARE(r.errLines, QStringList{"1 converted, 0 failed"});
        QCOMPARE(r.exitCode, 0);
        const QByteArray expected = windowConversion(dir.filePath(name));
        QCOMPARE(expected.size(), qsizetype(image.width()) * image.height());
        QVERIFY(readAll(dir.filePath(QFileInfo(name).completeBaseName() + ".BIN")) == expected);
    }

    // Each row: arguments run in a folder holding good.png (64 x 48), big.png (641 x 480), broken.jpg,
    // self.BIN (a PNG whose BIN file would be itself), odd.BIN (1000 bytes) and the folder pics/;
    // the exit status, the stderr lines (a trailing '*' matches any rest), and the BIN files there after.
    void exitStatusAndMessages_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("err");
        QTest::addColumn<QStringList>("made");
        const QString tryHelp = "Try 'lumivert-cli --help'.";
        const auto row = [](const char *name, const QStringList &args, int status, const QStringList &err,
                            const QStringList &made) {
            QTest::newRow(name) << args << status << err << made;
        };
        row("ok", {"convert", "good.png"}, 0, {"1 converted, 0 failed"}, {"good.BIN"});
        row("ok, quietly", {"convert", "-q", "good.png"}, 0, {}, {"good.BIN"});
        row("missing", {"convert", "missing.jpg"}, 1,
            {"lumivert-cli: missing.jpg: no such file or folder", "0 converted, 1 failed"}, {});
        row("too large", {"convert", "big.png"}, 1,
            {"lumivert-cli: big.png: 641x480 is larger than 640x480 (--fit shrinks it)",
             "0 converted, 1 failed"},
            {});
        row("not a picture", {"convert", "broken.jpg"}, 1,
            {"lumivert-cli: broken.jpg: cannot read the picture: *", "0 converted, 1 failed"}, {});
        row("never over an input", {"convert", "self.BIN"}, 1,
            {"lumivert-cli: self.BIN: its output self.BIN is an input; not overwritten",
             "0 converted, 1 failed"},
            {});
        row("stops at the first failure", {"convert", "-j1", "broken.jpg", "good.png"}, 1,
            {"lumivert-cli: broken.jpg: cannot read the picture: *", "0 converted, 1 failed"}, {});
        row("argument problems stop before converting", {"convert", "good.png", "missing.jpg"}, 1,
            {"lumivert-cli: missing.jpg: no such file or folder", "0 converted, 1 failed"}, {});
        row("keep going", {"convert", "-k", "-j1", "broken.jpg", "big.png", "missing.jpg", "good.png"}, 1,
            {"lumivert-cli: missing.jpg: no such file or folder",
             "lumivert-cli: broken.jpg: cannot read the picture: *",
             "lumivert-cli: big.png: 641x480 is larger than 640x480 (--fit shrinks it)",
             "1 converted, 3 failed"},
            {"good.BIN"});
        row("fit takes the large one", {"convert", "--fit", "640x480", "big.png", "good.png"}, 0,
            {"2 converted, 0 failed"}, {"big.BIN", "good.BIN"});
        row("no command", {}, 2, {"lumivert-cli: no command given (convert, show or info)", tryHelp}, {});
        row("unknown command", {"frobnicate"}, 2, {"lumivert-cli: unknown command 'frobnicate'", tryHelp},
            {});
        row("bad jobs", {"convert", "-j", "0", "good.png"}, 2,
            {"lumivert-cli: --jobs needs a number from 1 to 64, not '0'", tryHelp}, {});
        row("-o with a folder", {"convert", "-o", "x.BIN", "pics"}, 2,
            {"lumivert-cli: -o names one output, but pics is a folder", tryHelp}, {});
        row("-o with two pictures", {"convert", "-o", "x.BIN", "good.png", "big.png"}, 2,
            {"lumivert-cli: -o names one output, so it takes exactly one picture", tryHelp}, {});
        row("show unknown length", {"show", "odd.BIN"}, 1,
            {"lumivert-cli: odd.BIN: is 1000 bytes long; only 76800 (320x240) and 307200 (640x480) have a "
             "known "
             "size (give --size WxH)"},
            {});
        row("show wrong size", {"show", "--size", "10x10", "odd.BIN"}, 1,
            {"lumivert-cli: odd.BIN: is 1000 bytes long, but 10x10 needs 100"}, {});
        row("show unknown format", {"show", "--size", "40x25", "odd.BIN", "-o", "odd.xyz"}, 2,
            {"lumivert-cli: cannot tell a picture format from the name odd.xyz (use .png or .bmp)", tryHelp},
            {});
        row("show missing", {"show", "nothing.BIN"}, 1, {"lumivert-cli: nothing.BIN: cannot open: *"}, {});
        row("info goes on", {"info", "missing", "good.png"}, 1, {"lumivert-cli: missing: no such file"}, {});
        row("name that forges a line", {"convert", "bad\n0 converted, 0 failed\nx.jpg"}, 1,
            {"lumivert-cli: 'bad'$'\\n''0 converted, 0 failed'$'\\n''x.jpg': no such file or folder",
             "0 converted, 1 failed"},
            {});
        row("name with an escape sequence", {"info", "\x1b]0;owned\x07.png"}, 1,
            {"lumivert-cli: $'\\033'']0;owned'$'\\a''.png': no such file"}, {});
        row("combined options", {"convert", "-kj1", "broken.jpg", "good.png"}, 1,
            {"lumivert-cli: broken.jpg: cannot read the picture: *", "1 converted, 1 failed"}, {"good.BIN"});
        row("combined flags", {"convert", "-kq", "broken.jpg", "good.png"}, 1,
            {"lumivert-cli: broken.jpg: cannot read the picture: *"}, {"good.BIN"});
        row("too many jobs", {"convert", "--jobs", "1024", "good.png"}, 2,
            {"lumivert-cli: --jobs needs a number from 1 to 64, not '1024'", tryHelp}, {});
        row("show keeps an existing picture", {"show", "screen.BIN"}, 1,
            {"lumivert-cli: screen.BIN: screen.png already exists; not replaced (name it with -o, or give "
             "--force)"},
            {});
        row("show replaces it when forced", {"show", "--force", "screen.BIN"}, 0, {}, {});
        row("info keeps going", {"info", "-k", "missing", "broken.jpg", "good.png"}, 1,
            {"lumivert-cli: missing: no such file",
             "lumivert-cli: broken.jpg: neither a picture nor a BIN file of a known length"},
            {});
    }
    void exitStatusAndMessages()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QStringList, err);
        QFETCH(QStringList, made);
        QTemporaryDir dir;
        save(photoLike(QSize(64, 48), 4), dir.filePath("good.png"));
        save(photoLike(QSize(641, 480), 5), dir.filePath("big.png"));
        writeAll(dir.filePath("broken.jpg"), "this is not a picture");
        save(photoLike(QSize(8, 8), 6), dir.filePath("self.BIN"), "png");
        writeAll(dir.filePath("odd.BIN"), QByteArray(1000, '\x92'));
        writeAll(dir.filePath("screen.BIN"), QByteArray(SmallBinLength, '\x92'));
        QVERIFY(QFile::copy(dir.filePath("good.png"), dir.filePath("screen.png")));
        QDir().mkpath(dir.filePath("pics"));
        const QByteArray selfBefore = readAll(dir.filePath("self.BIN"));

        const Run r = runCli(args, dir.path());
        QCOMPARE(r.errLines.size(), err.size());
        for (qsizetype i = 0; i < err.size(); ++i) {
            const QString &want = err.at(i);
            if (want.endsWith(QLatin1Char('*')))
                QVERIFY2(r.errLines.at(i).startsWith(want.chopped(1)), qPrintable(r.errLines.at(i)));
            else
                QCOMPARE(r.errLines.at(i), want);
        }
        QCOMPARE(r.exitCode, status);
        QStringList bins = QDir(dir.path()).entryList({"*.BIN"}, QDir::Files, QDir::Name);
        bins.removeAll("odd.BIN");
        bins.removeAll("screen.BIN");
        bins.removeAll("self.BIN");
        QCOMPARE(bins, made);
        QCOMPARE(readAll(dir.filePath("self.BIN")), selfBefore);
    }

    // Each row: a shell command run in a folder holding good.png (64 x 48) and screen.BIN (320 x 240),
    // with the program as "$cli"; its exit status and stderr lines (a trailing '*' matches any rest).
    // For what QProcess cannot give: names that are not UTF-8, closed or full streams, pipes, links.
    void throughTheShell_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("err");
        const auto row = [](const char *name, const char *command, int status, const QStringList &err) {
            QTest::newRow(name) << QString::fromUtf8(command) << status << err;
        };
        row("/dev/full as stdout", R"("$cli" info good.png >/dev/full)", 1, {"lumivert-cli: write error: *"});
        row("help to /dev/full", R"("$cli" --help >/dev/full)", 1, {"lumivert-cli: write error: *"});
        row("closed stdout", R"("$cli" info good.png >&-)", 1, {"lumivert-cli: write error: *"});
        row("closed stdout, nothing written", R"("$cli" convert -q good.png >&-)", 0, {});
        row("name not UTF-8", R"(trap 'rm -f caf*' EXIT; name=$(printf 'caf\351.png'); cp good.png "$name"
            "$cli" convert caf*)",
            1,
            {"lumivert-cli: 'caf'$'\\351''.png': the name is not valid UTF-8, so the file cannot be opened "
             "by it",
             "0 converted, 1 failed"});
        row("name not UTF-8 in a folder", R"(trap 'rm -f d/caf*' EXIT; mkdir d; cp good.png d/ok.png
            name=$(printf 'd/caf\351.png'); cp good.png "$name"; "$cli" convert -k d)",
            1,
            {"lumivert-cli: 'd/caf'$'\\351''.png': the name is not valid UTF-8, so the file cannot be opened "
             "by it",
             "1 converted, 1 failed"});
        row("standard input to standard output", R"("$cli" convert -q -o - - <good.png >piped.BIN
            "$cli" convert -q good.png && cmp piped.BIN good.BIN)",
            0, {});
        row("show to standard output", R"("$cli" show -o - - <screen.BIN >piped.png
            "$cli" show screen.BIN && cmp piped.png screen.png)",
            0, {});
        row("linked folder", R"(mkdir real; cp good.png real/a.png; cp good.png real/a.jpg; ln -s real link
            "$cli" convert -j2 link/a.jpg real/a.png; status=$?; ! ls real/*.BIN 2>/dev/null && exit $status)",
            1,
            {"lumivert-cli: real/a.png: its output real/a.BIN is also the output of link/a.jpg",
             "0 converted, 1 failed"});
        row("info of standard input", R"("$cli" info - <good.png | grep -qx -- "-: picture 64x48 png")", 0,
            {});
        row("hard links",
            R"(ln good.png also.png; "$cli" convert -q good.png also.png && cmp good.BIN also.BIN)", 0, {});
        row("decoder's own words", R"(head -c 300 good.png >cut.png; "$cli" convert cut.png)", 1,
            {"lumivert-cli: cut.png: cannot read the picture: *", "0 converted, 1 failed"});
        // Hostile outputs and inputs: refused at once (a hang is ended by timeout, status 124), and
        // nothing the user had is touched.
#ifdef LUMIVERT_QT_ONLY
        // Qt alone tells a plain file from the rest, but not which kind the rest is.
        const QString fifo = QStringLiteral("is not a plain file (a FIFO, device or socket)");
        const QString device = fifo;
#else
        const QString fifo = QStringLiteral("is a FIFO, not a file");
        const QString device = QStringLiteral("is a device, not a file");
#endif
        row("FIFO where the output goes", R"(mkfifo good.BIN; timeout 10 "$cli" convert good.png)", 1,
            {"lumivert-cli: good.png: its output good.BIN " + fifo + "; not written",
             "0 converted, 1 failed"});
        row("terminal where the output goes",
            R"(ln -s /dev/ptmx good.BIN; timeout 10 "$cli" convert good.png)", 1,
            {"lumivert-cli: good.png: its output good.BIN " + device + "; not written",
             "0 converted, 1 failed"});
        row("FIFO output deep in a folder, going on", R"(mkdir -p d/sub; cp good.png d/sub/a.png
            mkfifo d/sub/a.BIN; cp good.png d/b.png; timeout 10 "$cli" convert -k -r d; s=$?
            test -f d/b.BIN && exit $s)",
            1,
            {"lumivert-cli: d/sub/a.png: its output d/sub/a.BIN " + fifo + "; not written",
             "1 converted, 1 failed"});
        row("-o over a picture", R"(cp good.png pic.png; "$cli" convert -o pic.png good.png; s=$?
            cmp -s good.png pic.png && exit $s)",
            1,
            {"lumivert-cli: good.png: its output pic.png is a picture, not a BIN file; not overwritten",
             "0 converted, 1 failed"});
        row("BIN file that begins like a GIF",
            R"((printf GIF89a; head -c 76794 /dev/zero) >g.BIN; cp good.png g.png
            "$cli" convert -q --fit 320x240 g.png && ! head -c 6 g.BIN | grep -q GIF)",
            0, {});
        row("link to nothing where the output goes",
            R"(ln -s nowhere.BIN good.BIN; "$cli" convert good.png; s=$?
            test ! -e nowhere.BIN && exit $s)",
            1,
            {"lumivert-cli: good.png: its output good.BIN is a link to a file that does not exist; not "
             "written",
             "0 converted, 1 failed"});
        row("'..' after a missing folder",
            R"("$cli" convert -o no/../x/o.BIN good.png; s=$?; test ! -e no && exit $s)", 1,
            {"lumivert-cli: good.png: cannot create the folder no/../x: No such file or directory",
             "0 converted, 1 failed"});
        row("FIFO named like a picture in a folder", R"(mkdir d; mkfifo d/f.jpg; cp good.png d/ok.png
            timeout 10 "$cli" convert -k -r d)",
            1, {"lumivert-cli: d/f.jpg: " + fifo, "1 converted, 1 failed"});
        row("picture and garbage on standard input",
            R"((cat good.png; head -c 70M /dev/zero) | timeout 20 "$cli" convert -o o.BIN -)", 1,
            {"lumivert-cli: -: standard input is longer than 68157440 bytes; not read",
             "0 converted, 1 failed"});
        row("device on standard input", R"(timeout 10 "$cli" info - </dev/zero)", 1,
            {"lumivert-cli: -: standard input is a terminal or device; not read"});
    }
    void throughTheShell()
    {
#ifdef Q_OS_WIN
        QSKIP("a POSIX shell's pipes, links, FIFOs and devices");
#endif
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QStringList, err);
        // A sanitizer's report must reach the terminal, so there the standard error stream is left alone.
        if (qEnvironmentVariableIsSet("LUMIVERT_SANITIZED") &&
            QTest::currentDataTag() == QLatin1String("decoder's own words"))
            QSKIP("libpng's lines are not caught in a sanitizer build");
#ifdef LUMIVERT_QT_ONLY
        if (QTest::currentDataTag() == QLatin1String("device on standard input"))
            QSKIP("Qt alone cannot tell a device on standard input");
        if (QTest::currentDataTag() == QLatin1String("name not UTF-8 in a folder"))
            QSKIP("Qt alone cannot tell a name in a folder that is not UTF-8");
        if (QTest::currentDataTag() == QLatin1String("decoder's own words"))
            QSKIP("libpng's lines are caught only through a POSIX pipe");
#endif
        QTemporaryDir dir;
        save(photoLike(QSize(64, 48), 4), dir.filePath("good.png"));
        writeAll(dir.filePath("screen.BIN"), QByteArray(SmallBinLength, '\x5a'));
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("cli", QStringLiteral(LUMIVERT_CLI));
        env.insert("LC_ALL", "C.UTF-8");
        p.setProcessEnvironment(env);
        p.start("sh", {"-c", command});
        QVERIFY(p.waitForFinished(60000));
        const QStringList lines = QString::fromUtf8(p.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), err.size());
        for (qsizetype i = 0; i < err.size(); ++i) {
            if (err.at(i).endsWith('*'))
                QVERIFY2(lines.at(i).startsWith(err.at(i).chopped(1)), qPrintable(lines.at(i)));
            else
                QCOMPARE(lines.at(i), err.at(i));
        }
        QCOMPARE(p.exitCode(), status);
    }

    // Workers share one standard error stream for the decoders' words; each failed file's line still
    // carries its own.
    void decoderWordsStayWithTheirFile()
    {
        if (qEnvironmentVariableIsSet("LUMIVERT_SANITIZED"))
            QSKIP("libpng's lines are not caught in a sanitizer build");
#ifdef LUMIVERT_QT_ONLY
        QSKIP("libpng's lines are caught only through a POSIX pipe");
#endif
        QTemporaryDir dir;
        save(photoLike(QSize(64, 48), 4), dir.filePath("good.png"));
        const QByteArray png = readAll(dir.filePath("good.png"));
        QByteArray badCrc = png;
        badCrc[29] = char(~badCrc[29]); // the header chunk's checksum
        QByteArray badZlib = png;
        badZlib[png.indexOf("IDAT") + 4] ^= 0x55; // the compressed data's header
        for (int i = 0; i < 12; ++i) {
            writeAll(dir.filePath(QStringLiteral("%1-crc.png").arg(i, 2, 10, QLatin1Char('0'))), badCrc);
            writeAll(dir.filePath(QStringLiteral("%1-zlib.png").arg(i, 2, 10, QLatin1Char('0'))), badZlib);
        }
        QFile::remove(dir.filePath("good.png"));
        const Run r = runCli({"convert", "-k", "-j", "4", "--fit", "320x240", "."}, dir.path());
        QCOMPARE(r.errLines.size(), 25);
        for (const QString &line : r.errLines.mid(0, 24)) {
#ifdef Q_OS_WIN
            // Wine's pipes now and then hand a decoder's words over too late for their line.
            if (line.endsWith(QLatin1String("Unable to read image data")))
                continue;
#endif
            const bool crc = line.contains(QLatin1String("-crc.png"));
            QVERIFY2(line.endsWith(crc ? QLatin1String("(IHDR: CRC error)")
                                       : QLatin1String("(IDAT: incorrect header check)")),
                     qPrintable(line));
        }
    }

    // The README's examples, line by line as written, on pictures of the names they use.
    void readmeExamplesRun()
    {
#ifdef Q_OS_WIN
        QSKIP("the examples are written for a POSIX shell");
#endif
        QFile readme(QStringLiteral(LUMIVERT_README));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        const qsizetype start = text.indexOf("```sh\nlumivert-cli");
        QVERIFY(start >= 0);
        const QStringList lines =
            text.mid(start + 6, text.indexOf("```", start + 6) - start - 6).split('\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 10);

        QTemporaryDir dir;
        save(photoLike(QSize(320, 240), 20), dir.filePath("photo.jpg"));
        save(photoLike(QSize(400, 300), 21), dir.filePath("holiday.jpg"));
        save(photoLike(QSize(1000, 700), 22), dir.filePath("big.png"));
        save(photoLike(QSize(120, 40), 25), dir.filePath("logo.png"));
        save(photoLike(QSize(64, 48), 23), dir.filePath("pictures/a.png"));
        save(photoLike(QSize(64, 48), 24), dir.filePath("pictures/sub/b.png"));
        writeAll(dir.filePath("odd.BIN"), QByteArray(100 * 50, '\x12'));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", QFileInfo(QStringLiteral(LUMIVERT_CLI)).absolutePath() + ':' + env.value("PATH"));
        for (const QString &line : lines) {
            QProcess p;
            p.setWorkingDirectory(dir.path());
            p.setProcessEnvironment(env);
            p.start("sh", {"-c", line});
            QVERIFY(p.waitForFinished(60000));
            QVERIFY2(p.exitCode() == 0, qPrintable(line + ": " + p.readAllStandardError()));
        }
        QCOMPARE(readAll(dir.filePath("from-pipe.BIN")), readAll(dir.filePath("photo.BIN")));
        QVERIFY(QFile::exists(dir.filePath("bins/sub/b.BIN")));
        QCOMPARE(QImage(dir.filePath("shown.png")).size(), QSize(320, 240));
    }

    void versionHelpAndInfo()
    {
        QTemporaryDir dir;
        Run r = runCli({"--version"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("lumivert-cli 5.1.0\n"));
        r = runCli({"convert", "--help"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("Usage: lumivert-cli convert"));

        save(photoLike(QSize(320, 240), 7), dir.filePath("a.jpg"));
        save(photoLike(QSize(800, 600), 8), dir.filePath("large.png"));
        writeAll(dir.filePath("raw"), QByteArray(LargeBinLength, '\x03'));
        writeAll(dir.filePath("x.bin"), QByteArray(SmallBinLength, '\x03'));
        // An unreadable file is reported and the others are still described.
        r = runCli({"info", "a.jpg", "missing", "large.png", "raw", "x.bin"}, dir.path());
        QCOMPARE(r.errLines, QStringList{"lumivert-cli: missing: no such file"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out,
                 QStringLiteral("a.jpg: picture 320x240 jpeg\n"
                                "large.png: picture 800x600 png (larger than 640x480: convert with --fit)\n"
                                "raw: BIN 640x480 (307200 bytes)\n"
                                "x.bin: BIN 320x240 (76800 bytes)\n"));
    }

    void foldersAndNames()
    {
        QTemporaryDir dir;
        const QImage image = photoLike(QSize(40, 30), 9);
        for (const char *name :
             {"pics/a.png", "pics/sub/b.jpeg", "pics/sub/deeper/c.bmp", "pics/.hidden.png"})
            save(image, dir.filePath(name));
        save(image, dir.filePath("photo"), "png");

        Run r = runCli({"convert", "pics", "photo"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QFile::exists(dir.filePath("pics/a.BIN")));
        QVERIFY(QFile::exists(dir.filePath("photo.BIN")));
        QVERIFY(!QFile::exists(dir.filePath("pics/sub/b.BIN")));
        QVERIFY(!QFile::exists(dir.filePath("pics/.hidden.BIN")));

        r = runCli({"convert", "--recursive", "--out-dir", "out", "pics"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QStringList made;
        for (const QString &f : QDir(dir.filePath("out")).entryList(QDir::Files))
            made << f;
        QCOMPARE(made, QStringList({"a.BIN"}));
        QVERIFY(QFile::exists(dir.filePath("out/sub/b.BIN")));
        QVERIFY(QFile::exists(dir.filePath("out/sub/deeper/c.BIN")));
        QCOMPARE(readAll(dir.filePath("out/sub/b.BIN")), windowConversion(dir.filePath("pics/sub/b.jpeg")));

        r = runCli({"convert", "-o", "chosen name", "pics/a.png"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readAll(dir.filePath("chosen name")), readAll(dir.filePath("pics/a.BIN")));
    }

    // Japanese names with spaces and commas, in a folder chain longer than 260 characters.
    void longAwkwardPaths()
    {
        QTemporaryDir dir;
        QString folder = dir.path();
        for (int i = 0; i < 14; ++i)
            folder += QStringLiteral("/長いフォルダの名前, その%1 です").arg(i);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(folder.size() > 260); // beyond Windows' old MAX_PATH
        const QString picture = folder + QStringLiteral("/写真 1,2.jpg");
        save(photoLike(QSize(320, 240), 4), picture);

        Run r = runCli({"convert", picture}, dir.path());
        QCOMPARE(r.exitCode, 0);
        const QString bin = folder + QStringLiteral("/写真 1,2.BIN");
        QCOMPARE(readAll(bin), windowConversion(picture));
        r = runCli({"show", bin, "-o", folder + QStringLiteral("/見え方.png")}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QImage(folder + QStringLiteral("/見え方.png")).size(), QSize(320, 240));
        r = runCli({"info", bin}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QStringLiteral("320")));
    }

    void parallelEqualsOneJob_data()
    {
        QTest::addColumn<QString>("dither");
        QTest::newRow("none") << "none";
        QTest::newRow("floyd-steinberg") << "floyd-steinberg";
    }
    void parallelEqualsOneJob()
    {
        QFETCH(QString, dither);
        QTemporaryDir dir;
        const char *formats[] = {"jpg", "png", "bmp"};
        for (int i = 0; i < 24; ++i) {
            const QSize size(64 + 37 * (i % 9), 48 + 29 * (i % 7));
            save(photoLike(size, 100 + i),
                 dir.filePath(QStringLiteral("in/p%1.%2").arg(i).arg(formats[i % 3])));
        }
        const Run one =
            runCli({"convert", "--jobs", "1", "--dither", dither, "--out-dir", "one", "in"}, dir.path());
        const Run four =
            runCli({"convert", "--jobs", "4", "--dither", dither, "--out-dir", "four", "in"}, dir.path());
        QCOMPARE(one.exitCode, 0);
        QCOMPARE(four.exitCode, 0);
        const QStringList files = QDir(dir.filePath("one")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 24);
        QCOMPARE(QDir(dir.filePath("four")).entryList(QDir::Files, QDir::Name), files);
        for (const QString &f : files)
            QVERIFY2(readAll(dir.filePath("one/" + f)) == readAll(dir.filePath("four/" + f)), qPrintable(f));
    }

    void showEqualsBinToImage_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("320x240 png") << QSize(320, 240) << "shown.png" << QStringList();
        QTest::newRow("640x480 bmp") << QSize(640, 480) << "shown.bmp" << QStringList();
        QTest::newRow("other size") << QSize(100, 50) << "shown.png" << QStringList({"--size", "100x50"});
    }
    void showEqualsBinToImage()
    {
        QFETCH(QSize, size);
        QFETCH(QString, output);
        QFETCH(QStringList, extra);
        QTemporaryDir dir;
        save(photoLike(size, 11), dir.filePath("p.jpg"));
        QCOMPARE(runCli({"convert", "p.jpg"}, dir.path()).exitCode, 0);
        const Run r = runCli(QStringList({"show", "p.BIN", "-o", output}) + extra, dir.path());
        QCOMPARE(r.errLines, QStringList());
        QCOMPARE(r.exitCode, 0);

        const QByteArray bytes = readAll(dir.filePath("p.BIN"));
        QImage expected(size, QImage::Format_RGB32);
        paintBin(bytes, expected, size.width(), size.height(), [](int) {});
        if (binGeometry(bytes.size()))
            QCOMPARE(binToImage(bytes), expected);
        QCOMPARE(QImage(dir.filePath(output)).convertToFormat(QImage::Format_RGB32), expected);
    }

    void showDefaultsToPng()
    {
        QTemporaryDir dir;
        writeAll(dir.filePath("screen.BIN"), QByteArray(SmallBinLength, '\x25'));
        QCOMPARE(runCli({"show", "screen.BIN"}, dir.path()).exitCode, 0);
        const QImage shown(dir.filePath("screen.png"));
        QCOMPARE(shown.size(), QSize(320, 240));
        QCOMPARE(shown.pixel(319, 239), qRgb(63, 63, 127));
    }

    // On a smooth gradient truncation shows the top of each band; dithering should put the light of
    // each small area much closer to the picture's.
    void ditheringFollowsGradient()
    {
        QTemporaryDir dir;
        QImage gradient(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                gradient.setPixel(x, y, qRgb(x * 255 / 319, y * 255 / 239, (x + y) * 255 / 558));
        save(gradient, dir.filePath("g.png"));

        QMap<QString, double> error;
        for (const QString method : {"none", "floyd-steinberg", "ordered"}) {
            const QString out = method + ".BIN";
            const Run r = runCli({"convert", "--dither", method, "-o", out, "g.png"}, dir.path());
            QCOMPARE(r.exitCode, 0);
            const QImage shown = binToImage(readAll(dir.filePath(out)));
            QCOMPARE(shown.size(), gradient.size());
            error[method] = boxFilteredError(shown, gradient, 8);
        }
        qInfo() << "box-filtered error" << error;
        QVERIFY(error["none"] > 10);
        QVERIFY(error["floyd-steinberg"] < error["none"] / 4);
        QVERIFY(error["ordered"] < error["none"] / 4);
    }

    void fitOnBackground()
    {
        QTemporaryDir dir;
        QImage wide(1000, 500, QImage::Format_RGB32);
        wide.fill(qRgb(255, 0, 0));
        save(wide, dir.filePath("wide.png"));
        Run r = runCli({"convert", "--fit", "640x480", "--background", "#0000ff", "wide.png"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        const QByteArray bytes = readAll(dir.filePath("wide.BIN"));
        QCOMPARE(bytes.size(), LargeBinLength);
        const auto row = [&](int y) { return bytes.mid(qsizetype(y) * 640, 640); };
        QCOMPARE(row(0), QByteArray(640, '\x03'));
        QCOMPARE(row(79), QByteArray(640, '\x03'));
        QCOMPARE(row(80), QByteArray(640, '\xE0'));
        QCOMPARE(row(399), QByteArray(640, '\xE0'));
        QCOMPARE(row(400), QByteArray(640, '\x03'));

        // A small picture is centred unscaled, converted exactly as without --fit.
        save(photoLike(QSize(100, 50), 12), dir.filePath("small.png"));
        r = runCli({"convert", "--fit", "320x240", "small.png"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        const QByteArray fitted = readAll(dir.filePath("small.BIN"));
        QCOMPARE(fitted.size(), SmallBinLength);
        const QByteArray plain = windowConversion(dir.filePath("small.png"));
        for (int y = 0; y < 240; ++y) {
            const QByteArray line = fitted.mid(y * 320, 320);
            if (y < 95 || y >= 145) {
                QCOMPARE(line, QByteArray(320, '\0'));
            } else {
                QCOMPARE(line.mid(110, 100), plain.mid((y - 95) * 100, 100));
                QCOMPARE(line.left(110) + line.mid(210), QByteArray(220, '\0'));
            }
        }
    }

    // Made bitmaps through both convert roads: exactly the pictures they must give, or refused.
    void madeBitmaps_data()
    {
        test::addMadeBitmapRows();
    }
    void madeBitmaps()
    {
        QFETCH(QByteArray, file);
        QFETCH(QImage, picture);
        QTemporaryDir dir;
        writeAll(dir.filePath("made.bmp"), file);
        QCOMPARE(runCli({"convert", "made.bmp", "--fit", "320x240", "-o", "fit.BIN"}, dir.path()).exitCode,
                 runCli({"convert", "made.bmp"}, dir.path()).exitCode);
        if (picture.isNull())
            QVERIFY(QDir(dir.path()).entryList({"*.BIN"}).isEmpty());
        else
            QVERIFY(readAll(dir.filePath("made.BIN")) == reduced(picture) &&
                    readAll(dir.filePath("fit.BIN")) ==
                        reduced(scaleToFit(picture, {320, 240}, qRgb(0, 0, 0))));
    }

    // A large JPEG is shrunk while decoding; the result stays close to shrinking the whole picture.
    void fitLargeJpeg()
    {
        QTemporaryDir dir;
        const QImage photo = photoLike(QSize(1600, 1200), 13);
        save(photo, dir.filePath("photo.jpg"));
        const Run r = runCli({"convert", "--fit", "320x240", "photo.jpg"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        const QImage shown = binToImage(readAll(dir.filePath("photo.BIN")));
        QCOMPARE(shown.size(), QSize(320, 240));

        QImage full(dir.filePath("photo.jpg"));
        const QImage reference = scaleToFit(full, QSize(320, 240), qRgb(0, 0, 0));
        QByteArray bytes(SmallBinLength, '\0');
        for (int y = 0; y < 240; ++y)
            reduceRow(reinterpret_cast<const QRgb *>(reference.constScanLine(y)),
                      reinterpret_cast<uchar *>(bytes.data()) + y * 320, 320);
        QVERIFY(boxFilteredError(shown, binToImage(bytes), 8) < 4.0);
    }
};

QTEST_GUILESS_MAIN(TestCliEndToEnd)
#include "tst_cli_e2e.moc"
