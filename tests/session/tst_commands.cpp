#include "sessiontest.h"

#include "app/session.h"
#include "core/colour/rgb332.h"
#include "core/formats/binformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace lumivert;

namespace {

// A folder name that a careless path join or quoting would break.
const QString Awkward = QStringLiteral("写真 フォルダ, 1");

QImage solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

#ifdef Q_OS_UNIX
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
#endif

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private:
    static QString folder(SessionFixture &f)
    {
        QDir(f.dir.path()).mkpath(Awkward);
        return f.dir.filePath(Awkward);
    }
    // Sets the batch flag the only way there is: a batch run whose dialog is cancelled.
    static void enterBatchMode(SessionFixture &f)
    {
        f.script.cancelFile();
        f.session.runBatch();
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
        SessionFixture f;
        f.session.setPicture(solid(3, 2, colour));
        f.session.convertPicture();
        QCOMPARE(*f.session.convertedBytes(), QByteArray(6, char(byte)));
        QCOMPARE(f.session.picture().pixel(2, 1), shown);
    }

    void conversionLayoutAndProgress()
    {
        SessionFixture f;
        const QImage picture = patternImage(123, 77);
        f.session.setPicture(picture);
        f.session.convertPicture();

        QCOMPARE(f.session.convertedBytes()->size(), 123 * 77);
        for (const QPoint p :
             {QPoint(0, 0), QPoint(122, 0), QPoint(0, 76), QPoint(57, 33), QPoint(122, 76)}) {
            const int index = p.y() * 123 + p.x();
            QCOMPARE(quint8(f.session.convertedBytes()->at(index)), reducePixel(picture.pixel(p)));
            QCOMPARE(f.session.picture().pixel(p.x(), p.y()),
                     expandByte(quint8(f.session.convertedBytes()->at(index))));
        }
        QCOMPARE(f.log.progressMaximum, 77);
        QCOMPARE(f.log.progressValues.last(), 76);
        QVERIFY(!f.log.progressVisible);
        QCOMPARE(f.log.status(), QStringLiteral("変換完了!!"));

        // Again: the same bytes, and the picture no longer changes.
        const QByteArray first = *f.session.convertedBytes();
        const QImage preview = f.session.picture();
        f.session.convertPicture();
        QCOMPARE(*f.session.convertedBytes(), first);
        QCOMPARE(f.session.picture(), preview);
    }

    void batchModeConvertsWithoutPreview()
    {
        SessionFixture f;
        const QImage picture = patternImage(40, 30);
        f.session.setPicture(picture);
        enterBatchMode(f);
        f.session.convertPicture();
        QCOMPARE(f.session.picture(), picture);
        QCOMPARE(f.session.convertedBytes()->size(), 1200);
        QCOMPARE(quint8(f.session.convertedBytes()->at(0)), reducePixel(picture.pixel(0, 0)));
        QCOMPARE(f.log.status(), QStringLiteral("変換完了!!"));
        QVERIFY(!f.log.progressVisible);
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
        SessionFixture f;
        const QString before = writePicture(f.path("before.bmp"), patternImage(100, 50));
        f.openPicture(before);
        f.session.convertPicture();
        const QByteArray converted = *f.session.convertedBytes();

        const QString path = writePicture(f.path("pic.BMP"), patternImage(size.width(), size.height()));
        f.openPicture(path);
        if (accepted) {
            QCOMPARE(f.session.picture().size(), size);
            QCOMPARE(f.log.widthText, QStringLiteral("X=%1").arg(size.width()));
            QCOMPARE(f.log.caption, path);
            QVERIFY(f.script.messages.isEmpty());
        } else {
            QCOMPARE(f.session.picture().size(), QSize(320, 240));
            QVERIFY(!f.showsPicture());
            QVERIFY(f.log.widthText.isEmpty());
            QVERIFY(f.log.heightText.isEmpty());
            QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("画像サイズオーバーです。")});
            QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("警告")});
            // The caption still names the picture before, and the file name keeps the full path.
            QCOMPARE(f.log.caption, before);
            QCOMPARE(f.session.fileDialog().fileName, path);
        }
        QCOMPARE(*f.session.convertedBytes(), converted);
    }

    void fitting_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("20 high") << QSize(320, 20);
        QTest::newRow("43 high") << QSize(10, 43);
        QTest::newRow("44 high") << QSize(10, 44);
        QTest::newRow("240 high") << QSize(320, 240);
        QTest::newRow("640x480") << QSize(640, 480);
    }
    void fitting()
    {
        QFETCH(QSize, size);
        SessionFixture f;
        f.openPicture(writePicture(f.path("p.bmp"), patternImage(size.width(), size.height())));
        QCOMPARE(f.log.lastRule, std::optional<FitRule>(FitRule::Picture));
        QCOMPARE(f.log.status(), QStringLiteral(" "));
        QCOMPARE(f.log.heightText, QStringLiteral("Y=%1").arg(size.height()));
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
        SessionFixture f;
        const QString path = writePicture(QDir(folder(f)).filePath(name), patternImage(30, 20), "JPG");
        f.openPicture(path);
        QVERIFY(f.showsPicture());
        QCOMPARE(f.session.fileDialog().fileName, QDir(folder(f)).filePath(proposed));
        QVERIFY(!f.session.batchMode());
    }

    // Each dialog starts in the folder where the last one ended.
    void dialogsStartWhereTheLastEnded()
    {
        SessionFixture f;
        QDir(f.dir.path()).mkpath(QStringLiteral("a"));
        f.openPicture(writePicture(f.path("a/p.bmp"), patternImage(10, 10)));
        f.script.cancelFile();
        f.session.exportBmp();
        QCOMPARE(f.script.fileRequests.last().folder, f.path("a"));
    }

    void openCancelledOrUnreadable()
    {
        SessionFixture f;
        const QString good = writePicture(f.path("good.bmp"), patternImage(50, 40));
        f.openPicture(good);
        const QImage shown = f.session.picture();
        const QString caption = f.log.caption;

        enterBatchMode(f);
        f.script.cancelFile();
        f.session.openPicture();
        QVERIFY(!f.session.batchMode());

        writeFile(f.path("junk.bmp"), "BM this is not a picture");
        f.openPicture(f.path("junk.bmp"));
        f.openPicture(f.path("missing.bmp"));
        QCOMPARE(f.session.picture(), shown);
        QCOMPARE(f.log.caption, caption);
        QCOMPARE(f.log.widthText, QStringLiteral("X=50"));
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
        SessionFixture f;
        f.openPicture(writePicture(f.path("small.bmp"), patternImage(100, 50)));
        const QString path = QDir(folder(f)).filePath(QStringLiteral("画像.BIN"));
        const QByteArray bytes = binBytes(length);
        writeFile(path, bytes);

        f.openBin(path);
        QCOMPARE(*f.session.convertedBytes(), bytes);
        QCOMPARE(f.session.picture().size() + QSize(4, 4), outer);
        const QSize inner = outer - QSize(4, 4);
        QCOMPARE(f.log.widthText, QStringLiteral("X=%1").arg(inner.width()));
        QCOMPARE(f.log.heightText, QStringLiteral("Y=%1").arg(inner.height()));
        QCOMPARE(f.log.lastRule, std::optional<FitRule>(FitRule::BinFile)); // no floor at 80
        QCOMPARE(f.log.status(), QStringLiteral("読込完了!!"));
        QCOMPARE(f.log.caption, path);
        QCOMPARE(f.session.fileDialog().fileName, path.chopped(4));
        QVERIFY(!f.log.progressVisible);
        const QImage image = f.session.picture();
        if (painted) {
            QCOMPARE(image, binToImage(bytes));
        } else {
            QCOMPARE(image.pixel(10, 10), Session::background().rgb());
        }
        QCOMPARE(f.busy.depth, 0);
    }

    void binOpenEmptyOrCancelled()
    {
        SessionFixture f;
        const QString keep = f.path("keep.BIN");
        writeFile(keep, QByteArray("keep"));
        f.openBin(keep);
        f.script.cancelFile();
        f.session.openBin();
        QCOMPARE(f.log.caption, keep);

        writeFile(f.path("empty.BIN"), {});
        f.openBin(f.path("empty.BIN"));
        QCOMPARE(*f.session.convertedBytes(), QByteArray("keep"));
        QCOMPARE(f.log.caption, f.path("empty.BIN"));
        QCOMPARE(f.busy.depth, 0);
        QVERIFY(f.script.messages.isEmpty());
    }

    void binSaveAndLoadAgain()
    {
        SessionFixture f;
        const QString dir = folder(f);
        f.openPicture(writePicture(QDir(dir).filePath("pic.bmp"), patternImage(320, 240)));
        f.session.convertPicture();
        const QImage preview = f.session.picture();

        // An older, longer file of that name is replaced whole.
        const QString bin = QDir(dir).filePath("pic.BIN");
        writeFile(bin, QByteArray(400000, 'x'));
        f.script.answerFile(bin);
        f.session.saveBin();
        QCOMPARE(f.script.fileRequests.last().fileName, QDir(dir).filePath("pic"));
        QCOMPARE(readFile(bin), *f.session.convertedBytes());
        QCOMPARE(f.log.status(), QStringLiteral("ＢＩＮファイル保存終了!!"));

        f.session.setPicture(patternImage(10, 10));
        f.openBin(bin);
        QCOMPARE(f.session.picture(), preview);

        // A name typed without extension is written as it stands.
        f.script.answerFile(QDir(dir).filePath("plain"));
        f.session.saveBin();
        QCOMPARE(readFile(QDir(dir).filePath("plain")).size(), 76800);
    }

    void binSaveWithNothingConverted()
    {
        SessionFixture f;
        f.script.answerFile(f.path("never.BIN"));
        f.session.saveBin();
        QVERIFY(!QFile::exists(f.path("never.BIN")));
        QVERIFY(f.script.fileRequests.isEmpty());
        QCOMPARE(f.messageTitles(), QStringList{QStringLiteral("注意")});
        QCOMPARE(f.session.fileDialog().options,
                 FileDialogState::Option::ConfirmOverwrite | FileDialogState::Option::HideReadOnly);
    }

    void bmpExport()
    {
        SessionFixture f;
        QImage picture = solid(7, 5, qRgb(128, 128, 128));
        picture.setPixel(6, 4, qRgb(32, 32, 64));
        f.openPicture(writePicture(f.path("grey.bmp"), picture));
        f.script.answerFile(f.path("raw"));
        f.session.exportBmp();
        QCOMPARE(QImage(f.path("raw"), "BMP").convertToFormat(QImage::Format_RGB32), picture);
        QCOMPARE(f.log.status(), QStringLiteral("ＢＭＰファイル保存終了!!"));

        f.session.convertPicture();
        f.script.answerFile(f.path("preview.bmp"));
        f.session.exportBmp();
        const QImage written(f.path("preview.bmp"));
        QCOMPARE(written.size(), QSize(7, 5));
        QCOMPARE(written.pixel(0, 0), qRgb(159, 159, 191));
        QCOMPARE(written.pixel(6, 4), qRgb(63, 63, 127));
        QCOMPARE(readFile(f.path("preview.bmp")).mid(28, 2), QByteArray("\x18\x00", 2)); // 24 bits

        const QByteArray bytes = binBytes(76800);
        writeFile(f.path("b.BIN"), bytes);
        f.openBin(f.path("b.BIN"));
        f.script.answerFile(f.path("b.bmp"));
        f.session.exportBmp();
        QCOMPARE(QImage(f.path("b.bmp")).convertToFormat(QImage::Format_RGB32), binToImage(bytes));
    }

    // A folder chain far longer than 255 bytes, of Japanese names with spaces and commas.
    void longPathsOnEveryRoad()
    {
        SessionFixture f;
        QString dir = f.dir.path();
        for (int i = 0; i < 8; ++i)
            dir += QStringLiteral("/長いフォルダの名前, その%1 です").arg(i);
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(dir.toUtf8().size() > 300);
        const QImage picture = patternImage(320, 240);
        const QString path = writePicture(dir + QStringLiteral("/写真 1,2.bmp"), picture);

        f.openPicture(path);
        QCOMPARE(f.log.caption, path);
        f.session.convertPicture();
        f.script.answerFile(dir + QStringLiteral("/写真 1,2.BIN"));
        f.session.saveBin();
        f.script.answerFile(dir + QStringLiteral("/写真 1,2 preview.bmp"));
        f.session.exportBmp();
        QVERIFY(f.script.messages.isEmpty());
        QCOMPARE(readFile(dir + QStringLiteral("/写真 1,2.BIN")), *f.session.convertedBytes());
        QCOMPARE(QImage(dir + QStringLiteral("/写真 1,2 preview.bmp")).size(), QSize(320, 240));

        f.session.setPicture(patternImage(5, 5));
        f.openBin(dir + QStringLiteral("/写真 1,2.BIN"));
        QCOMPARE(f.log.widthText, QStringLiteral("X=320"));

        QFile::remove(dir + QStringLiteral("/写真 1,2.BIN"));
        f.script.answerFiles({QDir::toNativeSeparators(dir + QStringLiteral("/写真 1,2.bmp"))});
        f.session.runBatch();
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
        SessionFixture f;
        f.openPicture(writePicture(f.path("p.bmp"), patternImage(320, 240)));
        f.session.convertPicture();
        const auto save = [&] { bmp ? f.session.exportBmp() : f.session.saveBin(); };

        // A folder that does not exist.
        f.script.answerFile(f.path("no such folder/out"));
        save();
        QCOMPARE(f.script.messages.size(), 1);
        QCOMPARE(f.script.messages.last().title, QStringLiteral("警告"));
        QCOMPARE(
            f.script.messages.last().text,
            QStringLiteral("ファイルを保存できませんでした。\n%1\n理由: 保存先のフォルダーが見つかりません。")
                .arg(f.path("no such folder/out")));
        QCOMPARE(f.log.status(), QStringLiteral(" "));

#ifdef Q_OS_UNIX
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

        const QString device = QStringLiteral("/dev/full");
#else
        // Windows has no limit to run a save out of room; its device names open devices in any folder.
        const QString device = f.path("nul.BIN");
#endif

        // A device is no file to replace.
        const qsizetype shown = f.script.messages.size();
        f.script.answerFile(device);
        save();
        QCOMPARE(f.script.messages.size(), shown + 1);
        QVERIFY(f.script.messages.last().text.endsWith(
            QStringLiteral("理由: 保存先は通常のファイルではありません。")));
#ifdef Q_OS_UNIX
        QVERIFY(QFileInfo(device).exists());
        QVERIFY(!QFileInfo(device).isFile());
#endif

        // Cancel stays silent.
        f.script.cancelFile();
        save();
        QCOMPARE(f.script.messages.size(), shown + 1);
    }

    // No save replaces the file the shown picture came from, and no BIN save replaces a picture; a BIN
    // file may be saved back over itself.
    void savesNeverReplaceWhatWasRead_data()
    {
        QTest::addColumn<bool>("bmp");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason"); // empty: saved
        const QString source = QStringLiteral("保存先は変換元のファイルです。");
        const QString picture = QStringLiteral("保存先は画像ファイルです。BINファイルで上書きできません。");
        QTest::newRow("BIN over the shown picture") << false << "shown.png" << source;
        QTest::newRow("BIN over another picture") << false << "other.jpg" << picture;
        QTest::newRow("BIN over a picture known by its reader") << false << "other.ppm" << picture;
        QTest::newRow("BMP over the shown picture") << true << "shown.png" << source;
        QTest::newRow("BMP over another picture") << true << "other.jpg" << QString();
        QTest::newRow("BIN over the BIN file shown") << false << "shown.BIN" << QString();
        QTest::newRow("BMP over the BIN file shown") << true << "shown.BIN" << source;
    }
    void savesNeverReplaceWhatWasRead()
    {
        QFETCH(bool, bmp);
        QFETCH(QString, target);
        QFETCH(QString, reason);
        SessionFixture f;
        writePicture(f.path("shown.png"), patternImage(32, 24), "PNG");
        writePicture(f.path("other.jpg"), patternImage(16, 16), "JPG");
        writePicture(f.path("other.ppm"), patternImage(16, 16), "PPM");
        writeFile(f.path("shown.BIN"), binBytes(76800));
        if (target == QLatin1String("shown.BIN"))
            f.openBin(f.path("shown.BIN"));
        else
            f.openPicture(f.path("shown.png"));
        f.session.convertPicture();
        const QByteArray before = readFile(f.path(target));

        f.script.answerFile(f.path(target));
        bmp ? f.session.exportBmp() : f.session.saveBin();
        if (reason.isEmpty()) {
            QVERIFY(f.script.messages.isEmpty());
            QVERIFY(readFile(f.path(target)) != before || !bmp);
            return;
        }
        QCOMPARE(f.messageTexts(),
                 QStringList{QStringLiteral("ファイルを保存できませんでした。\n%1\n理由: %2")
                                 .arg(f.path(target), reason)});
        QCOMPARE(readFile(f.path(target)), before);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
