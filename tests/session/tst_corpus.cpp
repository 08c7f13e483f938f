#include "sessiontest.h"
#include "tests/madebitmaps.h"

#include "app/session.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

const QString Corpus = QStringLiteral(LUMIVERT_CORPUS);

// Every corpus picture with its class: the manifest's for the JPEG files, the folder's for the BMP
// Suite (g valid, q questionable, b bad, x not a bitmap at all).
QList<QPair<QString, QString>> corpusFiles()
{
    QList<QPair<QString, QString>> files;
    QFile manifest(Corpus + QStringLiteral("/MANIFEST.tsv"));
    if (manifest.open(QIODevice::ReadOnly)) {
        manifest.readLine();
        while (!manifest.atEnd()) {
            const QStringList cols =
                QString::fromUtf8(manifest.readLine()).trimmed().split(QLatin1Char('\t'));
            if (cols.size() >= 3)
                files.append({cols[0], cols[2]});
        }
    }
    const QHash<QString, QString> folderClass{
        {"g", "loads"}, {"q", "either"}, {"b", "refused"}, {"x", "unreadable"}};
    QDirIterator it(Corpus + QStringLiteral("/bmpsuite"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(Corpus).relativeFilePath(path);
        files.append({relative, folderClass.value(relative.section(QLatin1Char('/'), 1, 1), "either")});
    }
    std::sort(files.begin(), files.end());
    return files;
}

enum class Outcome { Loaded, TooLarge, Failed };

bool allowed(const QString &cls, Outcome outcome)
{
    if (cls == QLatin1String("loads"))
        return outcome == Outcome::Loaded;
    if (cls == QLatin1String("too-large"))
        return outcome == Outcome::TooLarge;
    if (cls == QLatin1String("unreadable"))
        return outcome == Outcome::Failed;
    if (cls == QLatin1String("refused"))
        return outcome != Outcome::Loaded;
    return true;
}

} // namespace

class TestCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo::exists(Corpus))
            QFAIL("the picture corpus is missing: " LUMIVERT_CORPUS);
        QVERIFY(corpusFiles().size() > 100);
    }

    void roads_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("road");
        for (const auto &[file, cls] : corpusFiles()) {
            for (const char *road : {"open", "drop", "batch"})
                QTest::addRow("%s %s", road, qPrintable(file)) << file << cls << QString::fromLatin1(road);
        }
    }
    void roads()
    {
        QFETCH(QString, file);
        QFETCH(QString, cls);
        QFETCH(QString, road);
        SessionFixture f;
        // A copy, so that the batch run writes its BIN file into our own folder.
        const QString path = f.path(QFileInfo(file).fileName());
        QVERIFY(QFile::copy(Corpus + QLatin1Char('/') + file, path));
        const QString oversize = QStringLiteral("画像サイズオーバーです。");

        Outcome outcome = Outcome::Failed;
        if (road == QLatin1String("open")) {
            f.openPicture(path);
            if (f.showsPicture())
                outcome = Outcome::Loaded;
            else if (f.messageTexts() == QStringList{oversize})
                outcome = Outcome::TooLarge;
            else
                QVERIFY(f.script.messages.isEmpty()); // this road fails silently
        } else if (road == QLatin1String("drop")) {
            f.drop({path});
            QCOMPARE(f.script.messages.size(), f.showsPicture() ? 0 : 1);
            if (f.showsPicture())
                outcome = Outcome::Loaded;
            else if (f.messageTexts() == QStringList{oversize})
                outcome = Outcome::TooLarge;
            else
                QCOMPARE(f.messageTexts(),
                         QStringList{QStringLiteral("画像ファイル又はBINファイルではありません。")});
        } else {
            f.script.answerFile(path);
            f.session.runBatch();
            QCOMPARE(f.script.messages.size(), 1);
            const QString bin = path.chopped(3) + QStringLiteral("BIN");
            if (f.messageTexts() == QStringList{QStringLiteral("自動処理が終了しました。")}) {
                outcome = Outcome::Loaded;
                QCOMPARE(QFileInfo(bin).size(),
                         qint64(f.session.picture().width()) * f.session.picture().height());
            } else if (f.messageTexts() ==
                       QStringList{QStringLiteral("画像サイズオーバーです。処理を中断します。")}) {
                outcome = Outcome::TooLarge;
            } else {
                QVERIFY(f.script.messages.first().text.contains(path));
                QVERIFY(!QFileInfo::exists(bin));
            }
        }
        if (outcome == Outcome::Loaded) {
            QVERIFY(f.session.picture().width() <= 640 && f.session.picture().height() <= 480);
            f.session.convertPicture();
            QCOMPARE(f.session.convertedBytes()->size(),
                     qsizetype(f.session.picture().width()) * f.session.picture().height());
        }
        QVERIFY2(allowed(cls, outcome),
                 qPrintable(QStringLiteral("class %1, outcome %2").arg(cls).arg(int(outcome))));
    }

    // Made bitmaps (alpha masks, run-length jumps and early ends, damaged runs) take the same way on
    // every road: the same picture, or refused.
    void madeBitmapsOnEveryRoad_data() { lumivert::test::addMadeBitmapRows(); }
    void madeBitmapsOnEveryRoad()
    {
        QFETCH(QByteArray, file);
        QFETCH(QImage, picture);
        for (const char *road : {"open", "drop", "batch"}) {
            SessionFixture f;
            const QString path = f.path(QStringLiteral("made.bmp"));
            writeFile(path, file);
            if (qstrcmp(road, "open") == 0) {
                f.openPicture(path);
            } else if (qstrcmp(road, "drop") == 0) {
                f.drop({path});
            } else {
                f.script.answerFile(path);
                f.session.runBatch();
                QCOMPARE(readFile(f.path(QStringLiteral("made.BIN"))),
                         picture.isNull() ? QByteArray() : reduced(picture));
            }
            QCOMPARE(f.showsPicture(), !picture.isNull());
            if (!picture.isNull())
                QCOMPARE(f.session.picture(), picture);
        }
    }
};

QTEST_MAIN(TestCorpus)
#include "tst_corpus.moc"
