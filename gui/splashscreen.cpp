#include "gui/splashscreen.h"

#include "app/modal.h"
#include "app/splashlogic.h"
#include "gui/fonts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <utility>

namespace lumivert {

namespace {

QLabel *autoSizedLabel(QWidget *parent, const char *objectName, const QString &text, QPoint pos,
                       const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setFont(font);
    label->move(pos);
    label->adjustSize();
    return label;
}

} // namespace

SplashScreen::SplashScreen(ModalPresenter &modal, ScreenMeasurer measure, QWidget *parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_modal(modal),
      m_measure(std::move(measure))
{
    setObjectName(QStringLiteral("splashScreen"));
    // The raised border lies around the 375 x 222 client area, so the inner frame at its top edge
    // leaves it whole.
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setFixedSize(QSize(375, 222) + QSize(2 * lineWidth(), 2 * lineWidth()));
    setAttribute(Qt::WA_DeleteOnClose);

    m_innerFrame = new QFrame(this);
    m_innerFrame->setObjectName(QStringLiteral("innerFrame"));
    m_innerFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_innerFrame->setGeometry(QRect(contentsRect().topLeft() + QPoint(8, 0), QSize(360, 214)));

    auto *logo = new QLabel(m_innerFrame);
    logo->setObjectName(QStringLiteral("logoLabel"));
    logo->setGeometry(16, 24, 32, 32);
    logo->setPixmap(QPixmap(QStringLiteral(":/icons/lumivert.png")));
    logo->setScaledContents(true);

    autoSizedLabel(m_innerFrame, "companyLabel", QStringLiteral("株式会社ルミベール電子"), {64, 32},
                   designFont(18, true));
    autoSizedLabel(m_innerFrame, "colourCountLabel", QStringLiteral("256色"), {32, 64},
                   designFont(27.75, true));
    autoSizedLabel(m_innerFrame, "productNameLabel", QStringLiteral("Lumivert"), {32, 96},
                   designFont(32.25, true));
    QLabel *version =
        autoSizedLabel(m_innerFrame, "versionLabel", versionLabelText(), {0, 144}, designFont(12, true));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Right-aligned: it grows to the left from the design's right edge.
    version->move(280 + 59 - version->width(), 144);
    autoSizedLabel(m_innerFrame, "copyrightLabel", QStringLiteral("COPYRIGHT (C) LUMIVERT DENSHI CO., LTD."),
                   {88, 192}, designFont(7, false));

    // A click anywhere on the inner frame opens the main window; the margin around it takes none.
    m_innerFrame->installEventFilter(this);
    for (QWidget *child : m_innerFrame->findChildren<QWidget *>())
        child->installEventFilter(this);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    m_splashTimer = new QTimer(this);
    m_splashTimer->setObjectName(QStringLiteral("splashTimer"));
    m_splashTimer->setInterval(500);
    connect(m_splashTimer, &QTimer::timeout, this, &SplashScreen::checkDisplay);
    m_splashTimer->start();
}

bool SplashScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        finish();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void SplashScreen::checkDisplay()
{
    const ScreenMeasure screen = m_measure(this);
    m_measuredWidth = screen.width;

    const auto warnAndEnd = [this](const QString &text) {
        m_splashTimer->stop();
        m_modal.showMessage({text, QStringLiteral("警告")});
        m_modal.endProgram();
    };
    switch (splashTick(screen.depth, m_measuredWidth, m_passedChecks + 1)) {
    case SplashAction::ColourWarning:
        warnAndEnd(QStringLiteral("カラーパレットをフルカラー（２４ビット以上）に設定して下さい。"));
        return;
    case SplashAction::WidthWarning:
        warnAndEnd(QStringLiteral("画面領域をＳＶＧＡ（８００×６００）以上に設定して下さい。"));
        return;
    case SplashAction::ShowMain:
        finish();
        break;
    case SplashAction::None:
        break;
    }
    ++m_passedChecks;
}

void SplashScreen::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_splashTimer->stop();
    // Hidden first and closed only once the main window is up, so that the program never passes
    // through a moment without a window (which would end it).
    hide();
    Q_EMIT finished(m_measuredWidth);
    close();
}

} // namespace lumivert
