#include "core/modal.h"
#include "core/pictureloader.h"
#include "core/regularfile.h"
#include "core/savefile.h"
#include "core/session.h"
#include "tests/robust/hostilejpeg.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace lumivert;
using namespace lumivert::test;

namespace {

// Ends the test run when a road has not come back in time: a road that blocks would otherwise hang
// the whole suite.
class Deadline
{
public:
    explicit Deadline(const char *road) : m_road(road)
    {
        m_watch = std::thread([this] {
            for (int tenths = 0; tenths < 100; ++tenths) {
                if (m_done)
                    return;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            qFatal("%s did not come back within 10 s", m_road);
        });
    }
    ~Deadline()
    {
        m_done = true;
        m_watch.join();
    }

private:
    const char *m_road;
    std::atomic<bool> m_done{false};
    std::thread m_watch;
};

// A bound Unix socket at `path`, or -1.
int bindSocket(const QString &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return -1;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Files that are not pictures or BIN files, or are built to exhaust a decoder, are refused at once
    // on every road.
    void refusedOnEveryRoad_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("special"); // no plain file: neither read as a BIN file nor written
        QTest::addColumn<QString>("dropMessage");
        const QString notAFile = QStringLiteral("画像ファイル又はBINファイルではありません。");
        const auto row = [](const char *title, const char *kind, const char *name, bool special,
                            const QString &dropMessage) {
            QTest::newRow(title) << QString::fromLatin1(kind) << QString::fromLatin1(name) << special
                                 << dropMessage;
        };
        row("FIFO named as a picture", "fifo", "p.jpg", true, notAFile);
        row("FIFO named as a BIN file", "fifo", "p.BIN", true, notAFile);
        row("link to /dev/zero", "zero", "z.bin", true, notAFile);
        row("folder", "folder", "f.jpg", true, notAFile);
        row("socket", "socket", "s.BIN", true, notAFile);
        row("BIN file over 64 MiB", "long", "l.BIN", false, notAFile);
        row("JPEG cut off", "cut", "c.jpg", false, notAFile);
        // Without a fit request its size alone refuses it.
        row("progressive 30000x30000", "bomb", "b.jpg", false, QStringLiteral("画像サイズオーバーです。"));
        row("100000 scans", "scans", "m.jpg", false, notAFile);
    }
    void refusedOnEveryRoad()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(bool, special);
        QFETCH(QString, dropMessage);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        int socket = -1;
        const auto closeSocket = qScopeGuard([&socket] {
            if (socket >= 0)
                ::close(socket);
        });
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == QLatin1String("socket")) {
            socket = bindSocket(path);
            QVERIFY(socket >= 0);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (kind == QLatin1String("long"))
                QVERIFY(file.resize(LongestBinBytes + 1));
            else if (kind == QLatin1String("cut"))
                file.write(noiseJpeg(200, 200).left(1000));
            else if (kind == QLatin1String("bomb"))
                file.write(flatJpeg(30000, 30000, 2, true, 8));
            else
                file.write(flatJpeg(640, 480, 100000, true, 1));
        }

        {
            Deadline deadline("the loader");
            PictureOptions fit;
            fit.fitInto = QSize(640, 480);
            const PictureLoad load = loadPicture(path, fit);
            QCOMPARE(load.status, PictureLoad::Unreadable);
            QVERIFY(!load.error.isEmpty());
        }
        if (special || kind == QLatin1String("long")) {
            Deadline deadline("the BIN reader");
            const ReadFile read = readRegularFile(path, LongestBinBytes);
            QVERIFY(!read.ok());
            QVERIFY(read.bytes.isEmpty());
        }
        if (special) {
            Deadline deadline("the writer");
            QVERIFY(!saveBytes(path, QByteArray(76800, 'x')).isEmpty());
        }
        {
            Deadline deadline("the drop");
            Session session;
            QStringList messages;
            connect(&session, &Session::messageRequested,
                    [&messages](const Message &message) { messages << message.text; });
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            session.openDropped(&data);
            QCOMPARE(messages, QStringList{dropMessage});
            QVERIFY(!session.convertedBytes());
        }
        {
            Deadline deadline("lumivert-cli");
            QProcess cli;
            // A BIN file is shown, a picture converted; a folder can only be described.
            const bool bin = name.endsWith(QLatin1String("BIN"), Qt::CaseInsensitive);
            const QStringList arguments =
                kind == QLatin1String("folder")
                    ? QStringList{QStringLiteral("info"), path}
                    : QStringList{bin ? QStringLiteral("show") : QStringLiteral("convert"),
                                  QStringLiteral("-o"),
                                  dir.filePath(bin ? QStringLiteral("out.png") : QStringLiteral("out.BIN")),
                                  QStringLiteral("--"), path};
            cli.start(QStringLiteral(LUMIVERT_CLI), arguments);
            QVERIFY(cli.waitForFinished(9000));
            QCOMPARE(cli.exitCode(), 1);
        }
    }

    // A target name of the longest length a folder entry may have is written.
    void longestNameIsWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString(251, u'n') + QStringLiteral(".BIN"));
        QCOMPARE(saveBytes(path, QByteArray(76800, 'x')), QString());
        QCOMPARE(saveBytesUnsynced(path, QByteArray(10, 'y')), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // A run killed by SIGTERM leaves its outputs, complete, and nothing else.
    void terminatedWriterLeavesNoTemporaryFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.BIN"));
        for (int round = 0; round < 20; ++round) {
            QProcess victim;
            victim.start(QStringLiteral(SAVE_VICTIM), {QStringLiteral("bin-unsynced"), path});
            QVERIFY(victim.waitForReadyRead(10000));
            QThread::usleep(QRandomGenerator::global()->bounded(500, 20000));
            victim.terminate();
            QVERIFY(victim.waitForFinished(10000));
            QCOMPARE(victim.exitStatus(), QProcess::CrashExit);
            const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
            QVERIFY2(left.isEmpty() || left == QStringList{QStringLiteral("out.BIN")},
                     qPrintable(left.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
