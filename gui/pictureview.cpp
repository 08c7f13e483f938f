#include "gui/pictureview.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace lumivert {

PictureView::PictureView(QWidget *parent) : QWidget(parent)
{
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::showImage(const QImage &image)
{
    m_image = image;
    resize(m_image.width() + 2 * Border, m_image.height() + 2 * Border);
    repaint();
}

void PictureView::paintEvent(QPaintEvent *)
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

void PictureView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        Q_EMIT popupRequested(event->globalPosition().toPoint());
}

// Whatever the source lets be copied is let in, so that a drop of something else still hears why it
// was refused; what it is gets decided on the drop. A source that only lets its data be moved is
// turned away: the program never takes the source's data.
void PictureView::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void PictureView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// A refused drop reports no action, so that the source neither deletes nor marks anything.
void PictureView::dropEvent(QDropEvent *event)
{
    const bool taken = m_dropHandler && m_dropHandler(event->mimeData());
    if (taken) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
}

} // namespace lumivert
