#include "core/colour/rgb332.h"
#include "core/files/savefile.h"
#include "core/formats/bmpfile.h"
#include "core/platform.h"
#include "tests/madebitmaps.h"
#include "tests/robust/hostilejpeg.h"
#include "tests/testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

using namespace lumivert::test;

namespace {

// Reads the process's lines until one is `line`; false when it ends or the deadline passes first.
bool waitForLine(QProcess &process, const QByteArray &line)
{
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        while (process.canReadLine()) {
            if (process.readLine().trimmed() == line)
                return true;
        }
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(int(qMax(qint64(1), deadline.remainingTime())));
    }
    return false;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    const QByteArray body = QByteArray(type) + data;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(body), crc.data());
    return chunk + body + crc;
}

// A valid, small PNG of a large white-and-black picture (1 bit per pixel, every row zero).
QByteArray largePng(int width, int height)
{
    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 1; // bit depth
    header[9] = 0; // grey
    const QByteArray rows(qsizetype(height) * (1 + (width + 7) / 8), '\0');
    const QByteArray zlib = qCompress(rows, 9).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlib) +
           pngChunk("IEND", {});
}

} // namespace

class TestRobust : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // However often a save is killed half way, the file holds either its old or a new content.
    void killedSavesLeaveOldOrNew_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("window");    // through the main window's own save commands
        QTest::addColumn<bool>("terminate"); // SIGTERM, which also leaves no temporary file, else SIGKILL
        QTest::newRow("BIN") << "bin" << false << false;
        QTest::newRow("BMP") << "bmp" << false << false;
        QTest::newRow("BIN, bulk writer") << "bin-unsynced" << false << false;
        QTest::newRow("BIN, bulk writer, SIGTERM") << "bin-unsynced" << false << true;
        QTest::newRow("window, BIN") << "bin" << true << false;
        QTest::newRow("window, BMP") << "bmp" << true << false;
    }
    void killedSavesLeaveOldOrNew()
    {
        QFETCH(QString, kind);
        QFETCH(bool, window);
        QFETCH(bool, terminate);
#if !LUMIVERT_POSIX
        if (terminate)
            QSKIP("Qt's own writer leaves its temporary file to a killed program");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out file"));
        const QByteArray old(1000, 'o');
        QList<QByteArray> allowed{old};
        for (const QRgb colour : {qRgb(20, 40, 60), qRgb(200, 100, 50)}) {
            if (window && kind == QLatin1String("bin")) {
                // The window converts, then saves the RGB332 bytes or its preview.
                allowed << QByteArray(307200, char(lumivert::reducePixel(colour)));
            } else if (kind.startsWith(QLatin1String("bin"))) {
                allowed << QByteArray(307200, colour == qRgb(20, 40, 60) ? '\x22' : '\x33');
            } else {
                QImage picture(640, 480, QImage::Format_RGB32);
                picture.fill(window ? lumivert::previewPixel(colour) : colour);
                allowed << lumivert::encodeBmp24(picture);
            }
        }

        // A process costs far more to start on Windows, and most under Wine: fewer rounds there.
#ifdef Q_OS_WIN
        constexpr int Rounds = 12;
#else
        constexpr int Rounds = 40;
#endif
        int replaced = 0;
        for (int round = 0; round < Rounds; ++round) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
            file.close();

            QProcess victim;
            victim.start(QStringLiteral(SAVE_VICTIM),
                         {window ? QStringLiteral("window-") + kind : kind, path});
            QVERIFY(waitForLine(victim, "ready"));
            // Every other kill comes only once a save has completed, so that some kills land while
            // one new content replaces the other, however long the first save takes on a busy
            // machine; the others may land in the first save, over the old file.
            if (round % 2 == 1)
                QVERIFY2(waitForLine(victim, "saved"), "the first save never completed");
            QThread::usleep(QRandomGenerator::global()->bounded(500, 20000));
            terminate ? victim.terminate() : victim.kill();
            QVERIFY(victim.waitForFinished(10000));
            QCOMPARE(victim.exitStatus(), QProcess::CrashExit);
            if (terminate)
                QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), {"out file"});

            const QByteArray now = readFile(path);
            QVERIFY2(allowed.contains(now),
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
            replaced += now != old;
        }
        QVERIFY2(replaced > 0, "the saves never got as far as replacing the file");
    }

    // Pictures that only claim to be huge, or are built to keep a decoder busy, are refused without
    // allocating what they claim.
    void hugeClaimsStaySmall_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QString>("status");
        QTest::newRow("bitmap claiming 64250x64250") << bmp24(64250, 64250) << false << "too-large";
        QTest::newRow("top-down bitmap claiming 64250x64250") << bmp24(64250, -64250) << false << "too-large";
        QTest::newRow("real PNG of 10000x10000") << largePng(10000, 10000) << false << "too-large";
        QTest::newRow("real PNG of 641x480") << largePng(641, 480) << false << "too-large";
        QTest::newRow("real PNG of 640x480") << largePng(640, 480) << false << "loaded";
        QTest::newRow("bitmap claiming zero width") << bmp24(0, 10) << false << "unreadable";
        QTest::newRow("progressive JPEG of 30000x30000, fitted")
            << lumivert::test::flatJpeg(30000, 30000, 2, true, 8) << true << "unreadable";
        QTest::newRow("JPEG of 640x480 in 100000 scans")
            << lumivert::test::flatJpeg(640, 480, 100000, true, 1) << false << "unreadable";
        QTest::newRow("JPEG of 30000x30000 in one scan, fitted")
            << lumivert::test::flatJpeg(30000, 30000, 1, false) << true << "loaded";
    }
    void hugeClaimsStaySmall()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, fit);
        QFETCH(QString, status);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("claim"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        QProcess probe;
        probe.start(QStringLiteral(LOAD_PROBE),
                    fit ? QStringList{path, QStringLiteral("fit")} : QStringList{path});
        QVERIFY(probe.waitForFinished(30000));
        const QList<QByteArray> out = probe.readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(out.size(), 3);
        QCOMPARE(QString::fromLatin1(out[0]), status);
        const long peakKiB = out[1].toLong();
        qInfo("peak resident memory: %ld KiB, %s ms", peakKiB, out[2].constData());
        // A fitted picture is decoded shrunk, at most to the decode limit.
        QVERIFY2(peakKiB < (fit ? 160 : 100) * 1024, qPrintable(QString::number(peakKiB)));
        // Only where the time is measured alone (the timing label).
        if (!qEnvironmentVariableIsEmpty("LUMIVERT_TIMING"))
            QVERIFY2(out[2].toLong() < 2000, out[2].constData());
    }
};

QTEST_GUILESS_MAIN(TestRobust)
#include "tst_robust.moc"
