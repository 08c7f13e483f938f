#include "uitest.h"

#include "gui/aboutdialog.h"
#include "gui/comparisonwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

using namespace lumivert;

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowSize_data()
    {
        QTest::addColumn<int>("measuredWidth");
        QTest::addColumn<bool>("coversScreen");
        QTest::newRow("800 wide screen") << 800 << true;
        QTest::newRow("1024 wide screen") << 1024 << false;
        QTest::newRow("never measured") << 0 << false;
    }
    void windowSize()
    {
        QFETCH(int, measuredWidth);
        QFETCH(bool, coversScreen);
        WindowFixture f(measuredWidth);
        const QSize expected =
            coversScreen ? QApplication::primaryScreen()->geometry().size() : QSize(800, 600);
        QCOMPARE(f.window->size(), expected);
        QCOMPARE(f.window->minimumSize(), f.window->maximumSize()); // the user cannot resize it
        QVERIFY(!(f.window->windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void designLayout()
    {
        WindowFixture f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("256色Lumivert"));
        QCOMPARE(f.picture()->geometry(), QRect(8, 32, 324, 244));
        QLabel *status = f.label("statusLabel");
        QCOMPARE(status->pos(), QPoint(8, 280));
        QCOMPARE(status->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(status->text().isEmpty());
        QCOMPARE(f.progressBar()->geometry(), QRect(136, 280, 197, 17));
        QVERIFY(f.progressBar()->isHidden());
        QCOMPARE(f.label("widthLabel")->geometry(), QRect(296, 40, 81, 17));
        QCOMPARE(f.label("heightLabel")->geometry(), QRect(288, 56, 81, 17));
        auto *toolBar = f.window->findChild<QToolBar *>(QStringLiteral("toolBar"));
        QCOMPARE(toolBar->pos(), QPoint(0, 0));
        QCOMPARE(toolBar->width(), f.window->width());
        QCOMPARE(f.session().fileDialog().options,
                 FileDialogState::Options(FileDialogState::Option::KeepWorkingFolder));
        QCOMPARE(f.session().fileDialog().folder,
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
        QCOMPARE(QDir::currentPath(), QCoreApplication::applicationDirPath());
    }

    void menuTexts()
    {
        WindowFixture f;
        QStringList bar;
        for (QAction *a : f.window->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"ﾌｧｲﾙ(&F)", "実行(&R)", "ﾍﾙﾌﾟ(&H)"}));

        const auto items = [&f](const char *menuName) {
            QStringList list;
            for (QAction *a : f.window->findChild<QMenu *>(QString::fromLatin1(menuName))->actions())
                list << (a->isSeparator() ? QStringLiteral("-")
                                          : a->objectName() + QLatin1Char('=') + a->text());
            return list;
        };
        QCOMPARE(items("fileMenu"),
                 (QStringList{
                     "openPictureAction=画像を開く(&O)", "openBinAction=BINファイルを開く(&B)",
                     "batchAction=自動処理(&B)", "saveBinAction=名前を付けてＢＩＮファイルを保存(&A)",
                     "exportBmpAction=名前を付けてＢＭＰファイルを保存(&S)", "-", "quitAction=終了(&X)"}));
        QCOMPARE(items("runMenu"),
                 (QStringList{"convertAction=変換(&C)", "-", "reductionMenuAction=減色方法(&M)",
                              "fitMenuAction=画面サイズに合わせる(&F)", "rotationMenuAction=回転(&O)", "-",
                              "compareAction=変換前後の比較(&V)..."}));
        QCOMPARE(items("reductionMenu"),
                 (QStringList{"truncateAction=切り捨て（標準）(&T)", "nearestColourAction=最も近い色(&N)",
                              "errorDiffusionAction=誤差拡散(&E)", "orderedDitherAction=組織的ディザ(&D)"}));
        QCOMPARE(items("fitMenu"),
                 (QStringList{"noFitAction=合わせない（標準）(&N)", "fit320Action=320×240(&3)",
                              "fit640Action=640×480(&6)", "-", "fitWholeAction=全体を表示（標準）(&W)",
                              "fitFillAction=画面を埋める（はみ出しを切る）(&I)",
                              "enlargeAction=小さい画像を拡大する(&E)"}));
        QCOMPARE(items("rotationMenu"),
                 (QStringList{"noRotationAction=回転しない（標準）(&N)", "rotateRightAction=右に90°(&R)",
                              "rotate180Action=180°(&U)", "rotateLeftAction=左に90°(&L)", "-",
                              "noMirrorAction=反転しない（標準）(&M)", "mirrorHorizontalAction=左右反転(&H)",
                              "mirrorVerticalAction=上下反転(&V)"}));
        // the radio items chosen at start
        for (const char *chosen :
             {"truncateAction", "noFitAction", "fitWholeAction", "noRotationAction", "noMirrorAction"}) {
            QAction *item = f.window->findChild<QAction *>(QString::fromLatin1(chosen));
            QVERIFY(item->isChecked() && item->actionGroup()->isExclusive());
        }
        QCOMPARE(items("helpMenu"), (QStringList{"aboutAction=バージョン情報(&A)"}));
        QCOMPARE(f.window->findChild<QMenu *>(QStringLiteral("pictureMenu"))->title(),
                 QStringLiteral("クリップボード"));
        QCOMPARE(items("pictureMenu"),
                 (QStringList{"copyAction=コピー", "pasteAction=ペースト", "cancelAction=キャンセル"}));
    }

    void toolbarButtons()
    {
        WindowFixture f;
        QStringList buttons;
        auto *toolBar = f.window->findChild<QToolBar *>(QStringLiteral("toolBar"));
        for (QAction *a : toolBar->actions()) {
            if (a->isSeparator()) {
                buttons << QStringLiteral("-");
                continue;
            }
            auto *button = qobject_cast<QToolButton *>(toolBar->widgetForAction(a));
            buttons << button->objectName() + QLatin1Char('=') + button->toolTip();
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
            QVERIFY(!a->icon().availableSizes().isEmpty());
        }
        QCOMPARE(buttons, (QStringList{"openPictureButton=画像を開く", "openBinButton=BINファイルを開く", "-",
                                       "convertButton=変換", "-", "saveBinButton=BINファイル保存",
                                       "exportBmpButton=BMPファイル保存", "batchButton=自動処理"}));
    }

    // Each command is recognised by what it asks of the shared dialog.
    void dispatch_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("save");
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<FileDialogState::Options>("options");
        const QStringList picture = {"Picture(*.BMP) (*.BMP)", "Picture(*.JPG) (*.JPG)"};
        const QStringList binary = {"Binary(*.BIN) (*.BIN)"};
        const QStringList bmp = {"*.BMP (*.BMP)"};
        using O = FileDialogState::Option;
        const FileDialogState::Options keep = O::KeepWorkingFolder;
        const FileDialogState::Options several = O::KeepWorkingFolder | O::AllowSeveralFiles;
        const FileDialogState::Options save = O::ConfirmOverwrite | O::HideReadOnly;
        QTest::newRow("openPictureAction") << "openPictureAction" << false << picture << keep;
        QTest::newRow("openPictureButton") << "openPictureButton" << false << picture << keep;
        QTest::newRow("openBinAction") << "openBinAction" << false << binary << keep;
        QTest::newRow("openBinButton") << "openBinButton" << false << binary << keep;
        QTest::newRow("batchAction") << "batchAction" << false << picture << several;
        QTest::newRow("batchButton") << "batchButton" << false << picture << several;
        QTest::newRow("saveBinAction") << "saveBinAction" << true << binary << save;
        QTest::newRow("saveBinButton") << "saveBinButton" << true << binary << save;
        QTest::newRow("exportBmpAction") << "exportBmpAction" << true << bmp << save;
        QTest::newRow("exportBmpButton") << "exportBmpButton" << true << bmp << save;
    }
    void dispatch()
    {
        QFETCH(QString, source);
        QFETCH(bool, save);
        QFETCH(QStringList, filter);
        QFETCH(FileDialogState::Options, options);
        WindowFixture f;
        f.session().convertPicture(); // so that BIN saving goes as far as its dialog
        f.trigger(qPrintable(source));
        QCOMPARE(f.script.fileRequests.size(), 1);
        QCOMPARE(f.script.fileRequests.first().save, save);
        QCOMPARE(f.script.fileRequests.first().nameFilters, filter);
        QCOMPARE(f.script.fileRequests.first().options, options);
    }

    void convertFromMenuAndToolbar_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("menu") << "convertAction";
        QTest::newRow("toolbar") << "convertButton";
    }
    void convertFromMenuAndToolbar()
    {
        QFETCH(QString, source);
        WindowFixture f;
        f.trigger(qPrintable(source));
        QVERIFY(f.script.fileRequests.isEmpty());
        QCOMPARE(f.label("statusLabel")->text(), QStringLiteral("変換完了!!"));
        QCOMPARE(f.session().convertedBytes()->size(), 320 * 240);
        QVERIFY(f.progressBar()->isHidden());
    }

    // The usual keys reach their commands, and the menus show them.
    void shortcuts_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("filter"); // the first of the dialog the command asks, or "" for none
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("popups");
        QTest::newRow("Ctrl+O") << QKeySequence("Ctrl+O") << "Picture(*.BMP) (*.BMP)"
                                << "変換完了!!" << 0;
        QTest::newRow("Ctrl+S") << QKeySequence("Ctrl+S") << "Binary(*.BIN) (*.BIN)"
                                << "変換完了!!" << 0;
        QTest::newRow("Ctrl+E") << QKeySequence("Ctrl+E") << "*.BMP (*.BMP)"
                                << "変換完了!!" << 0;
        QTest::newRow("F5") << QKeySequence("F5") << ""
                            << "変換完了!!" << 0;
        QTest::newRow("Ctrl+V") << QKeySequence("Ctrl+V") << ""
                                << " " << 0;
        QTest::newRow("Menu key") << QKeySequence(Qt::Key_Menu) << ""
                                  << "変換完了!!" << 1;
        QTest::newRow("Shift+F10") << QKeySequence("Shift+F10") << ""
                                   << "変換完了!!" << 1;
    }
    void shortcuts()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, filter);
        QFETCH(QString, status);
        QFETCH(int, popups);
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.session().convertPicture(); // something to save
        QGuiApplication::clipboard()->setImage(patternImage(12, 8));
        f.popups.choices.push_back(QStringLiteral("cancelAction"));
        QTest::keySequence(f.window.get(), keys);
        QCOMPARE(f.script.fileRequests.size(), filter.isEmpty() ? 0 : 1);
        if (!filter.isEmpty())
            QCOMPARE(f.script.fileRequests.first().nameFilters.first(), filter);
        QCOMPARE(f.label("statusLabel")->text(), status);
        QCOMPARE(f.popups.opened, popups);
        if (keys == QKeySequence("Ctrl+V"))
            QCOMPARE(f.session().picture(), patternImage(12, 8));
    }

    void endEndsAtOnce()
    {
        WindowFixture f;
        f.trigger("quitAction");
        QCOMPARE(f.script.endRequests, 1);
        QVERIFY(f.script.messages.isEmpty());
    }

    void popupOnRightButtonOnly_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("popups");
        QTest::newRow("left") << int(Qt::LeftButton) << 0;
        QTest::newRow("middle") << int(Qt::MiddleButton) << 0;
        QTest::newRow("right") << int(Qt::RightButton) << 1;
    }
    void popupOnRightButtonOnly()
    {
        QFETCH(int, button);
        QFETCH(int, popups);
        WindowFixture f;
        f.window->show();
        f.popups.choices.push_back(QStringLiteral("cancelAction"));
        QTest::mousePress(f.picture(), Qt::MouseButton(button), {}, QPoint(50, 50));
        QCOMPARE(f.popups.opened, popups);
        // Elsewhere in the window the right button opens nothing.
        QTest::mousePress(f.label("widthLabel"), Qt::RightButton);
        QTest::mousePress(f.window->centralWidget(), Qt::RightButton, {}, QPoint(600, 400));
        QCOMPARE(f.popups.opened, popups);
        QVERIFY(f.script.messages.isEmpty());
        QCOMPARE(f.session().picture().size(), QSize(320, 240));
    }

    // The popup's items reach the clipboard commands; キャンセル changes nothing.
    void popupItems()
    {
        WindowFixture f;
        f.window->show();
        f.session().setPicture(patternImage(60, 30));
        f.popups.choices = {QStringLiteral("copyAction"), QStringLiteral("cancelAction")};
        QTest::mousePress(f.picture(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 patternImage(60, 30));
        f.session().setPicture(patternImage(10, 10));
        QTest::mousePress(f.picture(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(f.session().picture(), patternImage(10, 10));
        f.popups.choices = {QStringLiteral("pasteAction")};
        QTest::mousePress(f.picture(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(f.session().picture(), patternImage(60, 30));
        QCOMPARE(f.label("widthLabel")->text(), QStringLiteral("X=60"));
        QVERIFY(f.script.messages.isEmpty());
    }

    // Wherever the labels were left, the whole box is on top and takes the right button.
    void pictureTakesItsWholeArea_data()
    {
        QTest::addColumn<bool>("afterRefusal");
        QTest::newRow("at start-up") << false;
        QTest::newRow("after a small picture and a refused one") << true;
    }
    void pictureTakesItsWholeArea()
    {
        QFETCH(bool, afterRefusal);
        WindowFixture f;
        f.window->show();
        if (afterRefusal) {
            f.script.answerFile(writePicture(f.path("small.bmp"), patternImage(10, 10)));
            f.session().openPicture();
            f.script.answerFile(writePicture(f.path("large.bmp"), patternImage(641, 10)));
            f.session().openPicture();
            f.session().convertPicture();
            QCOMPARE(f.script.messageTexts(), QStringList{QStringLiteral("画像サイズオーバーです。")});
        }
        QWidget *client = f.window->centralWidget();
        const QRect box = f.picture()->geometry();
        QCOMPARE(box, QRect(8, 32, 324, 244));
        for (int y = box.top(); y <= box.bottom(); y += 2) {
            for (int x = box.left(); x <= box.right(); x += 2)
                QVERIFY2(client->childAt(x, y) == f.picture(),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
        for (const QPoint p : {QPoint(300, 45), QPoint(320, 50), QPoint(320, 62), QPoint(292, 60),
                               QPoint(50, 45), QPoint(100, 60)}) {
            f.popups.choices.push_back(QStringLiteral("cancelAction"));
            QWidget *target = client->childAt(p);
            QTest::mousePress(target, Qt::RightButton, {}, target->mapFrom(client, p));
        }
        QCOMPARE(f.popups.opened, 6);
    }

    void onlyThePictureTakesDrops()
    {
        WindowFixture f;
        QVERIFY(f.picture()->acceptDrops());
        for (QWidget *w : f.window->findChildren<QWidget *>()) {
            if (w != f.picture())
                QVERIFY2(!w->acceptDrops(), qPrintable(w->objectName()));
        }
        QVERIFY(!f.window->acceptDrops());
    }

    // The real drop event reaches the session through the picture box. The source is told of a copy
    // when the drop was taken, of nothing when it was refused, and never of a move.
    void dropEventOnPicture_data()
    {
        QTest::addColumn<bool>("file"); // a BIN file, else selected text
        QTest::addColumn<Qt::DropActions>("possible");
        QTest::newRow("BIN file") << true << Qt::DropActions(Qt::CopyAction | Qt::MoveAction);
        QTest::newRow("BIN file, move only") << true << Qt::DropActions(Qt::MoveAction);
        QTest::newRow("text") << false << Qt::DropActions(Qt::CopyAction | Qt::MoveAction);
    }
    void dropEventOnPicture()
    {
        QFETCH(bool, file);
        QFETCH(Qt::DropActions, possible);
        WindowFixture f;
        f.window->show();
        const QByteArray bytes(76800, '\x1C');
        writeFile(f.path("e.BIN"), bytes);
        QMimeData data;
        file ? data.setUrls({QUrl::fromLocalFile(f.path("e.BIN"))}) : data.setText(QStringLiteral("text"));
        QDragEnterEvent enter(QPoint(20, 20), possible, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.picture(), &enter);
        QCOMPARE(enter.isAccepted(), bool(possible & Qt::CopyAction));
        if (!enter.isAccepted())
            return;
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent event(QPointF(20, 20), possible, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.picture(), &event);
        QCOMPARE(event.isAccepted(), file);
        QCOMPARE(event.dropAction(), file ? Qt::CopyAction : Qt::IgnoreAction);
        if (!file) {
            QCOMPARE(f.script.messageTexts(),
                     {QStringLiteral("画像ファイル又はBINファイルではありません。")});
            return;
        }
        QCOMPARE(*f.session().convertedBytes(), bytes);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("256色Lumivert(%1)").arg(f.path("e.BIN")));
        QCOMPARE(f.label("statusLabel")->text(), QStringLiteral("読込完了!!"));
    }

    // The labels and the progress bar around the picture box, by the road the picture came.
    void layoutAroundPicture_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("statusTop");
        QTest::addColumn<int>("progressTop"); // the design's 280 when it does not move
        QTest::addColumn<int>("sizeLabelsLeft");
        QTest::newRow("opened, 20 high") << "open" << QSize(320, 20) << 80 << 57 << 338;
        QTest::newRow("opened, 44 high") << "open" << QSize(10, 44) << 81 << 81 << 28;
        QTest::newRow("opened, 640x480") << "open" << QSize(640, 480) << 517 << 517 << 658;
        QTest::newRow("pasted, 20 high") << "paste" << QSize(100, 20) << 80 << 280 << 118;
        QTest::newRow("BIN file of 1000 bytes") << "bin" << QSize(320, 240) << 277 << 277 << 338;
        QTest::newRow("BIN file of 640x480") << "bin" << QSize(640, 480) << 517 << 517 << 658;
    }
    void layoutAroundPicture()
    {
        QFETCH(QString, road);
        QFETCH(QSize, size);
        WindowFixture f;
        if (road == QLatin1String("open")) {
            f.script.answerFile(writePicture(f.path("p.bmp"), patternImage(size.width(), size.height())));
            f.session().openPicture();
        } else if (road == QLatin1String("paste")) {
            QGuiApplication::clipboard()->setImage(patternImage(size.width(), size.height()));
            f.session().pastePicture();
        } else {
            writeFile(f.path("b.BIN"), QByteArray(size == QSize(640, 480) ? 307200 : 1000, '\x92'));
            f.script.answerFile(f.path("b.BIN"));
            f.session().openBin();
        }
        QTEST(f.label("statusLabel")->y(), "statusTop");
        QTEST(f.progressBar()->y(), "progressTop");
        QTEST(f.label("widthLabel")->x(), "sizeLabelsLeft");
        QTEST(f.label("heightLabel")->x(), "sizeLabelsLeft");
        QCOMPARE(f.label("widthLabel")->y(), 40);
        QCOMPARE(f.label("heightLabel")->y(), 56);
        QCOMPARE(f.label("widthLabel")->text(), QStringLiteral("X=%1").arg(size.width()));
        QCOMPARE(f.label("heightLabel")->text(), QStringLiteral("Y=%1").arg(size.height()));
        QCOMPARE(f.picture()->geometry(), QRect(QPoint(8, 32), size + QSize(4, 4)));
    }

    // A method and a fit chosen in the menus: a picture that comes in by any road, too large for the box
    // or not, is fitted, and its BIN file is byte for byte the command line's.
    void choicesMatchCommandLine_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("choices"); // menu items, chosen in order
        QTest::addColumn<QString>("options"); // the command line's
        QTest::newRow("opened") << "open" << QSize(1200, 700) << "errorDiffusionAction fit320Action"
                                << "--dither floyd-steinberg --fit 320x240";
        QTest::newRow("dropped") << "drop" << QSize(500, 900) << "orderedDitherAction fit640Action"
                                 << "--dither ordered --fit 640x480";
        QTest::newRow("pasted, not enlarged")
            << "paste" << QSize(227, 149) << "nearestColourAction fit320Action"
            << "--dither nearest --fit 320x240";
        QTest::newRow("batch run") << "batch" << QSize(700, 500)
                                   << "errorDiffusionAction truncateAction fit640Action"
                                   << "--dither none --fit 640x480";
    }
    void choicesMatchCommandLine()
    {
        QFETCH(QString, road);
        QFETCH(QSize, size);
        QFETCH(QString, choices);
        QFETCH(QString, options);
        WindowFixture f;
        for (const QString &item : choices.split(QLatin1Char(' ')))
            f.trigger(qPrintable(item));
        const QString picture =
            writePicture(f.path("photo.jpg"), patternImage(size.width(), size.height()), "JPG");
        const bool batch = road == QLatin1String("batch");
        if (batch || road == QLatin1String("open")) {
            f.script.answerFile(picture);
            f.trigger(batch ? "batchAction" : "openPictureAction");
        } else { // the file dropped, or its bytes pasted
            auto *data = new QMimeData;
            data->setUrls({QUrl::fromLocalFile(picture)});
            data->setData(QStringLiteral("image/jpeg"), readFile(picture));
            QGuiApplication::clipboard()->setMimeData(data);
            if (road == QLatin1String("drop"))
                f.session().openDropped(data);
            else
                f.trigger("pasteAction");
        }
        if (!batch) {
            f.trigger("convertAction");
            f.script.answerFile(f.path("photo.BIN"));
            f.trigger("saveBinAction");
        }
        const QByteArray bytes = readFile(f.path("photo.BIN"));
        const QSize canvas =
            choices.endsWith(QLatin1String("fit320Action")) ? QSize(320, 240) : QSize(640, 480);
        QCOMPARE(f.label("widthLabel")->text(), QStringLiteral("X=%1").arg(canvas.width()));
        QCOMPARE(bytes.size(), canvas.width() * canvas.height());
        QCOMPARE(bytes.at(0), '\0'); // the black border
        if (!batch)                  // the preview is the bytes as the display shows them
            QCOMPARE(f.session().picture().pixel(canvas.width() / 2, canvas.height() / 2),
                     expandByte(quint8(bytes.at(bytes.size() / 2 + canvas.width() / 2))));
        QCOMPARE(f.script.messages.size(), batch ? 1 : 0);

        QProcess cli;
        cli.start(QStringLiteral(LUMIVERT_CLI),
                  QStringList{"convert", "-q", picture, "-o", f.path("cli.BIN")} +
                      options.split(QLatin1Char(' ')));
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(readFile(f.path("cli.BIN")) == bytes);
    }

    // The layout items pass their choice on; fill and enlarge wait for a size to fill.
    void placementChoices_data()
    {
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QString>("shown"); // the session's placement, as the comparison names it
        QTest::newRow("none") << "fitFillAction enlargeAction"
                              << "合わせない（標準）";
        QTest::newRow("fill, enlarged") << "fit320Action fitFillAction enlargeAction"
                                        << "320×240・画面を埋める・拡大あり";
        QTest::newRow("turned and mirrored")
            << "rotateLeftAction mirrorHorizontalAction rotateRightAction mirrorVerticalAction"
            << "合わせない（標準）・右に90°・上下反転";
        QTest::newRow("back to the design's")
            << "fit640Action fitFillAction rotate180Action fitWholeAction noRotationAction"
            << "640×480・全体を表示";
    }
    void placementChoices()
    {
        QFETCH(QString, choices);
        QFETCH(QString, shown);
        WindowFixture f;
        for (const QString &item : choices.split(QLatin1Char(' ')))
            f.trigger(qPrintable(item));
        QCOMPARE(layoutName({f.session().fitSize(), f.session().placement(), false}), shown);
    }

    // The comparison shows the method chosen at once, by a conversion of its own.
    void comparisonFollowsTheMethod()
    {
        WindowFixture f;
        f.session().setPicture(patternImage(64, 48));
        f.trigger("convertAction");
        const QByteArray converted = *f.session().convertedBytes();
        const QImage preview = f.session().picture();
        f.trigger("compareAction");
        auto *comparison = f.window->findChild<ComparisonWindow *>();
        QVERIFY(comparison && comparison->isVisible());
        f.trigger("errorDiffusionAction");
        QCOMPARE(comparison->afterImage(), unitPreview(patternImage(64, 48), Dither::FloydSteinberg));
        QVERIFY(comparison->description().startsWith(QStringLiteral("減色方法: 誤差拡散")));
        QCOMPARE(*f.session().convertedBytes(), converted);
        QCOMPARE(f.session().picture(), preview);

        comparison->setZoom({1});
        comparison->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(comparison));
        QTest::keyClick(comparison, Qt::Key_Plus);
        QTest::keyClick(comparison, Qt::Key_Plus);
        QCOMPARE(comparison->zoom().factor, 3);
        QTest::keyClick(comparison, Qt::Key_Space);
        QCOMPARE(comparison->view(), ComparisonWindow::View::After);
        QTest::keyClick(comparison, Qt::Key_Space);
        QCOMPARE(comparison->view(), ComparisonWindow::View::Before);
    }

    void oneAboutBox()
    {
        WindowFixture f;
        f.trigger("aboutAction");
        const auto aboutBoxes = [] {
            QList<QWidget *> boxes;
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (qobject_cast<AboutDialog *>(w) && w->isVisible())
                    boxes << w;
            }
            return boxes;
        };
        QCOMPARE(aboutBoxes().size(), 1);
        QPointer<QWidget> first = aboutBoxes().first();
        QVERIFY(!first->isModal());
        f.trigger("aboutAction");
        QCOMPARE(aboutBoxes(), QList<QWidget *>{first.data()});

        QCOMPARE(first->windowTitle(), QStringLiteral("Lumivertのﾊﾞｰｼﾞｮﾝ情報"));
        const auto text = [&first](const char *name) {
            return first->findChild<QLabel *>(QString::fromLatin1(name))->text();
        };
        QCOMPARE(text("versionLabel"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 5.1.0"));
        QCOMPARE(text("titleLabel"), QStringLiteral("256色Lumivert"));
        QVERIFY(text("descriptionLabel")
                    .startsWith(QStringLiteral("アプリケーションの説明\n　Windowsの画像データ")));
        QVERIFY(text("warningLabel")
                    .startsWith(QStringLiteral("警告") + QString(114, ' ') + QStringLiteral("著作権")));
        QVERIFY(first->findChild<QPushButton *>(QStringLiteral("okButton"))->isDefault());

        // The main window goes on working while it is open.
        f.trigger("convertButton");
        QCOMPARE(f.label("statusLabel")->text(), QStringLiteral("変換完了!!"));

        first->close();
        QTRY_VERIFY(!first);
    }

    // The description's paragraph starts one full-width space further in than its next line.
    void aboutParagraphIsIndented()
    {
        AboutDialog box;
        box.show();
        auto *label = box.findChild<QLabel *>(QStringLiteral("descriptionLabel"));
        const QImage shown = label->grab().toImage();
        const int line = label->fontMetrics().lineSpacing();
        const auto textStart = [&](int row) {
            for (int x = 0; x < shown.width(); ++x) {
                for (int y = row * line; y < qMin((row + 1) * line, shown.height()); ++y) {
                    if (qGray(shown.pixel(x, y)) < 128)
                        return x;
                }
            }
            return -1;
        };
        QVERIFY2(textStart(1) >= textStart(2) + label->fontMetrics().horizontalAdvance(QChar(0x3000)) - 2,
                 qPrintable(QStringLiteral("%1 %2").arg(textStart(1)).arg(textStart(2))));
    }

    void aboutBoxClosesOnKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void aboutBoxClosesOnKeys()
    {
        QFETCH(int, key);
        QPointer<AboutDialog> box = new AboutDialog;
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTest::keyClick(box, Qt::Key(key));
        QTRY_VERIFY(!box);
    }

    // Each command sets only what it needs; the rest stays as the previous command left it.
    void dialogKeepsItsProperties()
    {
        WindowFixture f;
        Session &s = f.session();
        using O = FileDialogState::Option;
        const FileDialogState::Options several = O::KeepWorkingFolder | O::AllowSeveralFiles;
        const FileDialogState::Options save = O::ConfirmOverwrite | O::HideReadOnly;
        s.runBatch(); // cancelled; leaves the multiple-selection options on
        QCOMPARE(s.fileDialog().options, several);
        s.openPicture();
        s.openBin();
        QCOMPARE(f.script.fileRequests.at(1).options, several);
        QCOMPARE(f.script.fileRequests.at(2).options, several);
        s.exportBmp();
        QCOMPARE(s.fileDialog().options, save);
        s.openPicture();
        QCOMPARE(f.script.fileRequests.last().options, save);
        for (const FileRequest &r : f.script.fileRequests)
            QCOMPARE(r.folder, s.fileDialog().folder);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
