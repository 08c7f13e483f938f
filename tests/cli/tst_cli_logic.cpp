#include "cli/arguments.h"
#include "cli/plan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lumivert;
using namespace lumivert::cli;

namespace {

void touch(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QStringList outputsOf(const ConversionPlan &plan, const QString &root)
{
    QStringList out;
    for (const Conversion &c : plan.conversions)
        out.append(QDir(root).relativeFilePath(c.input) + QStringLiteral(" -> ") +
                   QDir(root).relativeFilePath(c.output));
    return out;
}

} // namespace

class TestCliLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        const auto row = [](const char *name, const QStringList &args, const char *error) {
            QTest::newRow(name) << args << QString::fromUtf8(error);
        };
        row("nothing", {}, "no command");
        row("unknown command", {"convret", "a.jpg"}, "unknown command 'convret'");
        row("unknown option", {"convert", "--bogus", "x"}, "unknown option '--bogus'");
        row("unknown short option", {"convert", "-z", "x"}, "unknown option '-z'");
        row("-o with two pictures", {"convert", "-o", "x.BIN", "a", "b"}, "exactly one picture");
        row("-o with out-dir", {"convert", "-o", "x.BIN", "--out-dir", "d", "a"}, "cannot be used together");
        row("convert without input", {"convert", "-q"}, "at least one picture");
        row("jobs zero", {"convert", "--jobs", "0", "a"}, "--jobs needs a number");
        row("jobs word", {"convert", "--jobs", "many", "a"}, "--jobs needs a number");
        row("jobs missing value", {"convert", "a", "--jobs"}, "needs a value");
        row("fit other size", {"convert", "--fit", "800x600", "a"}, "--fit must be 320x240 or 640x480");
        row("fit signed", {"convert", "--fit", "+320x240", "a"}, "--fit must be");
        row("dither unknown", {"convert", "--dither", "atkinson", "a"}, "--dither must be");
        row("gamma zero", {"convert", "--gamma", "0", "a"}, "--gamma must be srgb or a number from 0.1 to 5");
        row("gamma too steep", {"convert", "--gamma", "6", "a"}, "--gamma must be");
        row("gamma word", {"convert", "--gamma", "linear", "a"}, "--gamma must be");
        row("background unknown", {"convert", "--background", "blurple", "a"}, "--background must be");
        row("flag with value", {"convert", "--quiet=yes", "a"}, "takes no value");
        row("option of another command", {"show", "--dither", "ordered", "a.BIN"}, "does not apply");
        row("show two files", {"show", "a.BIN", "b.BIN"}, "exactly one BIN");
        row("show bad size", {"show", "--size", "100", "a.BIN"}, "--size must be");
        row("info without file", {"info"}, "at least one file");
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        const ParsedArguments parsed = parseArguments(args);
        QVERIFY(!parsed.arguments);
        QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
    }

    void understoodArguments()
    {
        auto a = parseArguments({"convert", "-r", "-j", "3", "--dither=ordered", "--fit", "320X240",
                                 "--background", "#102030", "-k", "-q", "--out-dir", "out", "a", "b"})
                     .arguments;
        QVERIFY(a);
        QCOMPARE(a->command, Command::Convert);
        QCOMPARE(a->inputs, QStringList({"a", "b"}));
        QVERIFY(a->recursive && a->keepGoing && a->quiet);
        QCOMPARE(a->jobs, 3);
        QCOMPARE(a->dither, Dither::Ordered);
        QCOMPARE(a->fit, std::optional<QSize>(QSize(320, 240)));
        QCOMPARE(a->background, qRgb(0x10, 0x20, 0x30));
        QCOMPARE(a->outDir, QStringLiteral("out"));

        a = parseArguments({"convert", "-j2", "-oout.BIN", "--", "-odd.jpg"}).arguments;
        QVERIFY(a);
        QCOMPARE(a->jobs, 2);
        QCOMPARE(a->output, QStringLiteral("out.BIN"));
        QCOMPARE(a->inputs, QStringList({"-odd.jpg"}));
        QCOMPARE(a->dither, Dither::None);
        QCOMPARE(a->light, LightResponse::srgb());
        QCOMPARE(a->background, qRgb(0, 0, 0));

        a = parseArguments({"convert", "--dither", "nearest", "--gamma", "2.2", "a"}).arguments;
        QVERIFY(a);
        QCOMPARE(a->dither, Dither::Nearest);
        QCOMPARE(a->light, LightResponse::power(2.2));
        QCOMPARE(parseArguments({"convert", "--gamma=srgb", "a"}).arguments->light, LightResponse::srgb());

        a = parseArguments({"show", "--size", "100x50", "a.BIN"}).arguments;
        QVERIFY(a);
        QCOMPARE(a->size, std::optional<QSize>(QSize(100, 50)));
        QCOMPARE(parseArguments({"convert", "x", "-h"}).arguments->command, Command::Help);
        QCOMPARE(parseArguments({"--version"}).arguments->command, Command::Version);
    }

    void binNames_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("foundIn");
        QTest::addColumn<QString>("outDir");
        QTest::addColumn<QString>("expected");
        QTest::newRow("jpg") << "a.jpg"
                             << ""
                             << ""
                             << "a.BIN";
        QTest::newRow("long extension") << "dir/photo.jpeg"
                                        << ""
                                        << ""
                                        << "dir/photo.BIN";
        QTest::newRow("last extension only") << "a.tar.png"
                                             << ""
                                             << ""
                                             << "a.tar.BIN";
        QTest::newRow("no extension") << "photo"
                                      << ""
                                      << ""
                                      << "photo.BIN";
        QTest::newRow("dot in folder only") << "my.dir/photo"
                                            << ""
                                            << ""
                                            << "my.dir/photo.BIN";
        QTest::newRow("hidden file") << "/p/.jpg"
                                     << ""
                                     << ""
                                     << "/p/.jpg.BIN";
        QTest::newRow("already BIN") << "x.BIN"
                                     << ""
                                     << ""
                                     << "x.BIN";
        QTest::newRow("out dir") << "/a/b/c.bmp"
                                 << ""
                                 << "/out"
                                 << "/out/c.BIN";
        QTest::newRow("out dir keeps sub-folder") << "/pics/trip/day1/c.bmp"
                                                  << "/pics"
                                                  << "/out"
                                                  << "/out/trip/day1/c.BIN";
        QTest::newRow("out dir, top of folder") << "/pics/c.bmp"
                                                << "/pics/"
                                                << "/out"
                                                << "/out/c.BIN";
    }
    void binNames()
    {
        QFETCH(QString, picture);
        QFETCH(QString, foundIn);
        QFETCH(QString, outDir);
        QFETCH(QString, expected);
        QCOMPARE(binOutputPath(picture, foundIn, outDir), expected);
    }

    void plan()
    {
        QTemporaryDir dir;
        const QString r = dir.path();
        for (const char *name :
             {"a.jpg", "a.png", "photo", "photo.BIN", "pics/p.png", "pics/sub/q.png", "pics/n.txt"})
            touch(r + '/' + name);
        const QStringList ext = readableExtensions();

        // a.jpg twice (once through a link) is converted once; a.png would write a.jpg's output; photo's
        // output is the input photo.BIN, which would replace itself.
        QVERIFY(QFile::link(r + "/a.jpg", r + "/link.jpg"));
        const ConversionPlan p = planConversions({r + "/a.jpg", r + "/link.jpg", r + "/a.png", r + "/photo",
                                                  r + "/photo.BIN", r + "/missing.jpg", r + "/pics"},
                                                 {}, {}, false, ext);
        QCOMPARE(outputsOf(p, r), QStringList({"a.jpg -> a.BIN", "pics/p.png -> pics/p.BIN"}));
        QStringList problems;
        for (const PlanProblem &pp : p.problems)
            problems.append(QDir(r).relativeFilePath(pp.file) + ": " + QString(pp.reason).remove(r + '/'));
        QCOMPARE(problems, QStringList({"missing.jpg: no such file or folder",
                                        "a.png: its output a.BIN is also the output of a.jpg",
                                        "photo: its output photo.BIN is an input; not overwritten",
                                        "photo.BIN: its output photo.BIN is an input; not overwritten"}));

        const ConversionPlan tree = planConversions({r + "/pics"}, {}, r + "/out", true, ext);
        QCOMPARE(outputsOf(tree, r),
                 QStringList({"pics/p.png -> out/p.BIN", "pics/sub/q.png -> out/sub/q.BIN"}));

        const ConversionPlan single = planConversions({r + "/a.png"}, r + "/chosen", {}, false, ext);
        QCOMPARE(outputsOf(single, r), QStringList({"a.png -> chosen"}));
        QVERIFY(planConversions({r + "/a.png"}, r + "/a.png", {}, false, ext).conversions.empty());
        QVERIFY(
            planConversions({r + "/pics"}, r + "/x.BIN", {}, false, ext).usageError.contains("is a folder"));

        touch(r + "/empty/readme.txt");
        const ConversionPlan none = planConversions({r + "/empty"}, {}, {}, false, ext);
        QCOMPARE(none.problems.size(), std::size_t(1));
        QCOMPARE(none.problems.front().reason, QStringLiteral("no pictures in this folder"));
    }
};

QTEST_GUILESS_MAIN(TestCliLogic)
#include "tst_cli_logic.moc"
