#include "gui/Form1.h"

#include "gui/frmAbout.h"
#include "gui/globals.h"
#include "gui/modal.h"
#include "core/windowsize.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QToolBar>

Form1::Form1(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("256色Lumivert"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumivert.png")));

    for (const char *key :
         {"imgopen", "imgconv", "imgbin2", "imgbmp2", "imgauto", "imgopenbin", "imgbin", "imgbmp"}) {
        const QString name = QString::fromLatin1(key);
        ImageList1.append({name, QIcon(QStringLiteral(":/icons/%1.png").arg(name))});
    }

    // Everything inside measures in pixels from the top left of the area under the menu bar,
    // the toolbar included, as the window was designed.
    client = new QWidget(this);
    setCentralWidget(client);

    Toolbar1 = new QToolBar(client);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->setGeometry(0, 0, 359, 28);

    Picture1 = new PictureBox(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->move(8, 32);

    Label1 = new QLabel(client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 280, 129, 20);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(red);

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(136, 280, 197, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    Label2 = new QLabel(client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(296, 40, 81, 17);
    Label3 = new QLabel(client);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(288, 56, 81, 17);

    buildMenus();
    buildToolbar();

    connect(Picture1, &PictureBox::mouseDown, this, &Form1::Picture1_MouseDown);
    connect(Picture1, &PictureBox::dropped, this, &Form1::Picture1_OLEDragDrop);

    // The design's client area, replaced by the load steps.
    setFixedSize(359, 324 + menuBar()->sizeHint().height());
}

QIcon Form1::imageListIcon(const QString &key) const
{
    for (const auto &entry : ImageList1) {
        if (entry.first == key)
            return entry.second;
    }
    return {};
}

void Form1::buildMenus()
{
    const auto item = [this](QMenu *menu, const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };

    // Never in the menu bar: opened over Picture1 by the right button.
    popclipboard = new QMenu(QStringLiteral("クリップボード"), this);
    popclipboard->setObjectName(QStringLiteral("popclipboard"));
    popcopy = item(popclipboard, "popcopy", QStringLiteral("コピー"));
    poppaste = item(popclipboard, "poppaste", QStringLiteral("ペースト"));
    popcansel = item(popclipboard, "popcansel", QStringLiteral("キャンセル"));

    mnufile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnufile->setObjectName(QStringLiteral("mnufile"));
    mnuopn = item(mnufile, "mnuopn", QStringLiteral("画像を開く(&O)"));
    mnubinopn = item(mnufile, "mnubinopn", QStringLiteral("BINファイルを開く(&B)"));
    mnubat = item(mnufile, "mnubat", QStringLiteral("自動処理(&B)"));
    mnuasav = item(mnufile, "mnuasav", QStringLiteral("名前を付けてＢＩＮファイルを保存(&A)"));
    mnussav = item(mnufile, "mnussav", QStringLiteral("名前を付けてＢＭＰファイルを保存(&S)"));
    mnuhf = mnufile->addSeparator();
    mnuhf->setObjectName(QStringLiteral("mnuhf"));
    mnuend = item(mnufile, "mnuend", QStringLiteral("終了(&X)"));

    mnugo = menuBar()->addMenu(QStringLiteral("実行(&R)"));
    mnugo->setObjectName(QStringLiteral("mnugo"));
    mnucnv = item(mnugo, "mnucnv", QStringLiteral("変換(&C)"));

    mnuhlp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuhlp->setObjectName(QStringLiteral("mnuhlp"));
    mnuver = item(mnuhlp, "mnuver", QStringLiteral("バージョン情報(&A)"));

    connect(mnuopn, &QAction::triggered, this, &Form1::BMPOPEN);
    connect(mnubinopn, &QAction::triggered, this, &Form1::BINOPEN);
    connect(mnubat, &QAction::triggered, this, &Form1::AUTOPROC);
    connect(mnuasav, &QAction::triggered, this, &Form1::BINSAVE);
    connect(mnussav, &QAction::triggered, this, &Form1::BMPSAVE);
    connect(mnuend, &QAction::triggered, this, [] { Modal::endProgram(); });
    connect(mnucnv, &QAction::triggered, this, &Form1::mnucnv_Click);
    connect(mnuver, &QAction::triggered, this, &Form1::mnuver_Click);
}

void Form1::buildToolbar()
{
    struct Button
    {
        const char *key;
        const char *tooltip;
        const char *image;
    };
    const Button buttons[] = {
        {"bmpopen", "画像を開く", "imgopen"},
        {"binopen", "BINファイルを開く", "imgopenbin"},
        {nullptr, nullptr, nullptr},
        {"conv", "変換", "imgconv"},
        {nullptr, nullptr, nullptr},
        {"binsave", "BINファイル保存", "imgbin"},
        {"bmpsave", "BMPファイル保存", "imgbmp"},
        {"auto", "自動処理", "imgauto"},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            Toolbar1->addSeparator();
            continue;
        }
        QAction *action = Toolbar1->addAction(imageListIcon(QString::fromLatin1(b.image)), QString());
        action->setObjectName(QString::fromLatin1(b.key));
        action->setData(QString::fromLatin1(b.key));
        action->setToolTip(QString::fromUtf8(b.tooltip));
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction *action) { Toolbar1_ButtonClick(action->data().toString()); });
}

void Form1::Form_Load()
{
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    BaseCaption = windowTitle();

    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(800, 600);
    const QSize outer = lumivert::mainWindowSize(Module1::HorzRes, screenSize);
    // The frame of an unshown window is not known yet; where it is, it is taken off the outer size.
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(outer - frame);
    Toolbar1->setFixedWidth(width());
    // Not from QRect::center(), which rounds down a pixel and would leave a covered 800-wide screen
    // with its last column and row bare.
    if (screen) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }

    CommonDialog1.InitDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    CommonDialog1.Flags = CommonDialog::NoChangeDir;
}

void Form1::Toolbar1_ButtonClick(const QString &key)
{
    if (key == QLatin1String("bmpopen")) {
        BMPOPEN();
    } else if (key == QLatin1String("binopen")) {
        BINOPEN();
    } else if (key == QLatin1String("conv")) {
        // Unlike the menu item, the label is not repainted before the conversion starts.
        setStatus(Status::Converting);
        CONV();
    } else if (key == QLatin1String("binsave")) {
        BINSAVE();
    } else if (key == QLatin1String("bmpsave")) {
        BMPSAVE();
    } else if (key == QLatin1String("auto")) {
        AUTOPROC();
    }
}

void Form1::mnucnv_Click()
{
    setStatus(Status::Converting);
    Label1->repaint();
    CONV();
}

void Form1::mnuver_Click()
{
    if (!aboutBox)
        aboutBox = new frmAbout;
    aboutBox->show();
    aboutBox->raise();
    aboutBox->repaint();
}

void Form1::Picture1_MouseDown(int button, const QPoint &globalPos)
{
    if (button != 2)
        return;
    QAction *chosen = Modal::popup(popclipboard, globalPos);
    bool ok = true;
    if (chosen == popcopy)
        ok = popcopy_Click();
    else if (chosen == poppaste)
        ok = poppaste_Click();
    if (!ok) {
        Module1::MsgResult = qint16(Modal::message(this, QStringLiteral("画像ファイルではありません。"),
                                                   QStringLiteral("注意"), true));
    }
}

void Form1::setStatus(const QString &text)
{
    Label1->setText(text);
    Label1->adjustSize();
}

// The progress bar of a long operation: shown, from 0 to `maximum`, at its minimum.
void Form1::startProgress(int maximum)
{
    ProgressBar1->setMinimum(0);
    ProgressBar1->setMaximum(maximum);
    ProgressBar1->setVisible(true);
    ProgressBar1->setValue(ProgressBar1->minimum());
}
