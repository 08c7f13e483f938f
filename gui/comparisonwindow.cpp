#include "gui/comparisonwindow.h"

#include "app/session.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lumivert {

namespace {

constexpr int Gap = 12;           // between the two pictures
constexpr int CaptionHeight = 22; // above each picture
constexpr int Margin = 8;         // around the pictures

} // namespace

// Paints the pictures at a scale, each under its caption, without smoothing: every pixel of the display
// stays a sharp square.
class ComparisonCanvas : public QWidget
{
public:
    using QWidget::QWidget;

    void setPictures(QList<std::pair<QString, QImage>> pictures, double scale)
    {
        m_pictures = std::move(pictures);
        m_scale = scale;
        int width = Margin;
        int height = 0;
        for (const auto &picture : m_pictures) {
            const QSize size = scaled(picture.second.size());
            width += size.width() + Gap;
            height = std::max(height, size.height());
        }
        resize(std::max(width - Gap + Margin, 1), height + CaptionHeight + 2 * Margin);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        int left = Margin;
        for (const auto &[caption, image] : m_pictures) {
            const QSize size = scaled(image.size());
            painter.drawText(QRect(left, Margin, std::max(size.width(), 200), CaptionHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, caption);
            painter.drawImage(QRect(QPoint(left, Margin + CaptionHeight), size), image);
            left += size.width() + Gap;
        }
    }

private:
    QSize scaled(QSize size) const
    {
        return QSize(std::max(1, int(std::floor(size.width() * m_scale))),
                     std::max(1, int(std::floor(size.height() * m_scale))));
    }

    QList<std::pair<QString, QImage>> m_pictures;
    double m_scale = 1;
};

ComparisonWindow::ComparisonWindow(Session *session, QWidget *parent)
    : QWidget(parent, Qt::Window), m_session(session)
{
    setObjectName(QStringLiteral("comparisonWindow"));
    setWindowTitle(QStringLiteral("変換前後の比較"));
    // A view on the main window's work: the program ends when the main window closes, open or not.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_descriptionLabel = new QLabel(this);
    m_descriptionLabel->setObjectName(QStringLiteral("comparisonDescriptionLabel"));

    m_viewBox = new QComboBox(this);
    m_viewBox->setObjectName(QStringLiteral("comparisonViewBox"));
    m_viewBox->addItems(
        {QStringLiteral("並べて表示"), QStringLiteral("変換前だけ"), QStringLiteral("変換後だけ")});
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("comparisonZoomBox"));
    m_zoomBox->addItem(QStringLiteral("ウィンドウに合わせる"));
    for (int factor = 1; factor <= ComparisonZoom::Most; ++factor)
        m_zoomBox->addItem(QStringLiteral("%1倍").arg(factor));
    // The keys belong to the window's shortcuts, not to the lists.
    m_viewBox->setFocusPolicy(Qt::NoFocus);
    m_zoomBox->setFocusPolicy(Qt::NoFocus);

    auto *hint = new QLabel(
        QStringLiteral(
            "＋／－: 拡大・縮小　0: ウィンドウに合わせる　Space: 変換前と変換後の切り替え　S: 並べて表示"),
        this);
    hint->setEnabled(false);

    m_scroll = new QScrollArea(this);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_canvas = new ComparisonCanvas;
    m_canvas->setObjectName(QStringLiteral("comparisonCanvas"));
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(false);

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_descriptionLabel, 1);
    controls->addWidget(m_viewBox);
    controls->addWidget(m_zoomBox);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(hint);
    layout->addWidget(m_scroll, 1);

    const auto key = [this](QList<QKeySequence> keys, auto slot) {
        auto *a = new QAction(this);
        a->setShortcuts(keys);
        addAction(a);
        connect(a, &QAction::triggered, this, slot);
    };
    key({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence::ZoomIn},
        &ComparisonWindow::zoomIn);
    key({QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut}, &ComparisonWindow::zoomOut);
    key({QKeySequence(Qt::Key_0)}, [this] { setZoom({}); });
    key({QKeySequence(Qt::Key_Space)}, &ComparisonWindow::switchPicture);
    key({QKeySequence(Qt::Key_S)}, [this] { setView(View::SideBySide); });
    key({QKeySequence(Qt::Key_Escape)}, &QWidget::close);

    connect(m_viewBox, &QComboBox::activated, this, [this](int index) { setView(View(index)); });
    connect(m_zoomBox, &QComboBox::activated, this, [this](int index) { setZoom({index}); });
    connect(m_session, &Session::conversionInputChanged, this, [this] {
        if (isVisible())
            refresh();
    });

    resize(760, 460);
}

QString ComparisonWindow::description() const
{
    return QStringLiteral("減色方法: %1　／　画面: %2")
        .arg(methodName(m_session->reduction()), layoutName(m_session->sourceLayout()));
}

void ComparisonWindow::setView(View view)
{
    m_view = view;
    m_viewBox->setCurrentIndex(int(view));
    updateCanvas();
}

void ComparisonWindow::setZoom(ComparisonZoom zoom)
{
    m_zoom = zoom;
    m_zoomBox->setCurrentIndex(zoom.factor);
    updateCanvas();
}

void ComparisonWindow::zoomIn()
{
    setZoom(m_zoom.larger(shownAtOne(), freeArea()));
}

void ComparisonWindow::zoomOut()
{
    setZoom(m_zoom.smaller(shownAtOne(), freeArea()));
}

void ComparisonWindow::switchPicture()
{
    setView(m_view == View::After ? View::Before : View::After);
}

void ComparisonWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void ComparisonWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_zoom.factor == ComparisonZoom::Fit)
        updateCanvas();
}

// The preview is a conversion of its own: the session's converted bytes and picture stay as they are.
void ComparisonWindow::refresh()
{
    m_before = m_session->sourcePicture();
    m_after = unitPreview(m_before, m_session->reduction());
    m_descriptionLabel->setText(description());
    updateCanvas();
}

// The pictures side by side, or the one shown, at 1x and without the captions and margins.
QSize ComparisonWindow::shownAtOne() const
{
    const QSize one = m_before.size();
    return m_view == View::SideBySide ? QSize(2 * one.width(), one.height()) : one;
}

QSize ComparisonWindow::freeArea() const
{
    const QSize viewport = m_scroll->viewport()->size();
    const int gaps = m_view == View::SideBySide ? Gap : 0;
    return QSize(viewport.width() - 2 * Margin - gaps, viewport.height() - 2 * Margin - CaptionHeight);
}

void ComparisonWindow::updateCanvas()
{
    const QString before = QStringLiteral("変換前（取り込んだ画像）");
    const QString after = QStringLiteral("変換後（表示器での見え方）");
    QList<std::pair<QString, QImage>> pictures;
    if (m_view != View::After)
        pictures.append({before, m_before});
    if (m_view != View::Before)
        pictures.append({after, m_after});
    m_canvas->setPictures(pictures, m_zoom.scale(shownAtOne(), freeArea()));
}

} // namespace lumivert
