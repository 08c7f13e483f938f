#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/names.h"
#include "cli/plan.h"
#include "cli/reporter.h"
#include "core/files/outputrule.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

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
        row("jobs missing value", {"convert", "a", "--jobs"}, "Missing value after '--jobs'.");
        row("fit other size", {"convert", "--fit", "800x600", "a"}, "--fit must be 320x240 or 640x480");
        row("fit signed", {"convert", "--fit", "+320x240", "a"}, "--fit must be");
        row("dither unknown", {"convert", "--dither", "atkinson", "a"}, "--dither must be");
        row("gamma zero", {"convert", "--gamma", "0", "a"}, "--gamma must be srgb or a number from 0.1 to 5");
        row("gamma too steep", {"convert", "--gamma", "6", "a"}, "--gamma must be");
        row("gamma word", {"convert", "--gamma", "linear", "a"}, "--gamma must be");
        row("background unknown", {"convert", "--background", "blurple", "a"}, "--background must be");
        row("flag with value", {"convert", "--quiet=yes", "a"}, "Unexpected value after '--quiet'.");
        row("option of another command", {"show", "--dither", "ordered", "a.BIN"}, "does not apply");
        row("show two files", {"show", "a.BIN", "b.BIN"}, "exactly one BIN");
        row("show bad size", {"show", "--size", "100", "a.BIN"}, "--size must be");
        row("info without file", {"info"}, "at least one file");
        row("jobs over the limit", {"convert", "--jobs", "1024", "a"}, "--jobs needs a number from 1 to 64");
        row("value option inside a cluster", {"convert", "-jk", "a"}, "--jobs needs a number");
        row("standard input without -o", {"convert", "-"}, "needs -o (-o - for standard output)");
        row("show standard input without -o", {"show", "-"}, "needs -o");
        row("force for convert", {"convert", "-f", "a"}, "does not apply");
        row("fill without fit", {"convert", "--fill", "a"}, "--fill needs --fit");
        row("enlarge without fit", {"convert", "--enlarge", "a"}, "--enlarge needs --fit");
        row("rotate other angle", {"convert", "--rotate", "45", "a"}, "--rotate must be 90, 180 or 270");
        row("mirror unknown", {"convert", "--mirror", "diagonal", "a"},
            "--mirror must be horizontal or vertical");
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

        a = parseArguments({"convert", "-kqj3", "-ro-", "--", "-"}).arguments;
        QVERIFY(a);
        QVERIFY(a->keepGoing && a->quiet && a->recursive);
        QCOMPARE(a->jobs, 3);
        QCOMPARE(a->output, QStringLiteral("-"));
        QCOMPARE(a->inputs, QStringList({"-"}));
        QVERIFY(parseArguments({"show", "-fq", "a.BIN"}).arguments->force);

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
        QTest::addColumn<bool>("windows");
        const auto windows = [](const char *name, const char *picture, const char *expected) {
            QTest::newRow(name) << picture << ""
                                << "" << expected << true;
        };
        windows("windows folder with a dot", "C:\\my.pictures\\photo", "C:\\my.pictures\\photo.BIN");
        windows("windows mixed separators", "C:/my.pictures\\a.b\\p.jpg", "C:/my.pictures\\a.b\\p.BIN");
        windows("windows drive-relative", "C:photo.jpg", "C:photo.BIN");
        QTest::newRow("backslash within a unix name") << "my.dir\\photo"
                                                      << ""
                                                      << ""
                                                      << "my.BIN" << false;
        QTest::newRow("jpg") << "a.jpg"
                             << ""
                             << ""
                             << "a.BIN" << false;
        QTest::newRow("long extension") << "dir/photo.jpeg"
                                        << ""
                                        << ""
                                        << "dir/photo.BIN" << false;
        QTest::newRow("last extension only") << "a.tar.png"
                                             << ""
                                             << ""
                                             << "a.tar.BIN" << false;
        QTest::newRow("no extension") << "photo"
                                      << ""
                                      << ""
                                      << "photo.BIN" << false;
        QTest::newRow("dot in folder only") << "my.dir/photo"
                                            << ""
                                            << ""
                                            << "my.dir/photo.BIN" << false;
        QTest::newRow("hidden file") << "/p/.jpg"
                                     << ""
                                     << ""
                                     << "/p/.jpg.BIN" << false;
        QTest::newRow("already BIN") << "x.BIN"
                                     << ""
                                     << ""
                                     << "x.BIN" << false;
        QTest::newRow("out dir") << "/a/b/c.bmp"
                                 << ""
                                 << "/out"
                                 << "/out/c.BIN" << false;
        QTest::newRow("out dir keeps sub-folder") << "/pics/trip/day1/c.bmp"
                                                  << "/pics"
                                                  << "/out"
                                                  << "/out/trip/day1/c.BIN" << false;
        QTest::newRow("out dir, top of folder") << "/pics/c.bmp"
                                                << "/pics/"
                                                << "/out"
                                                << "/out/c.BIN" << false;
    }
    void binNames()
    {
        QFETCH(QString, picture);
        QFETCH(QString, foundIn);
        QFETCH(QString, outDir);
        QFETCH(QString, expected);
        QFETCH(bool, windows);
        QCOMPARE(binOutputPath(picture, foundIn, outDir, windows ? PathStyle::Windows : PathStyle::Unix),
                 expected);
    }

    void quotedNames_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *name, const QByteArray &raw, const char *shown) {
            QTest::newRow(name) << raw << QString::fromUtf8(shown);
        };
        row("plain", "dir/a-1_b.jpg", "dir/a-1_b.jpg");
        row("japanese", "写真.jpg", "写真.jpg");
        row("space", "a b.jpg", "'a b.jpg'");
        row("single quote", "it's.jpg", "'it'\\''s.jpg'");
        row("empty", "", "''");
        row("forged closing line", "bad\n0 converted, 0 failed\nx.jpg",
            "'bad'$'\\n''0 converted, 0 failed'$'\\n''x.jpg'");
        row("escape sequence", "\x1b[2Jx.png", "$'\\033''[2Jx.png'");
        row("carriage return and tab", "a\r\tb", "'a'$'\\r\\t''b'");
        row("not utf-8", "caf\xe9.jpg", "'caf'$'\\351''.jpg'");
        row("right-to-left override", "x\xe2\x80\xaegnp.exe", "'x'$'\\342\\200\\256''gnp.exe'");
    }
    void quotedNames()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, shown);
        const QString name = decodeArgument(raw);
        QCOMPARE(nameBytes(name), raw);
        QCOMPARE(isRepresentable(name), QString::fromUtf8(raw).toUtf8() == raw);
        QCOMPARE(quoteName(name), QDir::toNativeSeparators(shown));
    }

    void progressFitsTheTerminal_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("line");
        QTest::newRow("30 columns") << 30 << "[###########            ] 3/6";
        QTest::newRow("wide terminal") << 200 << "[" + QString(25, '#') + QString(25, ' ') + "] 3/6";
        QTest::newRow("too narrow for a bar") << 8 << "3/6";
        QTest::newRow("narrower than the counts") << 3 << "3/";
    }
    void progressFitsTheTerminal()
    {
        QFETCH(int, columns);
        QFETCH(QString, line);
        QCOMPARE(progressText(3, 6, columns), line);
        QVERIFY(progressText(999, 1000, columns).size() < std::max(columns, 2));
    }

    void workers_data()
    {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("cores");
        QTest::addColumn<int>("workers");
        QTest::newRow("one per core by default") << 0 << 6 << 6;
        QTest::newRow("as asked") << 3 << 2 << 3;
        QTest::newRow("four per core at most") << 64 << 2 << 8;
        QTest::newRow("64 at most") << 64 << 32 << 64;
        QTest::newRow("cores unknown") << 0 << -1 << 1;
    }
    void workers()
    {
        QFETCH(int, requested);
        QFETCH(int, cores);
        QFETCH(int, workers);
        QCOMPARE(workerCount(requested, cores), workers);
    }

    void plan()
    {
        QTemporaryDir dir;
        const QString r = dir.path();
        for (const char *name :
             {"a.jpg", "a.png", "photo", "photo.BIN", "pics/p.png", "pics/sub/q.png", "pics/n.txt"})
            touch(r + '/' + name);
        const QStringList ext = readableExtensions();

        // a.jpg twice (once through a link; on Windows, in capitals) is converted once; a.png would
        // write a.jpg's output; photo's output is the input photo.BIN, which would replace itself.
        QStringList inputs{r + "/a.jpg",     r + "/a.png",       r + "/photo",
                           r + "/photo.BIN", r + "/missing.jpg", r + "/pics"};
#ifdef Q_OS_WIN
        inputs.insert(1, r + "/A.JPG");
#else
        QVERIFY(QFile::link(r + "/a.jpg", r + "/link.jpg"));
        inputs.insert(1, r + "/link.jpg");
#endif
        const ConversionPlan p = planConversions(inputs, {}, {}, false, ext);
        QCOMPARE(outputsOf(p, r), QStringList({"a.jpg -> a.BIN", "pics/p.png -> pics/p.BIN"}));
        QStringList problems;
        for (const PlanProblem &pp : p.problems)
            problems.append(QDir(r).relativeFilePath(pp.file) + ": " +
                            QString(pp.reason).remove(QDir::toNativeSeparators(r + '/')));
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

    // Outputs compared as files, not as spellings; inputs that are one file through a hard link are not.
    void planSeesThroughNames()
    {
#ifdef Q_OS_WIN
        QSKIP("symbolic links and names that are not UTF-8 are POSIX's");
#else
        QTemporaryDir dir;
        const QString r = dir.path();
        for (const char *name :
             {"real/a.jpg", "real/a.png", "real/h.png", "pics/ok.png", "photo", "photo.BIN"})
            touch(r + '/' + name, QByteArray("\x89PNG\r\n\x1a\n", 8));
        QVERIFY(QFile::link(r + "/real", r + "/link"));
        QCOMPARE(::link(QFile::encodeName(r + "/real/h.png"), QFile::encodeName(r + "/real/hard.png")), 0);
        // Qt lists no such name, and so its temporary folder could not remove it.
        const QByteArray raw = QFile::encodeName(r + "/pics/") + "caf\xe9.png";
        FILE *f = std::fopen(raw.constData(), "w");
        QVERIFY(f);
        std::fclose(f);
        const auto removeRaw = qScopeGuard([&] { std::remove(raw.constData()); });
        const ConversionPlan p = planConversions({r + "/link/a.jpg", r + "/real/a.png", r + "/real/h.png",
                                                  r + "/real/hard.png", r + "/pics", r + "/photo"},
                                                 {}, {}, false, readableExtensions());
        QCOMPARE(outputsOf(p, r),
                 QStringList({"link/a.jpg -> link/a.BIN", "real/h.png -> real/h.BIN",
                              "real/hard.png -> real/hard.BIN", "pics/ok.png -> pics/ok.BIN"}));
        QCOMPARE(outputKey(r + "/link/sub/../x.BIN"), outputKey(r + "/real/x.BIN"));
#ifdef LUMIVERT_QT_ONLY
        QSKIP("Qt alone cannot tell a name in a folder that is not UTF-8");
#endif
        QStringList problems;
        for (const PlanProblem &pp : p.problems)
            problems.append(quoteName(QDir(r).relativeFilePath(pp.file)) + ": " +
                            QString(pp.reason).remove(r + '/'));
        QCOMPARE(
            problems,
            QStringList(
                {"'pics/caf'$'\\351''.png': the name is not valid UTF-8, so the file cannot be opened by it",
                 "real/a.png: its output real/a.BIN is also the output of link/a.jpg",
                 "photo: its output photo.BIN is a picture, not a BIN file; not overwritten"}));
#endif
    }
};

QTEST_GUILESS_MAIN(TestCliLogic)
#include "tst_cli_logic.moc"
