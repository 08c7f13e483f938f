#include "gui/PictureBox.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_image = QImage(320, 240, QImage::Format_RGB32);
    m_image.fill(background());
    resize(320 + 2 * Border, 240 + 2 * Border);
}

QColor PictureBox::background()
{
    return QColor(240, 240, 240);
}

void PictureBox::setPicture(const QImage &picture)
{
    m_image =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    m_hasPicture = true;
    resize(m_image.width() + 2 * Border, m_image.height() + 2 * Border);
    update();
}

void PictureBox::removePicture()
{
    m_hasPicture = false;
    m_image.fill(background());
    update();
}

void PictureBox::setOuterSize(int width, int height)
{
    setScaleSize(qMax(0, width - 2 * Border), qMax(0, height - 2 * Border));
}

void PictureBox::setScaleSize(int width, int height)
{
    if (width != m_image.width() || height != m_image.height()) {
        // What lies outside the old image shows the background, as an enlarged box would.
        QImage resized(width, height, QImage::Format_RGB32);
        resized.fill(background());
        if (!resized.isNull() && !m_image.isNull()) {
            QPainter painter(&resized);
            painter.drawImage(0, 0, m_image);
        }
        m_image = resized;
    }
    resize(width + 2 * Border, height + 2 * Border);
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect outer = rect();
    // A sunken border: dark outside, darker inside, light at the bottom right.
    painter.fillRect(outer, QColor(160, 160, 160));
    painter.setPen(Qt::white);
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
    painter.fillRect(outer.adjusted(1, 1, -1, -1), QColor(105, 105, 105));
    painter.setPen(QColor(227, 227, 227));
    painter.drawLine(outer.bottomLeft() + QPoint(1, -1), outer.bottomRight() + QPoint(-1, -1));
    painter.drawLine(outer.topRight() + QPoint(-1, 1), outer.bottomRight() + QPoint(-1, -1));
    painter.drawImage(Border, Border, m_image);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton:
        button = 1;
        break;
    case Qt::RightButton:
        button = 2;
        break;
    case Qt::MiddleButton:
        button = 4;
        break;
    default:
        break;
    }
    if (button)
        Q_EMIT mouseDown(button, event->globalPosition().toPoint());
}

// Whatever is dragged over the box is accepted here; what it is gets decided on the drop.
void PictureBox::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void PictureBox::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void PictureBox::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    Q_EMIT dropped(event->mimeData());
}
