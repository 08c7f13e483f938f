#include "sessiontest.h"

#include "app/session.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace lumivert;

namespace {

QStringList selection(const QString &folder, const QStringList &names)
{
    QStringList paths;
    for (const QString &name : names)
        paths << QDir::toNativeSeparators(QDir(folder).filePath(name));
    return paths;
}

const QString Finished = QStringLiteral("自動処理が終了しました。");

} // namespace

class TestBatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleFile()
    {
        SessionFixture f;
        const QImage picture = patternImage(64, 48);
        const QString path = writePicture(f.path("one.bmp"), picture);
        f.script.answerFile(path);
        f.session.runBatch();
        QCOMPARE(readFile(f.path("one.BIN")), reduced(picture));
        QCOMPARE(f.messageTexts(), QStringList{Finished});
        QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("通知")});
        QCOMPARE(f.log.status(), QStringLiteral("ＢＩＮファイル保存終了!!"));
        // The picture stays in full colour; the dialog keeps the result as it came.
        QCOMPARE(f.session.picture(), picture);
        QCOMPARE(f.session.fileDialog().fileName, path);
        QCOMPARE(f.log.caption, path);
    }

    void severalFilesWithAwkwardNames()
    {
        SessionFixture f;
        const QString dir = f.path(QStringLiteral("写真 フォルダ, 2"));
        QDir().mkpath(dir);
        const QStringList names{QStringLiteral("a,b.jpg"), QStringLiteral("絵 1.BMP"),
                                QStringLiteral("c.jpeg")};
        QList<QImage> pictures;
        for (int i = 0; i < names.size(); ++i) {
            pictures << patternImage(20 + i, 10 + i);
            writePicture(QDir(dir).filePath(names[i]), pictures.last(), i == 1 ? "BMP" : "PNG");
        }
        // An earlier run's longer output is replaced whole.
        writeFile(QDir(dir).filePath(QStringLiteral("a,b.BIN")), QByteArray(5000, 'x'));

        f.script.answerFiles(selection(dir, names));
        f.session.runBatch();
        QCOMPARE(readFile(QDir(dir).filePath(QStringLiteral("a,b.BIN"))), reduced(pictures[0]));
        QCOMPARE(readFile(QDir(dir).filePath(QStringLiteral("絵 1.BIN"))), reduced(pictures[1]));
        QCOMPARE(readFile(QDir(dir).filePath(QStringLiteral("c.jBIN"))), reduced(pictures[2]));
        QCOMPARE(f.messageTexts(), QStringList{Finished});
        QCOMPARE(*f.session.convertedBytes(), reduced(pictures[2]));
        QCOMPARE(f.log.widthText, QStringLiteral("X=22"));
    }

    void stopsAtOversizePicture()
    {
        SessionFixture f;
        writePicture(f.path("1.bmp"), patternImage(30, 20));
        writePicture(f.path("2.bmp"), patternImage(800, 600));
        writePicture(f.path("3.bmp"), patternImage(30, 20));
        f.script.answerFiles(selection(f.dir.path(), {"1.bmp", "2.bmp", "3.bmp"}));
        f.session.runBatch();
        QVERIFY(QFile::exists(f.path("1.BIN")));
        QVERIFY(!QFile::exists(f.path("2.BIN")));
        QVERIFY(!QFile::exists(f.path("3.BIN")));
        QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("画像サイズオーバーです。処理を中断します。")});
        QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("警告")});
        QCOMPARE(f.log.caption, f.path("2.bmp"));
        QCOMPARE(f.log.widthText, QStringLiteral("X=30")); // size labels keep their values
    }

    void stopsAndSaysWhy_data()
    {
        QTest::addColumn<QString>("second");  // the second picture's name
        QTest::addColumn<QString>("message"); // %1: the folder
        QTest::newRow("unreadable picture")
            << "broken.bmp"
            << "画像ファイルを読み込めませんでした。\n%1/broken.bmp\n処理を中断します。";
        QTest::newRow("output would replace the picture")
            << "x.BIN"
            << "BINファイルの名前が元の画像ファイルと同じです。\n%1/x.BIN\n処理を中断します。";
        QTest::newRow("output is a link to the picture")
            << "linked.bmp"
            << "BINファイルの名前が元の画像ファイルと同じです。\n%1/linked.bmp\n処理を中断します。";
        QTest::newRow("output cannot be written") << "blocked.jpg"
                                                  << "BINファイルを保存できませんでした。理由: "
                                                     "同じ名前のフォルダーが既にあります。\n%1/blocked.BIN\n"
                                                     "処理を中断します。";
        // Nothing the user has is lost: no input, no picture, no earlier output of the run.
        QTest::newRow("two pictures, one BIN file")
            << "first.png"
            << "このBINファイルには既に %1/first.bmp "
               "の変換結果を保存しました。\n%1/first.png\n処理を中断します。";
        QTest::newRow("output holds a picture")
            << "photo.jpg"
            << "保存先は画像ファイルです。BINファイルで上書きできません。\n%1/photo.jpg\n処理を中断します。";
        QTest::newRow("output is a later input")
            << "late.jpg"
            << "保存先は変換元のファイルです。\n%1/late.jpg\n処理を中断します。";
    }
    void stopsAndSaysWhy()
    {
        QFETCH(QString, second);
        QFETCH(QString, message);
#ifdef Q_OS_WIN
        if (second == QLatin1String("linked.bmp"))
            QSKIP("a link made by Qt on Windows is a shortcut file");
#endif
        SessionFixture f;
        writePicture(f.path("first.bmp"), patternImage(30, 20));
        if (second == QLatin1String("broken.bmp"))
            writeFile(f.path(second), "not a picture at all");
        else
            writePicture(f.path(second), patternImage(10, 10), "JPG");
        QDir().mkpath(f.path("blocked.BIN")); // a folder where the output should go
        QVERIFY(QFile::link(f.path("linked.bmp"), f.path("linked.BIN")));
        writePicture(f.path("third.bmp"), patternImage(30, 20));
        writePicture(f.path("photo.BIN"), patternImage(12, 12), "PNG");
        writePicture(f.path("late.BIN"), patternImage(12, 12), "PNG");
        const QByteArray secondBefore = readFile(f.path(second));
        const QByteArray picturesBefore = readFile(f.path("photo.BIN")) + readFile(f.path("late.BIN"));

        QStringList names{"first.bmp", second, "third.bmp"};
        if (second == QLatin1String("late.jpg"))
            names.append("late.BIN");
        f.script.answerFiles(selection(f.dir.path(), names));
        f.session.runBatch();
        QCOMPARE(readFile(f.path("first.BIN")), reduced(patternImage(30, 20)));
        QCOMPARE(readFile(f.path("photo.BIN")) + readFile(f.path("late.BIN")), picturesBefore);
        QVERIFY(!QFile::exists(f.path("third.BIN")));
        QCOMPARE(readFile(f.path(second)), secondBefore);
        QCOMPARE(f.messageTexts(), QStringList{QDir::toNativeSeparators(message.arg(f.dir.path()))});
        QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("警告")});
    }

    // After several files the dialogs propose, and the caption names, the folder that holds them.
    void severalFilesLeaveTheFolderAsName()
    {
        SessionFixture f;
        writePicture(f.path("a.bmp"), patternImage(10, 10));
        writePicture(f.path("d.bmp"), patternImage(10, 10));
        const QStringList chosen = selection(f.dir.path(), {"a.bmp", "d.bmp"});
        f.script.answerFiles(chosen);
        f.session.runBatch();
        QCOMPARE(f.session.fileDialog().fileName, QDir::toNativeSeparators(f.dir.path()));
        f.script.cancelFile();
        f.session.saveBin();
        QCOMPARE(f.script.fileRequests.last().fileName, QDir::toNativeSeparators(f.dir.path()));

        f.script.answerFiles(selection(f.dir.path(), {"a.BIN", "d.BIN"}));
        f.session.openBin();
        QCOMPARE(f.log.caption, QDir::toNativeSeparators(f.dir.path()));
    }

    void cancelledRunWritesNothing()
    {
        SessionFixture f;
        f.script.cancelFile();
        f.session.runBatch();
        QVERIFY(f.session.batchMode());
        QVERIFY(f.script.messages.isEmpty());
        QVERIFY(!f.session.convertedBytes());
    }

    // After a run, pictures that arrive other than through the open command convert without preview.
    void batchModeOutlivesTheRun()
    {
        SessionFixture f;
        const QImage picture = patternImage(30, 20);
        f.script.answerFile(writePicture(f.path("a.bmp"), picture));
        f.session.runBatch();
        QVERIFY(f.session.batchMode());

        const QImage dropped = patternImage(25, 15);
        f.drop({writePicture(f.path("d.png"), dropped, "PNG")});
        f.session.convertPicture();
        QCOMPARE(f.session.picture(), dropped);
        QCOMPARE(*f.session.convertedBytes(), reduced(dropped));

        const QImage pasted = patternImage(12, 9);
        f.clipboard.setImage(pasted);
        f.session.pastePicture();
        f.session.convertPicture();
        QCOMPARE(f.session.picture(), pasted);
        QCOMPARE(*f.session.convertedBytes(), reduced(pasted));

        // The open command ends it.
        f.openPicture(f.path("a.bmp"));
        f.session.convertPicture();
        QVERIFY(f.session.picture() != picture);
    }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
