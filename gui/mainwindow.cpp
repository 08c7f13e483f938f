#include "gui/mainwindow.h"

#include "app/modal.h"
#include "app/session.h"
#include "gui/aboutdialog.h"
#include "gui/comparisonwindow.h"
#include "gui/pictureview.h"
#include "gui/widgetmodal.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <optional>
#include <utility>

namespace lumivert {

namespace {

QLabel *placedLabel(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(geometry);
    return label;
}

QIcon toolIcon(const char *name)
{
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QString::fromLatin1(name)));
}

} // namespace

MainWindow::MainWindow(int measuredScreenWidth, ModalPresenter &modal, PopupPresenter &popups,
                       QWidget *parent)
    : QMainWindow(parent), m_modal(modal), m_popups(popups),
      m_session(new Session({&modal, &m_clipboard, &m_waitCursor}, this))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("256色Lumivert"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumivert.png")));
    m_session->setObjectName(QStringLiteral("session"));

    // Everything inside measures in pixels from the top left of the area under the menu bar, the
    // toolbar included, as the window was designed.
    auto *client = new QWidget(this);
    setCentralWidget(client);

    m_toolBar = new QToolBar(client);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setGeometry(0, 0, 359, 28);

    m_pictureView = new PictureView(client);
    m_pictureView->setObjectName(QStringLiteral("pictureView"));
    m_pictureView->move(8, 32);
    m_pictureView->showImage(m_session->picture());

    m_statusLabel = placedLabel(client, "statusLabel", QRect(8, 280, 129, 20));
    QPalette red = m_statusLabel->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_statusLabel->setPalette(red);

    m_progressBar = new QProgressBar(client);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setGeometry(136, 280, 197, 17);
    m_progressBar->setTextVisible(false);
    m_progressBar->hide();

    m_widthLabel = placedLabel(client, "widthLabel", QRect(296, 40, 81, 17));
    m_heightLabel = placedLabel(client, "heightLabel", QRect(288, 56, 81, 17));
    // The labels lie beneath the box: where the layout of a former picture left them over it, the box
    // still shows whole and takes every click and drop.
    m_pictureView->raise();

    createActions();
    createMenus();
    createToolBar();
    connectSession();

    QDir::setCurrent(QCoreApplication::applicationDirPath());
    m_baseCaption = windowTitle();
    sizeWindow(measuredScreenWidth);
}

MainWindow::~MainWindow() = default;

void MainWindow::createActions()
{
    const auto action = [this](const char *objectName, const QString &text) {
        auto *a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(objectName));
        return a;
    };
    // The commands of the menu bar that the toolbar offers too share one action with it.
    const auto command = [&](const char *objectName, const QString &text, const char *icon,
                             const QString &toolTip) {
        QAction *a = action(objectName, text);
        a->setIcon(toolIcon(icon));
        a->setIconVisibleInMenu(false);
        a->setToolTip(toolTip);
        return a;
    };
    m_openPictureAction =
        command("openPictureAction", QStringLiteral("画像を開く(&O)"), "open", QStringLiteral("画像を開く"));
    m_openBinAction = command("openBinAction", QStringLiteral("BINファイルを開く(&B)"), "open-bin",
                              QStringLiteral("BINファイルを開く"));
    m_batchAction =
        command("batchAction", QStringLiteral("自動処理(&B)"), "batch", QStringLiteral("自動処理"));
    m_saveBinAction = command("saveBinAction", QStringLiteral("名前を付けてＢＩＮファイルを保存(&A)"),
                              "save-bin", QStringLiteral("BINファイル保存"));
    m_exportBmpAction = command("exportBmpAction", QStringLiteral("名前を付けてＢＭＰファイルを保存(&S)"),
                                "save-bmp", QStringLiteral("BMPファイル保存"));
    m_convertAction = command("convertAction", QStringLiteral("変換(&C)"), "convert", QStringLiteral("変換"));
    m_quitAction = action("quitAction", QStringLiteral("終了(&X)"));
    m_aboutAction = action("aboutAction", QStringLiteral("バージョン情報(&A)"));
    m_compareAction = action("compareAction", QStringLiteral("変換前後の比較(&V)..."));
    m_copyAction = action("copyAction", QStringLiteral("コピー"));
    m_pasteAction = action("pasteAction", QStringLiteral("ペースト"));
    m_cancelAction = action("cancelAction", QStringLiteral("キャンセル"));

    // The desktop's usual keys, shown in the menus; the access keys stay as designed.
    m_openPictureAction->setShortcut(QKeySequence::Open);
    m_saveBinAction->setShortcut(QKeySequence::Save);
    m_exportBmpAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    m_convertAction->setShortcut(QKeySequence(Qt::Key_F5));
    m_compareAction->setShortcut(QKeySequence(Qt::Key_F6));
    m_quitAction->setShortcut(QKeySequence::Quit);
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_pasteAction->setShortcut(QKeySequence::Paste);
    // The clipboard commands answer their keys anywhere in the window, not only in their menu.
    addActions({m_copyAction, m_pasteAction});
    // The menu key and Shift+F10 open the picture's popup menu over it, as a right click does.
    auto *popupKeys = new QAction(this);
    popupKeys->setShortcuts({QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)});
    addAction(popupKeys);
    connect(popupKeys, &QAction::triggered, this, [this] {
        m_popups.popUp(m_pictureMenu, m_pictureView->mapToGlobal(m_pictureView->rect().center()));
    });

    connect(m_openPictureAction, &QAction::triggered, m_session, &Session::openPicture);
    connect(m_openBinAction, &QAction::triggered, m_session, &Session::openBin);
    connect(m_batchAction, &QAction::triggered, m_session, &Session::runBatch);
    connect(m_saveBinAction, &QAction::triggered, m_session, &Session::saveBin);
    connect(m_exportBmpAction, &QAction::triggered, m_session, &Session::exportBmp);
    connect(m_convertAction, &QAction::triggered, m_session, &Session::convertPicture);
    connect(m_quitAction, &QAction::triggered, this, [this] { m_modal.endProgram(); });
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    connect(m_compareAction, &QAction::triggered, this, &MainWindow::showComparison);
    connect(m_copyAction, &QAction::triggered, m_session, &Session::copyPicture);
    connect(m_pasteAction, &QAction::triggered, m_session, &Session::pastePicture);
}

void MainWindow::createMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    fileMenu->addActions(
        {m_openPictureAction, m_openBinAction, m_batchAction, m_saveBinAction, m_exportBmpAction});
    fileMenu->addSeparator();
    fileMenu->addAction(m_quitAction);

    QMenu *runMenu = menuBar()->addMenu(QStringLiteral("実行(&R)"));
    runMenu->setObjectName(QStringLiteral("runMenu"));
    runMenu->addAction(m_convertAction);
    runMenu->addSeparator();
    addChoiceMenus(runMenu);
    runMenu->addSeparator();
    runMenu->addAction(m_compareAction);

    QMenu *helpMenu = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpMenu->addAction(m_aboutAction);

    // Never in the menu bar: opened over the picture by the right button.
    m_pictureMenu = new QMenu(QStringLiteral("クリップボード"), this);
    m_pictureMenu->setObjectName(QStringLiteral("pictureMenu"));
    m_pictureMenu->addActions({m_copyAction, m_pasteAction, m_cancelAction});
    connect(m_pictureView, &PictureView::popupRequested, this,
            [this](QPoint globalPos) { m_popups.popUp(m_pictureMenu, globalPos); });
}

// Radio items that only pass the choice on to the session, which keeps it while the program runs.
void MainWindow::addChoiceMenus(QMenu *runMenu)
{
    const auto choiceMenu = [runMenu](const char *objectName, const QString &title) {
        QMenu *menu = runMenu->addMenu(title);
        menu->setObjectName(QString::fromLatin1(objectName));
        menu->menuAction()->setObjectName(menu->objectName() + QStringLiteral("Action"));
        auto *group = new QActionGroup(menu);
        group->setExclusive(true);
        return std::pair{menu, group};
    };
    const auto choice = [this](std::pair<QMenu *, QActionGroup *> where, const char *objectName,
                               const QString &text, auto apply) {
        QAction *a = where.first->addAction(text);
        a->setObjectName(QString::fromLatin1(objectName));
        a->setCheckable(true);
        a->setChecked(where.second->actions().isEmpty()); // the first item is the one chosen at start
        where.second->addAction(a);
        connect(a, &QAction::triggered, m_session, apply);
    };

    const auto method = choiceMenu("reductionMenu", QStringLiteral("減色方法(&M)"));
    const auto reduction = [this](Dither d) { return [this, d] { m_session->setReduction(d); }; };
    choice(method, "truncateAction", QStringLiteral("切り捨て（標準）(&T)"), reduction(Dither::None));
    choice(method, "nearestColourAction", QStringLiteral("最も近い色(&N)"), reduction(Dither::Nearest));
    choice(method, "errorDiffusionAction", QStringLiteral("誤差拡散(&E)"), reduction(Dither::FloydSteinberg));
    choice(method, "orderedDitherAction", QStringLiteral("組織的ディザ(&D)"), reduction(Dither::Ordered));

    const auto fit = choiceMenu("fitMenu", QStringLiteral("画面サイズに合わせる(&F)"));
    const auto fitTo = [this](std::optional<QSize> size) {
        return [this, size] { m_session->setFitSize(size); };
    };
    choice(fit, "noFitAction", QStringLiteral("合わせない（標準）(&N)"), fitTo(std::nullopt));
    choice(fit, "fit320Action", QStringLiteral("320×240(&3)"), fitTo(QSize(320, 240)));
    choice(fit, "fit640Action", QStringLiteral("640×480(&6)"), fitTo(QSize(640, 480)));

    // How a picture lies on the chosen size; only meaningful once a size is chosen.
    const auto place = [this](auto change) {
        return [this, change] {
            Placement placement = m_session->placement();
            change(placement);
            m_session->setPlacement(placement);
        };
    };
    fit.first->addSeparator();
    const auto mode = std::pair{fit.first, new QActionGroup(fit.first)};
    const auto modeTo = [&](FitMode m) { return place([m](Placement &p) { p.mode = m; }); };
    choice(mode, "fitWholeAction", QStringLiteral("全体を表示（標準）(&W)"), modeTo(FitMode::Whole));
    choice(mode, "fitFillAction", QStringLiteral("画面を埋める（はみ出しを切る）(&I)"),
           modeTo(FitMode::Fill));
    QAction *enlarge = fit.first->addAction(QStringLiteral("小さい画像を拡大する(&E)"));
    enlarge->setObjectName(QStringLiteral("enlargeAction"));
    enlarge->setCheckable(true);
    connect(enlarge, &QAction::toggled, this, [this](bool on) {
        Placement placement = m_session->placement();
        placement.enlarge = on;
        m_session->setPlacement(placement);
    });
    const QList<QAction *> layoutChoices = mode.second->actions() << enlarge;
    const auto enableLayout = [layoutChoices](bool on) {
        for (QAction *a : layoutChoices)
            a->setEnabled(on);
    };
    enableLayout(false);
    const QList<QAction *> sizes = fit.second->actions();
    connect(sizes.first(), &QAction::toggled, this, [enableLayout](bool none) { enableLayout(!none); });

    const auto turn = choiceMenu("rotationMenu", QStringLiteral("回転(&O)"));
    const auto rotateTo = [&](Rotation r) { return place([r](Placement &p) { p.rotation = r; }); };
    choice(turn, "noRotationAction", QStringLiteral("回転しない（標準）(&N)"), rotateTo(Rotation::None));
    choice(turn, "rotateRightAction", QStringLiteral("右に90°(&R)"), rotateTo(Rotation::Quarter));
    choice(turn, "rotate180Action", QStringLiteral("180°(&U)"), rotateTo(Rotation::Half));
    choice(turn, "rotateLeftAction", QStringLiteral("左に90°(&L)"), rotateTo(Rotation::ThreeQuarters));
    turn.first->addSeparator();
    const auto flip = std::pair{turn.first, new QActionGroup(turn.first)};
    const auto mirrorTo = [&](Mirror m) { return place([m](Placement &p) { p.mirror = m; }); };
    choice(flip, "noMirrorAction", QStringLiteral("反転しない（標準）(&M)"), mirrorTo(Mirror::None));
    choice(flip, "mirrorHorizontalAction", QStringLiteral("左右反転(&H)"), mirrorTo(Mirror::Horizontal));
    choice(flip, "mirrorVerticalAction", QStringLiteral("上下反転(&V)"), mirrorTo(Mirror::Vertical));
}

void MainWindow::createToolBar()
{
    const auto button = [this](QAction *action, const char *key) {
        m_toolBar->addAction(action);
        m_toolBar->widgetForAction(action)->setObjectName(QString::fromLatin1(key));
    };
    button(m_openPictureAction, "openPictureButton");
    button(m_openBinAction, "openBinButton");
    m_toolBar->addSeparator();
    button(m_convertAction, "convertButton");
    m_toolBar->addSeparator();
    button(m_saveBinAction, "saveBinButton");
    button(m_exportBmpAction, "exportBmpButton");
    button(m_batchAction, "batchButton");
}

void MainWindow::connectSession()
{
    connect(m_session, &Session::pictureChanged, this,
            [this] { m_pictureView->showImage(m_session->picture()); });
    connect(m_session, &Session::pictureFitted, this, &MainWindow::layoutAround);
    connect(m_session, &Session::sizeLabelsCleared, this, &MainWindow::clearSizeLabels);
    connect(m_session, &Session::statusChanged, this, &MainWindow::showStatus);
    connect(m_session, &Session::fileShown, this, &MainWindow::showFile);
    connect(m_session, &Session::progressStarted, this, [this](int maximum) {
        m_progressBar->setRange(0, maximum);
        m_progressBar->setVisible(true);
        m_progressBar->setValue(m_progressBar->minimum());
    });
    connect(m_session, &Session::progressAdvanced, m_progressBar, &QProgressBar::setValue);
    connect(m_session, &Session::progressFinished, m_progressBar, &QWidget::hide);
    m_pictureView->setDropHandler(
        [this](const QMimeData *dropped) { return m_session->openDropped(dropped); });
}

// A screen exactly 800 pixels wide is covered whole; any other gets 800 x 600, centred.
void MainWindow::sizeWindow(int measuredScreenWidth)
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(800, 600);
    m_outerSize = mainWindowSize(measuredScreenWidth, screenSize);
    m_frameExtent = QSize(-1, -1);
    fitOuterSize();
}

// The design sizes the window frame included. The frame is only known once a window manager has
// put one around the shown window, so the size is taken in again whenever the frame changes. On a
// small or highly scaled screen the window shrinks to the screen's free area and stays inside it.
void MainWindow::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame == m_frameExtent)
        return;
    m_frameExtent = frame;
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), m_outerSize);
    const QSize outer = m_outerSize.boundedTo(area.size());
    setFixedSize(outer - frame);
    m_toolBar->setFixedWidth(width());
    // Not from QRect::center(), which rounds down a pixel and would leave a covered 800-wide screen
    // with its last column and row bare.
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    fitOuterSize();
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitOuterSize();
}

void MainWindow::showAbout()
{
    if (!m_about)
        m_about = new AboutDialog;
    m_about->show();
    m_about->raise();
    m_about->repaint();
}

void MainWindow::showComparison()
{
    if (!m_comparison)
        m_comparison = new ComparisonWindow(m_session, this);
    m_comparison->show();
    m_comparison->raise();
    m_comparison->activateWindow();
}

// Shown at once, so that it is up to date while a long command runs without serving the window.
void MainWindow::showStatus(const QString &text)
{
    m_statusLabel->setText(text);
    m_statusLabel->adjustSize();
    m_statusLabel->repaint();
}

void MainWindow::showFile(const QString &path)
{
    setWindowTitle(m_baseCaption + QLatin1Char('(') + QDir::toNativeSeparators(path) + QLatin1Char(')'));
}

void MainWindow::layoutAround(QSize area, FitRule rule)
{
    const FitLayout layout = fitToPicture(area, m_pictureView->pos(), rule);
    if (layout.progressTop)
        m_progressBar->move(m_progressBar->x(), *layout.progressTop);
    m_statusLabel->move(m_statusLabel->x(), layout.statusTop);
    m_widthLabel->move(layout.sizeLabelsLeft, m_widthLabel->y());
    m_widthLabel->setText(layout.widthText);
    m_widthLabel->repaint();
    m_heightLabel->move(layout.sizeLabelsLeft, m_heightLabel->y());
    m_heightLabel->setText(layout.heightText);
    m_heightLabel->repaint();
}

void MainWindow::clearSizeLabels()
{
    m_widthLabel->clear();
    m_heightLabel->clear();
}

} // namespace lumivert
