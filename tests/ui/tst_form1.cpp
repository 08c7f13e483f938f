#include "uitest.h"

#include "gui/frmAbout.h"
#include "gui/globals.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolBar>

class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowSize_data()
    {
        QTest::addColumn<int>("horzRes");
        QTest::addColumn<bool>("coversScreen");
        QTest::newRow("800 wide screen") << 800 << true;
        QTest::newRow("1024 wide screen") << 1024 << false;
        QTest::newRow("never measured") << 0 << false;
    }
    void windowSize()
    {
        QFETCH(int, horzRes);
        QFETCH(bool, coversScreen);
        Module1::reset();
        Module1::HorzRes = qint16(horzRes);
        ModalScript script;
        Form1 form;
        form.Form_Load();
        const QSize expected =
            coversScreen ? QApplication::primaryScreen()->geometry().size() : QSize(800, 600);
        QCOMPARE(form.size(), expected);
        QCOMPARE(form.minimumSize(), form.maximumSize()); // the user cannot resize it
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void designLayout()
    {
        Fixture f;
        Form1 &w = *f.form;
        QCOMPARE(w.windowTitle(), QStringLiteral("256色Lumivert"));
        QCOMPARE(w.BaseCaption, QStringLiteral("256色Lumivert"));
        QCOMPARE(w.Picture1->geometry(), QRect(8, 32, 324, 244));
        QCOMPARE(QSize(w.Picture1->ScaleWidth(), w.Picture1->ScaleHeight()), QSize(320, 240));
        QCOMPARE(w.Label1->pos(), QPoint(8, 280));
        QCOMPARE(w.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(w.Label1->text().isEmpty());
        QCOMPARE(w.ProgressBar1->geometry(), QRect(136, 280, 197, 17));
        QVERIFY(w.ProgressBar1->isHidden());
        QCOMPARE(w.Label2->geometry(), QRect(296, 40, 81, 17));
        QCOMPARE(w.Label3->geometry(), QRect(288, 56, 81, 17));
        QCOMPARE(w.Toolbar1->pos(), QPoint(0, 0));
        QCOMPARE(w.Toolbar1->width(), w.width());
        QCOMPARE(w.CommonDialog1.Flags, 8);
        QCOMPARE(w.CommonDialog1.InitDir, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
        QCOMPARE(QDir::currentPath(), QCoreApplication::applicationDirPath());
    }

    void menuTexts()
    {
        Fixture f;
        QStringList bar;
        for (QAction *a : f.form->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"ﾌｧｲﾙ(&F)", "実行(&R)", "ﾍﾙﾌﾟ(&H)"}));

        const auto items = [](QMenu *menu) {
            QStringList list;
            for (QAction *a : menu->actions())
                list << (a->isSeparator() ? QStringLiteral("-")
                                          : a->objectName() + QLatin1Char('=') + a->text());
            return list;
        };
        QCOMPARE(items(f.form->mnufile),
                 (QStringList{"mnuopn=画像を開く(&O)", "mnubinopn=BINファイルを開く(&B)",
                              "mnubat=自動処理(&B)", "mnuasav=名前を付けてＢＩＮファイルを保存(&A)",
                              "mnussav=名前を付けてＢＭＰファイルを保存(&S)", "-", "mnuend=終了(&X)"}));
        QCOMPARE(items(f.form->mnugo), (QStringList{"mnucnv=変換(&C)"}));
        QCOMPARE(items(f.form->mnuhlp), (QStringList{"mnuver=バージョン情報(&A)"}));
        QCOMPARE(f.form->popclipboard->title(), QStringLiteral("クリップボード"));
        QCOMPARE(items(f.form->popclipboard),
                 (QStringList{"popcopy=コピー", "poppaste=ペースト", "popcansel=キャンセル"}));
        for (QMenu *menu : {f.form->mnufile, f.form->mnugo, f.form->mnuhlp, f.form->popclipboard}) {
            for (QAction *a : menu->actions()) {
                QVERIFY(a->shortcut().isEmpty());
                QVERIFY(!a->isCheckable());
                QVERIFY(a->isEnabled());
            }
        }
    }

    void toolbarButtons()
    {
        Fixture f;
        QStringList buttons;
        for (QAction *a : f.form->Toolbar1->actions())
            buttons << (a->isSeparator() ? QStringLiteral("-")
                                         : a->data().toString() + QLatin1Char('=') + a->toolTip());
        QCOMPARE(buttons,
                 (QStringList{"bmpopen=画像を開く", "binopen=BINファイルを開く", "-", "conv=変換", "-",
                              "binsave=BINファイル保存", "bmpsave=BMPファイル保存", "auto=自動処理"}));
        QStringList keys;
        for (const auto &entry : f.form->ImageList1) {
            keys << entry.first;
            QVERIFY2(!entry.second.availableSizes().isEmpty(), qPrintable(entry.first));
        }
        QCOMPARE(keys, (QStringList{"imgopen", "imgconv", "imgbin2", "imgbmp2", "imgauto", "imgopenbin",
                                    "imgbin", "imgbmp"}));
        for (QAction *a : f.form->Toolbar1->actions()) {
            if (!a->isSeparator()) {
                QVERIFY(a->text().isEmpty());
                QVERIFY(!a->icon().availableSizes().isEmpty());
            }
        }
    }

    // Each command is recognised by what it asks of the shared dialog.
    void dispatch_data()
    {
        QTest::addColumn<QString>("source"); // "menu:<name>" or "key:<key>"
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("flags");
        const QString picture = Filters::Picture;
        const QString binary = Filters::Binary;
        QTest::newRow("mnuopn") << "menu:mnuopn" << false << picture << 8;
        QTest::newRow("bmpopen") << "key:bmpopen" << false << picture << 8;
        QTest::newRow("mnubinopn") << "menu:mnubinopn" << false << binary << 8;
        QTest::newRow("binopen") << "key:binopen" << false << binary << 8;
        QTest::newRow("mnubat") << "menu:mnubat" << false << picture << 0x80208;
        QTest::newRow("auto") << "key:auto" << false << picture << 0x80208;
        QTest::newRow("mnuasav") << "menu:mnuasav" << true << binary << 6;
        QTest::newRow("binsave") << "key:binsave" << true << binary << 6;
        QTest::newRow("mnussav") << "menu:mnussav" << true << Filters::Bmp << 6;
        QTest::newRow("bmpsave") << "key:bmpsave" << true << Filters::Bmp << 6;
    }
    void dispatch()
    {
        QFETCH(QString, source);
        QFETCH(bool, save);
        QFETCH(QString, filter);
        QFETCH(int, flags);
        Fixture f;
        f.form->ConvBuf = QByteArray(4, 'x'); // so that BIN saving goes as far as its dialog
        trigger(*f.form, source);
        QCOMPARE(f.script.fileRequests.size(), 1);
        QCOMPARE(f.script.fileRequests.first().save, save);
        QCOMPARE(f.script.fileRequests.first().filter, filter);
        QCOMPARE(f.script.fileRequests.first().flags, flags);
    }

    void convertFromMenuAndToolbar_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("menu") << "menu:mnucnv";
        QTest::newRow("toolbar") << "key:conv";
    }
    void convertFromMenuAndToolbar()
    {
        QFETCH(QString, source);
        Fixture f;
        trigger(*f.form, source);
        QVERIFY(f.script.fileRequests.isEmpty());
        QCOMPARE(f.form->Label1->text(), Status::Converted);
        QCOMPARE(f.form->ConvBuf->size(), 320 * 240);
    }

    void unknownKeysDoNothing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("upper case") << "BMPOPEN";
        QTest::newRow("mixed case") << "Conv";
        QTest::newRow("empty (a separator)") << "";
        QTest::newRow("image key") << "imgopen";
    }
    void unknownKeysDoNothing()
    {
        QFETCH(QString, key);
        Fixture f;
        f.form->Toolbar1_ButtonClick(key);
        QVERIFY(f.script.fileRequests.isEmpty());
        QVERIFY(f.form->Label1->text().isEmpty());
        QVERIFY(!f.form->ConvBuf);
    }

    void endEndsAtOnce()
    {
        Fixture f;
        f.form->mnuend->trigger();
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
        Fixture f;
        f.form->show();
        f.script.popupChoices.push_back(QStringLiteral("popcansel"));
        QTest::mousePress(f.form->Picture1, Qt::MouseButton(button), {}, QPoint(50, 50));
        QCOMPARE(f.script.popupsOpened, popups);
        // Elsewhere in the window the right button opens nothing.
        QTest::mousePress(f.form->Label2, Qt::RightButton);
        QTest::mousePress(f.form->centralWidget(), Qt::RightButton, {}, QPoint(600, 400));
        QCOMPARE(f.script.popupsOpened, popups);
        QVERIFY(f.script.messages.isEmpty());
        QCOMPARE(f.form->Picture1->ScaleWidth(), 320);
    }

    void onlyThePictureTakesDrops()
    {
        Fixture f;
        QVERIFY(f.form->Picture1->acceptDrops());
        for (QWidget *w : f.form->findChildren<QWidget *>()) {
            if (w != f.form->Picture1)
                QVERIFY2(!w->acceptDrops(), qPrintable(w->objectName()));
        }
        QVERIFY(!f.form->acceptDrops());
    }

    void oneAboutBox()
    {
        Fixture f;
        f.form->mnuver->trigger();
        QPointer<frmAbout> first = f.form->aboutBox;
        QVERIFY(first && first->isVisible());
        QVERIFY(!first->isModal());
        f.form->mnuver->trigger();
        QCOMPARE(f.form->aboutBox.data(), first.data());
        int boxes = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            boxes += qobject_cast<frmAbout *>(w) && w->isVisible();
        QCOMPARE(boxes, 1);

        QCOMPARE(first->windowTitle(), QStringLiteral("Lumivertのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(first->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 5.1.0"));
        QCOMPARE(first->lblTitle->text(), QStringLiteral("256色Lumivert"));
        QVERIFY(first->lblDescription->text().startsWith(QStringLiteral("アプリケーションの説明") +
                                                         QString(96, ' ') + QChar(0x3000)));
        QVERIFY(first->Label1->text().startsWith(QStringLiteral("警告") + QString(114, ' ') +
                                                 QStringLiteral("著作権")));
        QVERIFY(first->cmdOK->isDefault());

        // The main window goes on working while it is open.
        f.form->Toolbar1_ButtonClick(QStringLiteral("conv"));
        QCOMPARE(f.form->Label1->text(), Status::Converted);

        first->close();
        QTRY_VERIFY(!first);
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
        QPointer<frmAbout> box = new frmAbout;
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTest::keyClick(box, Qt::Key(key));
        QTRY_VERIFY(!box);
    }

    // Each command sets only what it needs; the rest stays as the previous command left it.
    void dialogKeepsItsProperties()
    {
        Fixture f;
        CommonDialog &d = f.form->CommonDialog1;
        f.form->AUTOPROC(); // cancelled; leaves the multiple-selection options on
        QCOMPARE(d.Flags, 0x80208);
        f.form->BMPOPEN();
        f.form->BINOPEN();
        QCOMPARE(f.script.fileRequests.at(1).flags, 0x80208);
        QCOMPARE(f.script.fileRequests.at(2).flags, 0x80208);
        f.form->BMPSAVE();
        QCOMPARE(d.Flags, 6);
        f.form->BMPOPEN();
        QCOMPARE(f.script.fileRequests.last().flags, 6);
        for (const Modal::FileRequest &r : f.script.fileRequests)
            QCOMPARE(r.initDir, d.InitDir);
    }

private:
    static void trigger(Form1 &form, const QString &source)
    {
        const QString name = source.section(QLatin1Char(':'), 1);
        if (source.startsWith(QLatin1String("key:"))) {
            for (QAction *a : form.Toolbar1->actions()) {
                if (a->data().toString() == name) {
                    a->trigger();
                    return;
                }
            }
            QFAIL("no such toolbar key");
        }
        auto *action = form.findChild<QAction *>(name);
        QVERIFY(action);
        action->trigger();
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
