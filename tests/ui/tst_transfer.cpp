#include "uitest.h"

#include "gui/globals.h"
#include "core/binformat.h"
#include "core/fitting.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QUrl>

namespace {

const QString NotPictureOrBin = QStringLiteral("画像ファイル又はBINファイルではありません。");
const QString NotPicture = QStringLiteral("画像ファイルではありません。");
const QString Oversize = QStringLiteral("画像サイズオーバーです。");

std::unique_ptr<QMimeData> filesData(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private:
    static void drop(Fixture &f, const QStringList &paths)
    {
        f.form->Picture1_OLEDragDrop(filesData(paths).get());
    }
    static void paste(Fixture &f)
    {
        f.script.popupChoices.push_back(QStringLiteral("poppaste"));
        f.form->Picture1_MouseDown(2, QPoint());
    }
    static void copy(Fixture &f)
    {
        f.script.popupChoices.push_back(QStringLiteral("popcopy"));
        f.form->Picture1_MouseDown(2, QPoint());
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
        Fixture f;
        f.form->Picture1->setPicture(patternImage(50, 40));
        const QByteArray bytes = binBytes(length);
        writeFile(f.path(name), bytes);
        drop(f, {f.path(name)});

        QVERIFY(f.script.messages.isEmpty());
        QCOMPARE(*f.form->ConvBuf, bytes);
        QCOMPARE(Module1::FileSize, length);
        QCOMPARE(f.form->Picture1->size(), inner + QSize(4, 4));
        QCOMPARE(f.form->Label2->text(), QStringLiteral("X=%1").arg(inner.width()));
        QCOMPARE(f.form->Label3->text(), QStringLiteral("Y=%1").arg(inner.height()));
        QCOMPARE(f.form->Label1->text(), Status::Loaded);
        QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(f.path(name)));
        if (lumivert::binGeometry(length))
            QCOMPARE(f.form->Picture1->Image(), lumivert::binToImage(bytes));
        else
            QCOMPARE(f.form->Picture1->Point(0, 0), PictureBox::background().rgb());

        // The next save proposes the dropped path less its last four characters.
        f.script.cancelFile();
        f.form->BINSAVE();
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
        Fixture f;
        f.form->ConvBuf = QByteArray("previous");
        f.form->BatchMode = 1;
        const QString path =
            writePicture(f.path("写真.jpg"), patternImage(size.width(), size.height()), "JPG");
        drop(f, {path});

        QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(path));
        QCOMPARE(*f.form->ConvBuf, QByteArray("previous"));
        QCOMPARE(f.form->BatchMode, qint16(1));
        if (size.width() > 640) {
            QCOMPARE(f.messageTexts(), QStringList{Oversize});
            QCOMPARE(f.form->Picture1->size(), QSize(324, 244));
            QVERIFY(f.form->Label2->text().isEmpty());
            QVERIFY(f.form->CommonDialog1.FileName.isEmpty());
        } else {
            QVERIFY(f.script.messages.isEmpty());
            QCOMPARE(f.form->Picture1->size(), size + QSize(4, 4));
            QCOMPARE(f.form->Label1->text(), Status::Loaded);
            QCOMPARE(f.form->Label1->y(), qMax(80, size.height() + 37));
            QCOMPARE(f.form->ProgressBar1->y(), size.height() + 37);
            QCOMPARE(f.form->CommonDialog1.FileName, path.chopped(4));
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
        Fixture f;
        f.form->Picture1->setPicture(patternImage(50, 40));
        f.form->ConvBuf = QByteArray("kept");
        Module1::FileSize = 1234;
        const QString title = f.form->windowTitle();
        writeFile(f.path("a.Bin"), binBytes(76800));
        writeFile(f.path("empty.png"), {});

        QMimeData text;
        text.setText(f.path("a.Bin"));
        if (what == QLatin1String("text"))
            f.form->Picture1_OLEDragDrop(&text);
        else if (what == QLatin1String("two"))
            drop(f, {f.path("a.Bin"), f.path("a.Bin")});
        else if (what == QLatin1String("folder"))
            drop(f, {f.dir.path()});
        else if (what == QLatin1String("Bin"))
            drop(f, {f.path("a.Bin")});
        else if (what == QLatin1String("missing"))
            drop(f, {f.path("gone.BIN")});
        else
            drop(f, {f.path("empty.png")});

        QCOMPARE(f.script.messages.size(), 1);
        QCOMPARE(f.script.messages.first().text, NotPictureOrBin);
        QCOMPARE(f.script.messages.first().title, QStringLiteral("注意"));
        QVERIFY(f.script.messages.first().foreground);
        QVERIFY(!f.form->Picture1->hasPicture());
        QCOMPARE(f.form->Picture1->size(), QSize(54, 44));
        QCOMPARE(*f.form->ConvBuf, QByteArray("kept"));
        QCOMPARE(Module1::FileSize, 1234);
        QCOMPARE(f.form->windowTitle(), title);
    }

    void hugeBinNameIsNotRead()
    {
        Fixture f;
        QFile huge(f.path("huge.BIN"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64(1) << 31)); // sparse: nothing is written
        huge.close();
        drop(f, {f.path("huge.BIN")});
        QCOMPARE(f.messageTexts(), QStringList{NotPictureOrBin});
        QVERIFY(!f.form->ConvBuf);
    }

    // The real drop event reaches the command through the picture box.
    void dropEventOnPicture()
    {
        Fixture f;
        f.form->show();
        const QByteArray bytes = binBytes(76800);
        writeFile(f.path("e.BIN"), bytes);
        const auto data = filesData({f.path("e.BIN")});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.form->Picture1, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.form->Picture1, &event);
        QVERIFY(f.form->ConvBuf);
        QCOMPARE(*f.form->ConvBuf, bytes);
    }

    void pasteSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format"); // how another program would offer it
        QTest::newRow("640x480 PNG") << QSize(640, 480) << QByteArray("png");
        QTest::newRow("641x480 PNG") << QSize(641, 480) << QByteArray("png");
        QTest::newRow("640x481 BMP") << QSize(640, 481) << QByteArray("bmp");
        QTest::newRow("short BMP") << QSize(30, 20) << QByteArray("bmp");
    }
    void pasteSizes()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        Fixture f;
        f.form->ConvBuf = QByteArray("same");
        f.form->CommonDialog1.FileName = QStringLiteral("kept");
        const int progressTop = f.form->ProgressBar1->y();
        const QImage picture = patternImage(size.width(), size.height());
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/") + QString::fromLatin1(format),
                      encoded(picture, format.toUpper()));
        QGuiApplication::clipboard()->setMimeData(data);
        paste(f);

        QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert"));
        QCOMPARE(f.form->ProgressBar1->y(), progressTop);
        QCOMPARE(*f.form->ConvBuf, QByteArray("same"));
        QCOMPARE(f.form->CommonDialog1.FileName, QStringLiteral("kept"));
        if (lumivert::withinSizeLimit(size.width(), size.height())) {
            QVERIFY(f.script.messages.isEmpty());
            QCOMPARE(f.form->Picture1->Image(), picture);
            QCOMPARE(f.form->Label2->text(), QStringLiteral("X=%1").arg(size.width()));
            QCOMPARE(f.form->Label3->text(), QStringLiteral("Y=%1").arg(size.height()));
            QCOMPARE(f.form->Label1->y(), qMax(80, size.height() + 37));
            QCOMPARE(f.form->Label1->text(), QStringLiteral(" "));
        } else {
            QCOMPARE(f.messageTexts(), QStringList{Oversize});
            QCOMPARE(f.form->Picture1->size(), QSize(324, 244));
            QVERIFY(!f.form->Picture1->hasPicture());
            QVERIFY(f.form->Label2->text().isEmpty());
        }
    }

    void pasteWithoutPicture()
    {
        Fixture f;
        f.form->Picture1->setPicture(patternImage(50, 40));
        QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
        paste(f);
        QCOMPARE(f.messageTexts(), QStringList{NotPicture});
        QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("注意")});
        QCOMPARE(f.form->Picture1->Image(), patternImage(50, 40));
    }

    void copyThenPaste()
    {
        Fixture f;
        f.script.answerFile(writePicture(f.path("p.bmp"), patternImage(60, 30)));
        f.form->BMPOPEN();
        f.form->mnucnv_Click();
        const QImage preview = f.form->Picture1->Image();
        copy(f);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), preview);

        f.form->Picture1->setPicture(patternImage(10, 10));
        paste(f);
        QCOMPARE(f.form->Picture1->Image(), preview);
        QCOMPARE(f.form->Label2->text(), QStringLiteral("X=60"));
        QCOMPARE(f.form->Label3->text(), QStringLiteral("Y=30"));
        QVERIFY(f.script.messages.isEmpty());

        // Cancel in the popup changes nothing.
        f.script.popupChoices.push_back(QStringLiteral("popcansel"));
        f.form->Picture1_MouseDown(2, QPoint());
        QCOMPARE(f.form->Picture1->Image(), preview);
        QVERIFY(f.script.messages.isEmpty());
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
