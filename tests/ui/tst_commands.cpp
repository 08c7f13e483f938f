#include "uitest.h"

#include "gui/globals.h"
#include "core/rgb332.h"
#include "core/binformat.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// A folder name that a careless path join or quoting would break.
const QString Awkward = QStringLiteral("写真 フォルダ, 1");

QImage solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Limits the size of files this process may write, so that a save runs out of room part way.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private:
    // Opens `path` through the picture-open command.
    static void open(Fixture &f, const QString &path)
    {
        f.script.answerFile(path);
        f.form->BMPOPEN();
    }
    static QString folder(Fixture &f)
    {
        QDir(f.dir.path()).mkpath(Awkward);
        return f.dir.filePath(Awkward);
    }

private Q_SLOTS:
    void conversionColours_data()
    {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<int>("byte");
        QTest::addColumn<QRgb>("shown");
        QTest::newRow("black") << qRgb(0, 0, 0) << 0x00 << qRgb(0, 0, 0);
        QTest::newRow("white") << qRgb(255, 255, 255) << 0xFF << qRgb(255, 255, 255);
        QTest::newRow("red") << qRgb(255, 0, 0) << 0xE0 << qRgb(255, 0, 0);
        QTest::newRow("mid-grey") << qRgb(128, 128, 128) << 0x92 << qRgb(159, 159, 191);
        QTest::newRow("top of lowest bands") << qRgb(31, 31, 63) << 0x00 << qRgb(0, 0, 0);
        QTest::newRow("bottom of second bands") << qRgb(32, 32, 64) << 0x25 << qRgb(63, 63, 127);
    }
    void conversionColours()
    {
        QFETCH(QRgb, colour);
        QFETCH(int, byte);
        QFETCH(QRgb, shown);
        Fixture f;
        f.form->Picture1->setPicture(solid(3, 2, colour));
        f.form->mnucnv_Click();
        QCOMPARE(*f.form->ConvBuf, QByteArray(6, char(byte)));
        QCOMPARE(f.form->Picture1->Point(2, 1), shown);
    }

    void conversionLayoutAndProgress()
    {
        Fixture f;
        const QImage picture = patternImage(123, 77);
        f.form->Picture1->setPicture(picture);
        QList<int> values;
        connect(f.form->ProgressBar1, &QProgressBar::valueChanged, [&](int v) { values << v; });
        f.form->Toolbar1_ButtonClick(QStringLiteral("conv"));

        QCOMPARE(f.form->ConvBuf->size(), 123 * 77);
        QCOMPARE(Module1::ImgWidth, 123);
        QCOMPARE(Module1::ImgHeight, 77);
        for (const QPoint p :
             {QPoint(0, 0), QPoint(122, 0), QPoint(0, 76), QPoint(57, 33), QPoint(122, 76)}) {
            const int index = p.y() * 123 + p.x();
            QCOMPARE(quint8(f.form->ConvBuf->at(index)), lumivert::reducePixel(picture.pixel(p)));
            QCOMPARE(f.form->Picture1->Point(p.x(), p.y()),
                     lumivert::expandByte(quint8(f.form->ConvBuf->at(index))));
        }
        QCOMPARE(f.form->ProgressBar1->maximum(), 77);
        QCOMPARE(values.last(), 76);
        QVERIFY(f.form->ProgressBar1->isHidden());
        QCOMPARE(f.form->Label1->text(), Status::Converted);

        // Again: the same bytes, and the picture no longer changes.
        const QByteArray first = *f.form->ConvBuf;
        const QImage preview = f.form->Picture1->Image();
        f.form->mnucnv_Click();
        QCOMPARE(*f.form->ConvBuf, first);
        QCOMPARE(f.form->Picture1->Image(), preview);
    }

    void batchModeConvertsWithoutPreview()
    {
        Fixture f;
        const QImage picture = patternImage(40, 30);
        f.form->Picture1->setPicture(picture);
        f.form->BatchMode = 1;
        f.form->mnucnv_Click();
        QCOMPARE(f.form->Picture1->Image(), picture);
        QCOMPARE(f.form->ConvBuf->size(), 1200);
        QCOMPARE(quint8(f.form->ConvBuf->at(0)), lumivert::reducePixel(picture.pixel(0, 0)));
        QCOMPARE(f.form->Label1->text(), Status::Converted);
        QVERIFY(f.form->ProgressBar1->isHidden());
    }

    void sizeLimit_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("640x480") << QSize(640, 480) << true;
        QTest::newRow("641x480") << QSize(641, 480) << false;
        QTest::newRow("640x481") << QSize(640, 481) << false;
        QTest::newRow("1x1") << QSize(1, 1) << true;
    }
    void sizeLimit()
    {
        QFETCH(QSize, size);
        QFETCH(bool, accepted);
        Fixture f;
        const QString before = writePicture(f.path("before.bmp"), patternImage(100, 50));
        open(f, before);
        f.form->mnucnv_Click();
        const QByteArray converted = *f.form->ConvBuf;

        const QString path = writePicture(f.path("pic.BMP"), patternImage(size.width(), size.height()));
        open(f, path);
        if (accepted) {
            QCOMPARE(f.form->Picture1->size(), size + QSize(4, 4));
            QCOMPARE(f.form->Label2->text(), QStringLiteral("X=%1").arg(size.width()));
            QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(path));
            QVERIFY(f.script.messages.isEmpty());
        } else {
            QCOMPARE(f.form->Picture1->size(), QSize(324, 244));
            QVERIFY(!f.form->Picture1->hasPicture());
            QVERIFY(f.form->Label2->text().isEmpty());
            QVERIFY(f.form->Label3->text().isEmpty());
            QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("画像サイズオーバーです。")});
            QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("警告")});
            // The caption still names the picture before, and the file name keeps the full path.
            QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(before));
            QCOMPARE(f.form->CommonDialog1.FileName, path);
        }
        QCOMPARE(*f.form->ConvBuf, converted);
    }

    void fitting_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("label1Top");
        QTest::addColumn<int>("progressTop");
        QTest::addColumn<int>("sizeLabelsLeft");
        QTest::newRow("20 high") << QSize(320, 20) << 80 << 57 << 338;
        QTest::newRow("43 high") << QSize(10, 43) << 80 << 80 << 28;
        QTest::newRow("44 high") << QSize(10, 44) << 81 << 81 << 28;
        QTest::newRow("240 high") << QSize(320, 240) << 277 << 277 << 338;
        QTest::newRow("640x480") << QSize(640, 480) << 517 << 517 << 658;
    }
    void fitting()
    {
        QFETCH(QSize, size);
        QFETCH(int, label1Top);
        QFETCH(int, progressTop);
        QFETCH(int, sizeLabelsLeft);
        Fixture f;
        open(f, writePicture(f.path("p.bmp"), patternImage(size.width(), size.height())));
        QCOMPARE(f.form->Label1->y(), label1Top);
        QCOMPARE(f.form->Label1->text(), QStringLiteral(" "));
        QCOMPARE(f.form->ProgressBar1->y(), progressTop);
        QCOMPARE(f.form->Label2->x(), sizeLabelsLeft);
        QCOMPARE(f.form->Label3->x(), sizeLabelsLeft);
        QCOMPARE(f.form->Label2->y(), 40);
        QCOMPARE(f.form->Label3->y(), 56);
        QCOMPARE(f.form->Label3->text(), QStringLiteral("Y=%1").arg(size.height()));
        QCOMPARE(f.form->Picture1->pos(), QPoint(8, 32));
    }

    void openNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("JPG") << "pic.JPG"
                             << "pic";
        QTest::newRow("jpeg") << "pic.jpeg"
                              << "pic.";
        QTest::newRow("bmp") << "写真 1, 2.bmp"
                             << "写真 1, 2";
    }
    void openNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, proposed);
        Fixture f;
        const QString path = writePicture(QDir(folder(f)).filePath(name), patternImage(30, 20), "JPG");
        open(f, path);
        QVERIFY(f.form->Picture1->hasPicture());
        QCOMPARE(f.form->CommonDialog1.FileName, QDir(folder(f)).filePath(proposed));
        QCOMPARE(Module1::NameLen, qint16(path.size()));
        QCOMPARE(f.form->BatchMode, qint16(0));
    }

    void openCancelledOrUnreadable()
    {
        Fixture f;
        const QString good = writePicture(f.path("good.bmp"), patternImage(50, 40));
        open(f, good);
        const QImage shown = f.form->Picture1->Image();
        const QString title = f.form->windowTitle();

        f.form->BatchMode = 1;
        f.script.cancelFile();
        f.form->BMPOPEN();
        QCOMPARE(f.form->BatchMode, qint16(0));

        writeFile(f.path("junk.bmp"), "BM this is not a picture");
        open(f, f.path("junk.bmp"));
        open(f, f.path("missing.bmp"));
        QCOMPARE(f.form->Picture1->Image(), shown);
        QCOMPARE(f.form->windowTitle(), title);
        QCOMPARE(f.form->Label2->text(), QStringLiteral("X=50"));
        QVERIFY(f.script.messages.isEmpty());
    }

    void binOpen_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<bool>("painted");
        QTest::newRow("320x240") << 76800 << QSize(324, 244) << true;
        QTest::newRow("640x480") << 307200 << QSize(644, 484) << true;
        QTest::newRow("1000 bytes") << 1000 << QSize(104, 54) << false;
    }
    void binOpen()
    {
        QFETCH(int, length);
        QFETCH(QSize, outer);
        QFETCH(bool, painted);
        Fixture f;
        open(f, writePicture(f.path("small.bmp"), patternImage(100, 50)));
        const QString path = QDir(folder(f)).filePath(QStringLiteral("画像.BIN"));
        const QByteArray bytes = binBytes(length);
        writeFile(path, bytes);

        f.script.answerFile(path);
        f.form->BINOPEN();
        QCOMPARE(*f.form->ConvBuf, bytes);
        QCOMPARE(Module1::FileSize, length);
        QCOMPARE(f.form->Picture1->size(), outer);
        const QSize inner = outer - QSize(4, 4);
        QCOMPARE(f.form->Label2->text(), QStringLiteral("X=%1").arg(inner.width()));
        QCOMPARE(f.form->Label3->text(), QStringLiteral("Y=%1").arg(inner.height()));
        QCOMPARE(f.form->Label1->y(), inner.height() + 32 + 5); // no floor at 80
        QCOMPARE(f.form->Label1->text(), Status::Loaded);
        QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(path));
        QCOMPARE(f.form->CommonDialog1.FileName, path.chopped(4));
        QVERIFY(f.form->ProgressBar1->isHidden());
        const QImage image = f.form->Picture1->Image();
        if (painted) {
            QCOMPARE(image, lumivert::binToImage(bytes));
        } else {
            QCOMPARE(image.pixel(10, 10), PictureBox::background().rgb());
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void binOpenEmptyOrCancelled()
    {
        Fixture f;
        f.form->ConvBuf = QByteArray("keep");
        f.script.cancelFile();
        f.form->BINOPEN();
        QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert"));

        writeFile(f.path("empty.BIN"), {});
        f.script.answerFile(f.path("empty.BIN"));
        f.form->BINOPEN();
        QCOMPARE(*f.form->ConvBuf, QByteArray("keep"));
        QCOMPARE(Module1::FileSize, 0);
        QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(f.path("empty.BIN")));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(f.script.messages.isEmpty());
    }

    void binSaveAndLoadAgain()
    {
        Fixture f;
        const QString dir = folder(f);
        open(f, writePicture(QDir(dir).filePath("pic.bmp"), patternImage(320, 240)));
        f.form->mnucnv_Click();
        const QImage preview = f.form->Picture1->Image();

        // An older, longer file of that name is replaced whole.
        const QString bin = QDir(dir).filePath("pic.BIN");
        writeFile(bin, QByteArray(400000, 'x'));
        f.script.answerFile(bin);
        f.form->BINSAVE();
        QCOMPARE(f.script.fileRequests.last().fileName, QDir(dir).filePath("pic"));
        QCOMPARE(readFile(bin), *f.form->ConvBuf);
        QCOMPARE(f.form->Label1->text(), Status::BinSaved);

        f.form->Picture1->setPicture(patternImage(10, 10));
        f.script.answerFile(bin);
        f.form->BINOPEN();
        QCOMPARE(f.form->Picture1->Image(), preview);

        // A name typed without extension is written as it stands.
        f.script.answerFile(QDir(dir).filePath("plain"));
        f.form->BINSAVE();
        QCOMPARE(readFile(QDir(dir).filePath("plain")).size(), 76800);
    }

    void binSaveWithNothingConverted()
    {
        Fixture f;
        f.script.answerFile(f.path("never.BIN"));
        f.form->BINSAVE();
        QVERIFY(!QFile::exists(f.path("never.BIN")));
        QVERIFY(f.script.fileRequests.isEmpty());
        QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("注意")});
        QCOMPARE(f.form->CommonDialog1.Flags, 6);
    }

    void bmpExport()
    {
        Fixture f;
        QImage picture = solid(7, 5, qRgb(128, 128, 128));
        picture.setPixel(6, 4, qRgb(32, 32, 64));
        open(f, writePicture(f.path("grey.bmp"), picture));
        f.script.answerFile(f.path("raw"));
        f.form->BMPSAVE();
        QCOMPARE(QImage(f.path("raw"), "BMP").convertToFormat(QImage::Format_RGB32), picture);
        QCOMPARE(f.form->Label1->text(), Status::BmpSaved);

        f.form->mnucnv_Click();
        f.script.answerFile(f.path("preview.bmp"));
        f.form->BMPSAVE();
        const QImage written(f.path("preview.bmp"));
        QCOMPARE(written.size(), QSize(7, 5));
        QCOMPARE(written.pixel(0, 0), qRgb(159, 159, 191));
        QCOMPARE(written.pixel(6, 4), qRgb(63, 63, 127));
        QCOMPARE(readFile(f.path("preview.bmp")).mid(28, 2), QByteArray("\x18\x00", 2)); // 24 bits

        const QByteArray bytes = binBytes(76800);
        writeFile(f.path("b.BIN"), bytes);
        f.script.answerFile(f.path("b.BIN"));
        f.form->BINOPEN();
        f.script.answerFile(f.path("b.bmp"));
        f.form->BMPSAVE();
        QCOMPARE(QImage(f.path("b.bmp")).convertToFormat(QImage::Format_RGB32), lumivert::binToImage(bytes));
    }

    // A folder chain far longer than 255 bytes, of Japanese names with spaces and commas.
    void longPathsOnEveryRoad()
    {
        Fixture f;
        QString dir = f.dir.path();
        for (int i = 0; i < 8; ++i)
            dir += QStringLiteral("/長いフォルダの名前, その%1 です").arg(i);
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(dir.toUtf8().size() > 300);
        const QImage picture = patternImage(320, 240);
        const QString path = writePicture(dir + QStringLiteral("/写真 1,2.bmp"), picture);

        open(f, path);
        QCOMPARE(f.form->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(path));
        f.form->mnucnv_Click();
        f.script.answerFile(dir + QStringLiteral("/写真 1,2.BIN"));
        f.form->BINSAVE();
        f.script.answerFile(dir + QStringLiteral("/写真 1,2 preview.bmp"));
        f.form->BMPSAVE();
        QVERIFY(f.script.messages.isEmpty());
        QCOMPARE(readFile(dir + QStringLiteral("/写真 1,2.BIN")), *f.form->ConvBuf);
        QCOMPARE(QImage(dir + QStringLiteral("/写真 1,2 preview.bmp")).size(), QSize(320, 240));

        f.form->Picture1->setPicture(patternImage(5, 5));
        f.script.answerFile(dir + QStringLiteral("/写真 1,2.BIN"));
        f.form->BINOPEN();
        QCOMPARE(f.form->Label2->text(), QStringLiteral("X=320"));

        QFile::remove(dir + QStringLiteral("/写真 1,2.BIN"));
        f.script.answerFile(QDir::toNativeSeparators(dir) + QChar(u'\0') + QStringLiteral("写真 1,2.bmp"));
        f.form->AUTOPROC();
        QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("自動処理が終了しました。")});
        QCOMPARE(readFile(dir + QStringLiteral("/写真 1,2.BIN")).size(), 76800);
    }

    void failedSavesKeepTheOldFile_data()
    {
        QTest::addColumn<bool>("bmp");
        QTest::newRow("BIN") << false;
        QTest::newRow("BMP") << true;
    }
    void failedSavesKeepTheOldFile()
    {
        QFETCH(bool, bmp);
        Fixture f;
        open(f, writePicture(f.path("p.bmp"), patternImage(320, 240)));
        f.form->mnucnv_Click();
        const auto save = [&] { bmp ? f.form->BMPSAVE() : f.form->BINSAVE(); };

        // A folder that does not exist.
        f.script.answerFile(f.path("no such folder/out"));
        save();
        QCOMPARE(f.script.messages.size(), 1);
        QCOMPARE(f.script.messages.last().title, QStringLiteral("警告"));
        QVERIFY(f.script.messages.last().text.contains(f.path("no such folder/out")));
        QCOMPARE(f.form->Label1->text(), QStringLiteral(" "));

        // The device runs out of room half way: the old file stays as it was.
        const QString old = f.path("old");
        writeFile(old, QByteArray(1000, 'o'));
        {
            FileSizeLimit limit(20000);
            f.script.answerFile(old);
            save();
        }
        QCOMPARE(readFile(old), QByteArray(1000, 'o'));
        QCOMPARE(f.script.messages.size(), 2);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 2); // p.bmp, old: no leftovers

        // A full device.
        f.script.answerFile(QStringLiteral("/dev/full"));
        save();
        QCOMPARE(f.script.messages.size(), 3);
        QVERIFY(QFileInfo(QStringLiteral("/dev/full")).exists());
        QVERIFY(!QFileInfo(QStringLiteral("/dev/full")).isFile());

        // Cancel stays silent.
        f.script.cancelFile();
        save();
        QCOMPARE(f.script.messages.size(), 3);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
