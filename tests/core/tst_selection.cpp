#include "core/selection.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace lumivert;

namespace {

QString nul()
{
    return QString(QChar(u'\0'));
}

} // namespace

class TestSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void outputPath_data();
    void outputPath();
    void outputProblem_data();
    void outputProblem();
    void outputThatIsThePicture_data();
    void outputThatIsThePicture();
};

void TestSelection::parse_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QStringList>("files");

    const QChar slash(u'/');
    const QChar backslash(u'\\');
    QTest::newRow("one file") << QStringLiteral("/pics/a.jpg") << slash
                              << QStringList{QStringLiteral("/pics/a.jpg")};
    QTest::newRow("one file with a comma")
        << QStringLiteral("/pics/a,b.jpg") << slash << QStringList{QStringLiteral("/pics/a,b.jpg")};
    QTest::newRow("several, in the dialog's order")
        << QStringLiteral("/pics") + nul() + QStringLiteral("b.bmp") + nul() + QStringLiteral("a.jpg") +
               nul() + QStringLiteral("c.BMP")
        << slash
        << QStringList{QStringLiteral("/pics/b.bmp"), QStringLiteral("/pics/a.jpg"),
                       QStringLiteral("/pics/c.BMP")};
    QTest::newRow("root folder") << QStringLiteral("/") + nul() + QStringLiteral("a.jpg") + nul() +
                                        QStringLiteral("b.jpg")
                                 << slash << QStringList{QStringLiteral("/a.jpg"), QStringLiteral("/b.jpg")};
    QTest::newRow("drive root") << QStringLiteral("C:\\") + nul() + QStringLiteral("a.bmp") + nul() +
                                       QStringLiteral("b.bmp")
                                << backslash
                                << QStringList{QStringLiteral("C:\\a.bmp"), QStringLiteral("C:\\b.bmp")};
    QTest::newRow("comma in a name") << QStringLiteral("/p") + nul() + QStringLiteral("a,b.jpg") + nul() +
                                            QStringLiteral("c.jpg")
                                     << slash
                                     << QStringList{QStringLiteral("/p/a,b.jpg"), QStringLiteral("/p/c.jpg")};
    QTest::newRow("blanks and non-ASCII")
        << QStringLiteral("/写真 集") + nul() + QStringLiteral("春 1.jpg") + nul() + QStringLiteral("夏.bmp")
        << slash << QStringList{QStringLiteral("/写真 集/春 1.jpg"), QStringLiteral("/写真 集/夏.bmp")};
}

void TestSelection::parse()
{
    QFETCH(QString, selection);
    QFETCH(QChar, separator);
    QTEST(parseSelection(selection, separator), "files");
}

void TestSelection::outputPath_data()
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

void TestSelection::outputPath()
{
    QFETCH(QString, picture);
    QFETCH(QString, output);

    const std::optional<QString> path = batchOutputPath(picture);
    QCOMPARE(path.has_value(), !output.isNull());
    if (path)
        QCOMPARE(*path, output);
}

void TestSelection::outputProblem_data()
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

void TestSelection::outputProblem()
{
    QFETCH(QString, picture);
    QFETCH(QChar, separator);
    QFETCH(bool, refused);

    const QString output = batchOutputPath(picture).value();
    const QString problem = batchOutputProblem(picture, output, separator);
    QVERIFY2(problem.isEmpty() != refused, qPrintable(output));
}

void TestSelection::outputThatIsThePicture_data()
{
    QTest::addColumn<int>("link"); // 0: none, 1: symbolic, 2: hard

    QTest::newRow("its own old BIN file") << 0;
    QTest::newRow("symbolic link to the picture") << 1;
    QTest::newRow("hard link to the picture") << 2;
}

void TestSelection::outputThatIsThePicture()
{
    QFETCH(int, link);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString picture = dir.filePath(QStringLiteral("s.bmp"));
    const QString output = batchOutputPath(picture).value();
    QVERIFY(QFile(picture).open(QIODevice::WriteOnly));
    const auto make = link == 1 ? &::symlink : &::link;
    QVERIFY(link ? make(QFile::encodeName(picture).constData(), QFile::encodeName(output).constData()) == 0
                 : QFile(output).open(QIODevice::WriteOnly));
    QCOMPARE(batchOutputProblem(picture, output, u'/'),
             link ? QStringLiteral("BINファイルの名前が元の画像ファイルと同じです。") : QString());
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
