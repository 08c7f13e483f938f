#include "app/session.h"
#include "core/files/regularfile.h"
#include "core/files/savefile.h"
#include "core/formats/pictureloader.h"
#include "core/platform.h"
#include "tests/robust/hostilejpeg.h"
#include "tests/support/modalscript.h"
#include "tests/testfiles.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(lumivert::Problem::Cause)

using namespace lumivert;
using namespace lumivert::test;

class TestHostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Special files, and files built to exhaust a decoder, are refused at once on every road (the
    // command line's roads are these functions too). A road that blocked would be ended by the alarm.
    void refusedOnEveryRoad_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("dropMessage");
        QTest::addColumn<Problem::Cause>("cause"); // why the loader refuses it under a fit request
        using Cause = Problem::Cause;
#ifdef LUMIVERT_QT_ONLY
        // Qt alone tells a plain file from the rest, but not which kind the rest is.
        const Cause fifo = Cause::NotRegular;
        const Cause device = Cause::NotRegular;
#else
        const Cause fifo = Cause::Fifo;
        const Cause device = Cause::Device;
#endif
        const QString notAFile = QStringLiteral("画像ファイル又はBINファイルではありません。");
        for (const auto &[title, kind, name, cause] :
             {std::tuple{"FIFO as a picture", "fifo", "p.jpg", fifo},
              {"FIFO as a BIN file", "fifo", "p.BIN", fifo},
              {"link to /dev/zero", "zero", "z.bin", device},
              {"Windows device name as a picture", "device", "con.jpg", device},
              {"Windows device name as a BIN file", "device", "NUL.BIN", device},
              {"folder", "folder", "f.jpg", Cause::Folder},
              {"BIN file over 64 MiB", "long", "l.BIN", Cause::NotAPicture},
              {"JPEG cut off", "cut", "c.jpg", Cause::Damaged},
              {"100000 scans", "scans", "m.jpg", Cause::Damaged}})
            QTest::newRow(title) << QString::fromLatin1(kind) << QString::fromLatin1(name) << notAFile
                                 << cause;
        // Without a fit request its size alone refuses it.
        QTest::newRow("progressive 30000x30000")
            << QStringLiteral("bomb") << QStringLiteral("b.jpg") << QStringLiteral("画像サイズオーバーです。")
            << Cause::Damaged;
    }
    void refusedOnEveryRoad()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, dropMessage);
        QFETCH(Problem::Cause, cause);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const bool special = kind == QLatin1String("fifo") || kind == QLatin1String("zero") ||
                             kind == QLatin1String("folder") || kind == QLatin1String("device");
#ifdef Q_OS_WIN
        if (kind == QLatin1String("fifo") || kind == QLatin1String("zero"))
            QSKIP("Windows has neither FIFOs nor /dev/zero");
#else
        if (kind == QLatin1String("device"))
            QSKIP("only Windows takes these names for devices");
#endif
#ifdef Q_OS_UNIX
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
        if (kind == QLatin1String("zero"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else if (kind == QLatin1String("long"))
            QVERIFY(QFile(path).open(QIODevice::WriteOnly) && QFile::resize(path, LongestBinBytes + 1));
        else if (kind == QLatin1String("cut"))
            writeFile(
                path,
                readFile(writePicture(dir.filePath("whole"), patternImage(300, 200), "JPG")).left(1000));
        else if (kind != QLatin1String("fifo") && kind != QLatin1String("device")) // the name makes a device
            writeFile(path, kind == QLatin1String("bomb") ? flatJpeg(30000, 30000, 2, true, 8)
                                                          : flatJpeg(640, 480, 100000, true, 1));
#ifdef Q_OS_UNIX
        ::alarm(20);
#endif

        PictureOptions fit;
        fit.fitInto = QSize(640, 480);
        const PictureLoad load = loadPicture(path, fit);
        QCOMPARE(load.problem.cause, cause);
        if (special || kind == QLatin1String("long"))
            QVERIFY(!readRegularFile(path, LongestBinBytes).ok());
        if (special)
            QVERIFY(saveBytes(path, QByteArray(76800, 'x')));

        ModalScript script;
        Session session({&script});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        session.openDropped(&data);
        QCOMPARE(script.messageTexts(), QStringList{dropMessage});
        QVERIFY(!session.convertedBytes());

#ifdef Q_OS_UNIX
        ::alarm(0);
#endif
    }

    // A name of the longest length a folder entry may have is written, and nothing is left beside it.
    void longestNameIsWritten()
    {
#if !LUMIVERT_POSIX
        QSKIP("QSaveFile names its temporary file after the target, seven characters longer");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(QString(251, u'n') + QStringLiteral(".BIN"));
        QVERIFY(!saveBytes(path, QByteArray(76800, 'x')));
        QVERIFY(!saveBytesUnsynced(path, QByteArray(10, 'y')));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
