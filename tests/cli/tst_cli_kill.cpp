#include "core/colour/rgb332.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

// The command line killed again and again in the middle of a run over existing BIN files: every
// BIN file is always either the old one or the whole new one, and SIGINT and SIGTERM leave no temporary
// file beside them. (SIGKILL cannot be caught: a kill between naming the new file and renaming it over
// the old one may leave the name, and is counted, not failed.)
class TestCliKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedRunsLeaveOldOrNew_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGKILL") << int(SIGKILL);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void killedRunsLeaveOldOrNew()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        constexpr int Pictures = 24;
        const QByteArray old(1000, 'o');
        QList<QByteArray> converted;
        for (int i = 0; i < Pictures; ++i) {
            QImage picture(320, 240, QImage::Format_RGB32);
            for (int y = 0; y < 240; ++y) {
                auto *row = reinterpret_cast<QRgb *>(picture.scanLine(y));
                for (int x = 0; x < 320; ++x)
                    row[x] = qRgb((x + i * 11) & 0xFF, (y * 2 + i) & 0xFF, (x * y + i) & 0xFF);
            }
            QVERIFY(picture.save(dir.filePath(QStringLiteral("p%1.png").arg(i)), "PNG"));
            QByteArray bytes(320 * 240, Qt::Uninitialized);
            for (int y = 0; y < 240; ++y)
                lumivert::reduceRow(reinterpret_cast<const QRgb *>(picture.constScanLine(y)),
                                    reinterpret_cast<uchar *>(bytes.data()) + y * 320, 320);
            converted << bytes;
        }

        int replaced = 0;
        int kept = 0;
        int leftovers = 0;
        // Sixteen rounds, and more on a machine so busy that the kills all fell before the first write or
        // after the last.
        for (int round = 0; round < 64 && (round < 16 || replaced == 0 || kept == 0); ++round) {
            for (int i = 0; i < Pictures; ++i) {
                QFile bin(dir.filePath(QStringLiteral("p%1.BIN").arg(i)));
                QVERIFY(bin.open(QIODevice::WriteOnly));
                bin.write(old);
            }
            QProcess cli;
            cli.start(QStringLiteral(LUMIVERT_CLI),
                      {QStringLiteral("convert"), QStringLiteral("--quiet"), QStringLiteral("--jobs"),
                       QStringLiteral("2"), dir.path()});
            QVERIFY(cli.waitForStarted());
            // Ever later kills, so that some land before the first write and some after the last, however
            // fast this machine is.
            QThread::usleep(QRandomGenerator::global()->bounded(1000, 10000 + round * 20000));
            ::kill(pid_t(cli.processId()), signal);
            QVERIFY(cli.waitForFinished(10000));
            const QStringList left =
                QDir(dir.path()).entryList({QStringLiteral(".lv-*")}, QDir::Files | QDir::Hidden);
            leftovers += int(left.size());
            for (const QString &name : left)
                QFile::remove(dir.filePath(name));

            for (int i = 0; i < Pictures; ++i) {
                QFile bin(dir.filePath(QStringLiteral("p%1.BIN").arg(i)));
                QVERIFY(bin.open(QIODevice::ReadOnly));
                const QByteArray now = bin.readAll();
                QVERIFY2(
                    now == old || now == converted[i],
                    qPrintable(
                        QStringLiteral("round %1, picture %2: %3 bytes").arg(round).arg(i).arg(now.size())));
                (now == old ? kept : replaced) += 1;
            }
        }
        // The kills fell both before and after some of the writes.
        QVERIFY(replaced > 0);
        QVERIFY(kept > 0);
        if (signal == SIGKILL) {
            qInfo("temporary files left by the SIGKILLs: %d", leftovers);
            return;
        }
#ifdef LUMIVERT_QT_ONLY
        QSKIP("Qt's own writer leaves its temporary file to a killed program");
#endif
        QCOMPARE(leftovers, 0);
    }
};

QTEST_GUILESS_MAIN(TestCliKill)
#include "tst_cli_kill.moc"
