#include "app/outputnaming.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <filesystem>
#else
#include <unistd.h>
#endif

using namespace lumivert;

class TestOutputNaming : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outputPath_data();
    void outputPath();
    void outputProblem_data();
    void outputProblem();
    void outputThatIsThePicture_data();
    void outputThatIsThePicture();
};

void TestOutputNaming::outputPath_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("output"); // null when there is none

    QTest::newRow("lower-case bmp") << QStringLiteral("/x/a.bmp") << QStringLiteral("/x/a.BIN");
    QTest::newRow("JPG") << QStringLiteral("C:\\pics\\b.JPG") << QStringLiteral("C:\\pics\\b.BIN");
    QTest::newRow("four-letter extension") << QStringLiteral("/x/a.jpeg") << QStringLiteral("/x/a.jBIN");
    QTest::newRow("no extension") << QStringLiteral("photo") << QStringLiteral("phBIN");
    QTest::newRow("comma in the name") << QStringLiteral("/x/a,b.jpg") << QStringLiteral("/x/a,b.BIN");
    QTest::newRow("three characters") << QStringLiteral("abc") << QStringLiteral("BIN");
    QTest::newRow("too short") << QStringLiteral("ab") << QString();
}

void TestOutputNaming::outputPath()
{
    QFETCH(QString, picture);
    QFETCH(QString, output);

    const std::optional<QString> path = batchOutputPath(picture);
    QCOMPARE(path.has_value(), !output.isNull());
    if (path)
        QCOMPARE(*path, output);
}

void TestOutputNaming::outputProblem_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<bool>("refused");

    const QChar slash(u'/');
    QTest::newRow("ordinary") << QStringLiteral("/x/a.bmp") << slash << false;
    QTest::newRow("root folder") << QStringLiteral("/a.jpg") << slash << false;
    QTest::newRow("four-letter extension") << QStringLiteral("/x/a.jpeg") << slash << false;
    QTest::newRow("short name stays inside") << QStringLiteral("/x/abc") << slash << false;
    QTest::newRow("picture named like its output") << QStringLiteral("/x/a.BIN") << slash << true;
    QTest::newRow("output leaves the folder") << QStringLiteral("/x/ab") << slash << true;
    QTest::newRow("output becomes the parent") << QStringLiteral("/x/a") << slash << true;
    QTest::newRow("drive folder left") << QStringLiteral("C:\\x\\ab") << QChar(u'\\') << true;
    QTest::newRow("drive folder kept") << QStringLiteral("C:\\x\\a.bmp") << QChar(u'\\') << false;
}

void TestOutputNaming::outputProblem()
{
    QFETCH(QString, picture);
    QFETCH(QChar, separator);
    QFETCH(bool, refused);

    const QString output = batchOutputPath(picture).value();
    QVERIFY2(bool(batchOutputProblem(picture, output, separator)) == refused, qPrintable(output));
}

void TestOutputNaming::outputThatIsThePicture_data()
{
    QTest::addColumn<int>("link"); // 0: none, 1: symbolic, 2: hard

    QTest::newRow("its own old BIN file") << 0;
    QTest::newRow("symbolic link to the picture") << 1;
    QTest::newRow("hard link to the picture") << 2;
}

void TestOutputNaming::outputThatIsThePicture()
{
    QFETCH(int, link);
#ifdef LUMIVERT_QT_ONLY
    if (link == 2)
        QSKIP("Qt alone knows a file by its canonical path, which a hard link does not share");
#endif

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString picture = dir.filePath(QStringLiteral("s.bmp"));
    const QString output = batchOutputPath(picture).value();
    QVERIFY(QFile(picture).open(QIODevice::WriteOnly));
#ifdef Q_OS_WIN
    if (link == 1)
        QSKIP("a symbolic link needs a privilege on Windows that users seldom have");
    std::error_code error;
    if (link == 2)
        std::filesystem::create_hard_link(picture.toStdWString(), output.toStdWString(), error);
    QVERIFY(link ? !error : QFile(output).open(QIODevice::WriteOnly));
#else
    const auto make = link == 1 ? &::symlink : &::link;
    QVERIFY(link ? make(QFile::encodeName(picture).constData(), QFile::encodeName(output).constData()) == 0
                 : QFile(output).open(QIODevice::WriteOnly));
#endif
    QCOMPARE(batchOutputProblem(picture, output, u'/').cause,
             link ? Problem::Cause::OutputIsPicture : Problem::Cause::None);
}

QTEST_GUILESS_MAIN(TestOutputNaming)
#include "tst_outputnaming.moc"
