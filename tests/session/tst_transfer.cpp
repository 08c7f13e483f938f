#include "sessiontest.h"

#include "app/session.h"
#include "core/formats/binformat.h"
#include "core/formats/sizelimit.h"

#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QtEndian>

using namespace lumivert;

namespace {

const QString NotPictureOrBin = QStringLiteral("画像ファイル又はBINファイルではありません。");
const QString NotPicture = QStringLiteral("画像ファイルではありません。");
const QString Oversize = QStringLiteral("画像サイズオーバーです。");

// A small JPEG whose frame header is rewritten to claim `size`.
QByteArray jpegClaiming(QSize size)
{
    QByteArray bytes = encoded(patternImage(16, 16), "JPG");
    const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    qToBigEndian(quint16(size.height()), bytes.data() + frame + 5);
    qToBigEndian(quint16(size.width()), bytes.data() + frame + 7);
    return bytes;
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private:
    // Starts with known converted bytes: a dropped BIN file of them, whose length shows no picture.
    static void dropBytes(SessionFixture &f, const QString &name, const QByteArray &bytes)
    {
        writeFile(f.path(name), bytes);
        f.drop({f.path(name)});
    }

private Q_SLOTS:
    void droppedBinFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("length");
        QTest::addColumn<QSize>("inner");
        QTest::newRow(".bin 320x240") << "a.bin" << 76800 << QSize(320, 240);
        QTest::newRow(".BIN 640x480") << "表示 1,2.BIN" << 307200 << QSize(640, 480);
        QTest::newRow("1000 bytes") << "odd.BIN" << 1000 << QSize(50, 40);
        QTest::newRow("no dot") << "cabin" << 76800 << QSize(320, 240);
    }
    void droppedBinFiles()
    {
        QFETCH(QString, name);
        QFETCH(int, length);
        QFETCH(QSize, inner);
        SessionFixture f;
        f.session.setPicture(patternImage(50, 40));
        const QByteArray bytes = binBytes(length);
        writeFile(f.path(name), bytes);
        f.drop({f.path(name)});

        QVERIFY(f.script.messages.isEmpty());
        QCOMPARE(*f.session.convertedBytes(), bytes);
        QCOMPARE(f.session.picture().size(), inner);
        QCOMPARE(f.log.widthText, QStringLiteral("X=%1").arg(inner.width()));
        QCOMPARE(f.log.heightText, QStringLiteral("Y=%1").arg(inner.height()));
        QCOMPARE(f.log.status(), QStringLiteral("読込完了!!"));
        QCOMPARE(f.log.caption, f.path(name));
        if (binGeometry(length))
            QCOMPARE(f.session.picture(), binToImage(bytes));
        else
            QCOMPARE(f.session.picture().pixel(0, 0), Session::background().rgb());

        // The next save proposes the dropped path less its last four characters.
        f.script.cancelFile();
        f.session.saveBin();
        QCOMPARE(f.script.fileRequests.last().fileName, f.path(name).chopped(4));
    }

    void droppedPictures_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("640x480") << QSize(640, 480);
        QTest::newRow("641x480") << QSize(641, 480);
        QTest::newRow("short") << QSize(30, 20);
    }
    void droppedPictures()
    {
        QFETCH(QSize, size);
        SessionFixture f;
        dropBytes(f, QStringLiteral("previous.BIN"), QByteArray("previous"));
        // A batch run whose dialog is cancelled sets the flag (and clears the dialog's file name).
        f.script.cancelFile();
        f.session.runBatch();
        const QString path =
            writePicture(f.path("写真.jpg"), patternImage(size.width(), size.height()), "JPG");
        f.drop({path});

        QCOMPARE(f.log.caption, path);
        QCOMPARE(*f.session.convertedBytes(), QByteArray("previous"));
        QVERIFY(f.session.batchMode());
        if (size.width() > 640) {
            QCOMPARE(f.messageTexts(), QStringList{Oversize});
            QCOMPARE(f.session.picture().size(), QSize(320, 240));
            QVERIFY(f.log.widthText.isEmpty());
            QVERIFY(f.session.fileDialog().fileName.isEmpty());
        } else {
            QVERIFY(f.script.messages.isEmpty());
            QCOMPARE(f.session.picture().size(), size);
            QCOMPARE(f.log.status(), QStringLiteral("読込完了!!"));
            QCOMPARE(f.log.lastRule, std::optional<FitRule>(FitRule::Picture));
            QCOMPARE(f.session.fileDialog().fileName, path.chopped(4));
        }
    }

    void failedDrops_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("text") << "text";
        QTest::newRow("two files") << "two";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("mixed-case Bin name") << "Bin";
        QTest::newRow("missing file") << "missing";
        QTest::newRow("empty picture file") << "empty";
    }
    void failedDrops()
    {
        QFETCH(QString, what);
        SessionFixture f;
        dropBytes(f, QStringLiteral("kept.BIN"), QByteArray("kept"));
        f.session.setPicture(patternImage(50, 40));
        const QString caption = f.log.caption;
        writeFile(f.path("a.Bin"), binBytes(76800));
        writeFile(f.path("empty.png"), {});

        QMimeData text;
        text.setText(f.path("a.Bin"));
        if (what == QLatin1String("text"))
            f.session.openDropped(&text);
        else if (what == QLatin1String("two"))
            f.drop({f.path("a.Bin"), f.path("a.Bin")});
        else if (what == QLatin1String("folder"))
            f.drop({f.dir.path()});
        else if (what == QLatin1String("Bin"))
            f.drop({f.path("a.Bin")});
        else if (what == QLatin1String("missing"))
            f.drop({f.path("gone.BIN")});
        else
            f.drop({f.path("empty.png")});

        QCOMPARE(f.script.messages.size(), 1);
        QCOMPARE(f.script.messages.first().text, NotPictureOrBin);
        QCOMPARE(f.script.messages.first().title, QStringLiteral("注意"));
        QVERIFY(f.script.messages.first().foreground);
        QVERIFY(!f.showsPicture());
        QCOMPARE(f.session.picture().size(), QSize(50, 40));
        QCOMPARE(*f.session.convertedBytes(), QByteArray("kept"));
        QCOMPARE(f.log.caption, caption);
    }

    void hugeBinNameIsNotRead()
    {
        SessionFixture f;
        QFile huge(f.path("huge.BIN"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64(1) << 31)); // sparse: nothing is written
        huge.close();
        f.drop({f.path("huge.BIN")});
        QCOMPARE(f.messageTexts(), QStringList{NotPictureOrBin});
        QVERIFY(!f.session.convertedBytes());
    }

    void pasteSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format"); // how another program would offer it
        QTest::newRow("640x480 PNG") << QSize(640, 480) << QByteArray("png");
        QTest::newRow("641x480 PNG") << QSize(641, 480) << QByteArray("png");
        QTest::newRow("640x481 BMP") << QSize(640, 481) << QByteArray("bmp");
        QTest::newRow("short BMP") << QSize(30, 20) << QByteArray("bmp");
        QTest::newRow("JPEG claiming 30000x30000") << QSize(30000, 30000) << QByteArray("jpeg");
    }
    void pasteSizes()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        SessionFixture f;
        // The dropped file gives the bytes and the dialog's file name ("kept", its path less ".BIN").
        dropBytes(f, QStringLiteral("kept.BIN"), QByteArray("same"));
        const QString caption = f.log.caption;
        f.log.lastRule.reset();
        // The JPEG is a small one whose header claims the size: it must be refused unread.
        const QImage picture = format == "jpeg" ? QImage() : patternImage(size.width(), size.height());
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/") + QString::fromLatin1(format),
                      format == "jpeg" ? jpegClaiming(size) : encoded(picture, format.toUpper()));
        f.clipboard.setMimeData(data);
        f.paste();

        QCOMPARE(f.log.caption, caption);
        QCOMPARE(*f.session.convertedBytes(), QByteArray("same"));
        QCOMPARE(f.session.fileDialog().fileName, f.path("kept"));
        if (withinSizeLimit(size.width(), size.height())) {
            QVERIFY(f.script.messages.isEmpty());
            QCOMPARE(f.session.picture(), picture);
            QCOMPARE(f.log.widthText, QStringLiteral("X=%1").arg(size.width()));
            QCOMPARE(f.log.heightText, QStringLiteral("Y=%1").arg(size.height()));
            // The progress bar stays where it was.
            QCOMPARE(f.log.lastRule, std::optional<FitRule>(FitRule::PastedPicture));
            QCOMPARE(f.log.status(), QStringLiteral(" "));
        } else {
            QCOMPARE(f.messageTexts(), QStringList{Oversize});
            QVERIFY(!f.log.lastRule); // nothing is laid out anew
            QCOMPARE(f.session.picture().size(), QSize(320, 240));
            QVERIFY(!f.showsPicture());
            QVERIFY(f.log.widthText.isEmpty());
        }
    }

    void pasteWithoutPicture()
    {
        SessionFixture f;
        f.session.setPicture(patternImage(50, 40));
        f.clipboard.data->setText(QStringLiteral("just text"));
        f.paste();
        QCOMPARE(f.messageTexts(), QStringList{NotPicture});
        QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("注意")});
        QCOMPARE(f.session.picture(), patternImage(50, 40));
    }

    void copyThenPaste()
    {
        SessionFixture f;
        f.openPicture(writePicture(f.path("p.bmp"), patternImage(60, 30)));
        f.session.convertPicture();
        const QImage preview = f.session.picture();
        f.session.copyPicture();
        QCOMPARE(f.clipboard.image().convertToFormat(QImage::Format_RGB32), preview);

        f.session.setPicture(patternImage(10, 10));
        f.paste();
        QCOMPARE(f.session.picture(), preview);
        QCOMPARE(f.log.widthText, QStringLiteral("X=60"));
        QCOMPARE(f.log.heightText, QStringLiteral("Y=30"));
        QVERIFY(f.script.messages.isEmpty());
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
