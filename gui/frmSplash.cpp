#include "gui/frmSplash.h"

#include "gui/Form1.h"
#include "gui/screeninfo.h"
#include "gui/fonts.h"
#include "gui/globals.h"
#include "gui/modal.h"
#include "core/splashlogic.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {

QLabel *autoSizedLabel(QWidget *parent, const QString &text, int x, int y, const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

frmSplash::frmSplash(QWidget *parent) : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setFixedSize(375, 222);
    setAttribute(Qt::WA_DeleteOnClose);

    Frame1 = new QFrame(this);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setGeometry(8, 0, 360, 214);

    imgLogo = new QLabel(Frame1);
    imgLogo->setGeometry(16, 24, 32, 32);
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/icons/lumivert.png")));
    imgLogo->setScaledContents(true);

    lblCompanyProduct = autoSizedLabel(Frame1, QStringLiteral("株式会社ルミベール電子"), 64, 32,
                                       lumivert::designFont(18, true));
    Label2 = autoSizedLabel(Frame1, QStringLiteral("256色"), 32, 64, lumivert::designFont(27.75, true));
    lblProductName =
        autoSizedLabel(Frame1, QStringLiteral("Lumivert"), 32, 96, lumivert::designFont(32.25, true));
    lblVersion = new QLabel(QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), Frame1);
    lblVersion->setFont(lumivert::designFont(12, true));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1 = autoSizedLabel(Frame1, QStringLiteral("COPYRIGHT (C) LUMIVERT DENSHI CO., LTD."), 88, 192,
                            lumivert::designFont(7, false));

    // Load.
    lblVersion->setText(lumivert::versionText());
    lblVersion->adjustSize();
    // Right-aligned: grow to the left from the design's right edge.
    lblVersion->move(280 + 59 - lblVersion->width(), 144);
    SplashTicks = 1;

    for (QWidget *w :
         {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(imgLogo), static_cast<QWidget *>(Label1),
          static_cast<QWidget *>(Label2), static_cast<QWidget *>(lblCompanyProduct),
          static_cast<QWidget *>(lblProductName), static_cast<QWidget *>(lblVersion)})
        w->installEventFilter(this);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1.start();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        SHOWMAIN();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void frmSplash::Timer1_Timer()
{
    const int depth = ScreenInfo::depth(this);
    const int width = ScreenInfo::width(this);
    Module1::HorzRes = qint16(width);

    switch (lumivert::splashTick(depth, width, SplashTicks)) {
    case lumivert::SplashAction::ColourWarning:
        Timer1.stop();
        Modal::message(this, lumivert::ColourWarningText, lumivert::WarningTitle);
        Modal::endProgram();
        return;
    case lumivert::SplashAction::WidthWarning:
        Timer1.stop();
        Modal::message(this, lumivert::WidthWarningText, lumivert::WarningTitle);
        Modal::endProgram();
        return;
    case lumivert::SplashAction::ShowMain:
        SHOWMAIN();
        break;
    case lumivert::SplashAction::None:
        break;
    }
    ++SplashTicks;
}

void frmSplash::SHOWMAIN()
{
    if (m_shown)
        return;
    m_shown = true;
    Timer1.stop();
    // Hidden first and closed only once the main window is up, so that the program never passes
    // through a moment without a window (which would end it).
    hide();

    auto *main = new Form1;
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->Form_Load();
    main->show();
    main->repaint();
    close();
}
