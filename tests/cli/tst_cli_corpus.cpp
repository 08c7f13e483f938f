#include "core/rgb332.h"
#include "core/pictureloader.h"

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

// Every third-party picture through the command line: what loads gives exactly the window's bytes,
// the rest fails with a line that names the file.
class TestCliCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void corpus_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("cls");
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
            QTest::newRow(qPrintable(relative)) << relative << classOf(relative, manifest);
        }
    }

    void corpus()
    {
        QFETCH(QString, relative);
        QFETCH(QString, cls);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out.BIN"));
        QProcess cli;
        cli.start(QStringLiteral(LUMIVERT_CLI),
                  {QStringLiteral("convert"), QStringLiteral("--quiet"), QStringLiteral("-o"), out,
                   Corpus + QLatin1Char('/') + relative});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);

        const lumivert::PictureLoad window = lumivert::loadPicture(Corpus + QLatin1Char('/') + relative);
        if (window.loaded()) {
            QCOMPARE(cli.exitCode(), 0);
            QFile bin(out);
            QVERIFY(bin.open(QIODevice::ReadOnly));
            const QByteArray bytes = bin.readAll();
            const QImage &image = window.image;
            QCOMPARE(bytes.size(), qsizetype(image.width()) * image.height());
            QByteArray expected(bytes.size(), Qt::Uninitialized);
            for (int y = 0; y < image.height(); ++y)
                lumivert::reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                                    reinterpret_cast<uchar *>(expected.data()) + qsizetype(y) * image.width(),
                                    image.width());
            QVERIFY(bytes == expected);
        } else {
            QCOMPARE(cli.exitCode(), 1);
            QVERIFY(!QFileInfo::exists(out));
            const QString error = QString::fromUtf8(cli.readAllStandardError());
            QVERIFY2(error.contains(QFileInfo(relative).fileName()), qPrintable(error));
        }
        if (cls == QLatin1String("loads"))
            QVERIFY(window.loaded());
        else if (cls == QLatin1String("unreadable") || cls == QLatin1String("refused") ||
                 cls == QLatin1String("too-large"))
            QVERIFY(!window.loaded());
    }
};

QTEST_GUILESS_MAIN(TestCliCorpus)
#include "tst_cli_corpus.moc"
