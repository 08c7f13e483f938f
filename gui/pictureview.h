#pragma once

#include <QImage>
#include <QWidget>

class QMimeData;

namespace lumivert {

// The picture box: draws a picture inside a sunken 2-pixel border and takes the box's size from it.
// It keeps no data of its own beyond what it draws; right clicks and drops are passed on.
class PictureView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Border = 2;

    explicit PictureView(QWidget *parent = nullptr);

    // Shows `image` at once; the box becomes the image's size plus the border.
    void showImage(const QImage &image);

Q_SIGNALS:
    // The clipboard menu is wanted at `globalPos`.
    void popupRequested(QPoint globalPos);
    void dropped(const QMimeData *data);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QImage m_image;
};

} // namespace lumivert
