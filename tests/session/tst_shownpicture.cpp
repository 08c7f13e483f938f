#include "sessiontest.h"

#include "app/session.h"

#include <QProcess>
#include <QTest>

using namespace lumivert;

Q_DECLARE_METATYPE(lumivert::Placement)

namespace {

// Smooth enough for the dithers to differ from truncation on every row.
QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) * 127 / (width + height)));
    }
    return image;
}

Placement placement(FitMode mode, bool enlarge, Rotation rotation, Mirror mirror)
{
    return Placement{mode, enlarge, rotation, mirror};
}

} // namespace

// What a BIN file holds is the picture the window shows.
class TestShownPicture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveWithoutConverting_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::newRow("opened") << false;
        QTest::newRow("dropped") << true;
    }
    void saveWithoutConverting()
    {
        QFETCH(bool, dropped);
        // One fixture at a time: the dialogs answer the newest script.
        const auto save = [dropped](bool convertFirst) {
            SessionFixture f;
            f.session.setReduction(Dither::FloydSteinberg);
            // An earlier picture converted, so that its bytes are there to be written wrongly.
            f.openPicture(writePicture(f.path("a.bmp"), patternImage(40, 30)));
            f.session.convertPicture();
            const QString b = writePicture(f.path("b.bmp"), gradient(64, 48));
            dropped ? f.drop({b}) : f.openPicture(b);
            if (convertFirst)
                f.session.convertPicture();
            f.script.answerFile(f.path("b.BIN"));
            f.session.saveBin();
            if (f.log.status() != QStringLiteral("ＢＩＮファイル保存終了!!") || !f.script.messages.isEmpty())
                return std::pair{QByteArray(), QImage()};
            return std::pair{readFile(f.path("b.BIN")), f.session.picture()};
        };
        const auto saved = save(false);
        const auto converted = save(true);
        QCOMPARE(saved.first.size(), 64 * 48);
        QCOMPARE(saved.first, converted.first);
        QCOMPARE(saved.second, converted.second);
    }

    void convertAgainWithAnotherMethod()
    {
        SessionFixture twice;
        twice.session.setPicture(gradient(64, 48));
        twice.session.convertPicture();
        const QByteArray truncated = *twice.session.convertedBytes();
        twice.session.setReduction(Dither::Ordered);
        twice.session.convertPicture();

        SessionFixture once;
        once.session.setReduction(Dither::Ordered);
        once.session.setPicture(gradient(64, 48));
        once.session.convertPicture();
        QVERIFY(*once.session.convertedBytes() != truncated);
        QCOMPARE(*twice.session.convertedBytes(), *once.session.convertedBytes());
        QCOMPARE(twice.session.picture(), once.session.picture());
    }

    void placementAsOnTheCommandLine_data()
    {
        QTest::addColumn<Placement>("placement");
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<QStringList>("options");
        const auto upright = Rotation::None;
        const auto plain = Mirror::None;
        QTest::newRow("fill") << placement(FitMode::Fill, false, upright, plain) << true
                              << QStringList{"--fill"};
        QTest::newRow("enlarge") << placement(FitMode::Whole, true, upright, plain) << true
                                 << QStringList{"--enlarge"};
        QTest::newRow("fill, enlarge, 90") << placement(FitMode::Fill, true, Rotation::Quarter, plain) << true
                                           << QStringList{"--fill", "--enlarge", "--rotate", "90"};
        QTest::newRow("90") << placement(FitMode::Whole, false, Rotation::Quarter, plain) << true
                            << QStringList{"--rotate", "90"};
        QTest::newRow("180") << placement(FitMode::Whole, false, Rotation::Half, plain) << true
                             << QStringList{"--rotate", "180"};
        QTest::newRow("270") << placement(FitMode::Whole, false, Rotation::ThreeQuarters, plain) << true
                             << QStringList{"--rotate", "270"};
        QTest::newRow("horizontal") << placement(FitMode::Whole, false, upright, Mirror::Horizontal) << true
                                    << QStringList{"--mirror", "horizontal"};
        QTest::newRow("vertical") << placement(FitMode::Whole, false, upright, Mirror::Vertical) << true
                                  << QStringList{"--mirror", "vertical"};
        QTest::newRow("270 unfitted") << placement(FitMode::Whole, false, Rotation::ThreeQuarters, plain)
                                      << false << QStringList{"--rotate", "270"};
    }
    void placementAsOnTheCommandLine()
    {
        QFETCH(Placement, placement);
        QFETCH(bool, fitted);
        QFETCH(QStringList, options);
        SessionFixture f;
        // A portrait JPEG larger than the screen, decoded shrunk; without a fit size one that only
        // passes the limit once turned.
        const QSize size = fitted ? QSize(600, 900) : QSize(480, 640);
        const QString picture =
            writePicture(f.path("portrait.jpg"), gradient(size.width(), size.height()), "JPG");
        const QString small = writePicture(f.path("small.bmp"), patternImage(90, 70));
        for (const QString &path : {picture, small}) {
            if (!fitted && path == small)
                continue;
            if (fitted)
                f.session.setFitSize(QSize(320, 240));
            f.session.setPlacement(placement);
            f.openPicture(path);
            f.session.convertPicture();

            QProcess cli;
            const QString out = f.path("cli.BIN");
            cli.start(QStringLiteral(LUMIVERT_CLI),
                      QStringList{"convert", "-q", "-o", out} +
                          (fitted ? QStringList{"--fit", "320x240"} : QStringList()) + options +
                          QStringList{path});
            QVERIFY(cli.waitForFinished(30000));
            QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
            QCOMPARE(*f.session.convertedBytes(), readFile(out));
        }
    }
};

QTEST_MAIN(TestShownPicture)
#include "tst_shownpicture.moc"
