#include "core/colour/rgb332.h"
#include "core/formats/pictureloader.h"
#include "core/formats/scaletofit.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Corpus = QStringLiteral(LUMIVERT_CORPUS);

// The class of a corpus file: the manifest's for the JPEG files, the folder's for the BMP Suite.
QString classOf(const QString &relative, const QHash<QString, QString> &manifest)
{
    if (manifest.contains(relative))
        return manifest.value(relative);
    const QString folder = relative.section(QLatin1Char('/'), 1, 1);
    return folder == QLatin1String("g")   ? QStringLiteral("loads")
           : folder == QLatin1String("b") ? QStringLiteral("refused")
           : folder == QLatin1String("x") ? QStringLiteral("unreadable")
                                          : QStringLiteral("either");
}

} // namespace

// Every third-party picture through each road of the command line (convert, convert --fit and info):
// what loads gives exactly the loader's bytes, run after run; the rest fails with a line that names
// the file.
class TestCliCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void corpus_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("road");
        if (!QFileInfo::exists(Corpus))
            QFAIL("the picture corpus is missing: " LUMIVERT_CORPUS);
        QHash<QString, QString> manifest;
        QFile file(Corpus + QStringLiteral("/MANIFEST.tsv"));
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n')) {
                const QList<QByteArray> cols = line.split('\t');
                if (cols.size() >= 3)
                    manifest.insert(QString::fromUtf8(cols[0]), QString::fromUtf8(cols[2]));
            }
        }
        QDirIterator it(Corpus, {QStringLiteral("*.bmp"), QStringLiteral("*.jpg")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString relative = QDir(Corpus).relativeFilePath(it.next());
            for (const char *road : {"convert", "fit", "info"})
                QTest::addRow("%s %s", road, qPrintable(relative))
                    << relative << classOf(relative, manifest) << QString::fromLatin1(road);
        }
    }

    void corpus()
    {
        QFETCH(QString, relative);
        QFETCH(QString, cls);
        QFETCH(QString, road);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out.BIN"));
        const QString path = Corpus + QLatin1Char('/') + relative;
        // info calls a file a picture exactly when convert --fit converts it.
        const bool info = road == QLatin1String("info");
        lumivert::PictureOptions options;
        if (road != QLatin1String("convert"))
            options.fitInto = QSize(320, 240);
        QStringList args =
            info ? QStringList{"info", path} : QStringList{"convert", "--quiet", "-o", out, path};
        if (road == QLatin1String("fit"))
            args.append({"--fit", "320x240"});
        const lumivert::PictureLoad window = lumivert::loadPicture(path, options);

        // Converted twice: a pixel the decoder left undefined would show as a difference.
        for (int run = 0; run < (info ? 1 : 2); ++run) {
            QProcess cli;
            cli.start(QStringLiteral(LUMIVERT_CLI), args);
            QVERIFY(cli.waitForFinished(30000));
            QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
            if (!window.loaded()) {
                QCOMPARE(cli.exitCode(), 1);
                QVERIFY(!QFileInfo::exists(out));
                const QString error = QString::fromUtf8(cli.readAllStandardError());
                QVERIFY2(error.contains(QFileInfo(relative).fileName()), qPrintable(error));
                continue;
            }
            QCOMPARE(cli.exitCode(), 0);
            if (info) {
                QVERIFY(cli.readAllStandardOutput().contains(QStringLiteral("picture %1x%2")
                                                                 .arg(window.size.width())
                                                                 .arg(window.size.height())
                                                                 .toUtf8()));
                continue;
            }
            QFile bin(out);
            QVERIFY(bin.open(QIODevice::ReadOnly));
            const QByteArray bytes = bin.readAll();
            const QImage image = options.fitInto
                                     ? lumivert::scaleToFit(window.image, *options.fitInto, qRgb(0, 0, 0))
                                     : window.image;
            QCOMPARE(bytes.size(), qsizetype(image.width()) * image.height());
            QByteArray expected(bytes.size(), Qt::Uninitialized);
            for (int y = 0; y < image.height(); ++y)
                lumivert::reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                                    reinterpret_cast<uchar *>(expected.data()) + qsizetype(y) * image.width(),
                                    image.width());
            QVERIFY(bytes == expected);
        }
        if (cls == QLatin1String("loads"))
            QVERIFY(window.loaded());
        else if (cls == QLatin1String("unreadable") || cls == QLatin1String("refused") ||
                 (cls == QLatin1String("too-large") && !options.fitInto))
            QVERIFY(!window.loaded());
        else if (cls == QLatin1String("too-large"))
            QVERIFY(window.loaded());
    }
};

QTEST_GUILESS_MAIN(TestCliCorpus)
#include "tst_cli_corpus.moc"
