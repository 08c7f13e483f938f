#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QMimeData;

namespace lumivert {

// The picture box: draws a picture inside a sunken 2-pixel border and takes the box's size from it.
// It keeps no data of its own beyond what it draws; right clicks and drops are passed on.
// A drop is only ever a copy: the source keeps its data, also when the drop is refused.
class PictureView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Border = 2;

    explicit PictureView(QWidget *parent = nullptr);

    // Shows `image` at once; the box becomes the image's size plus the border.
    void showImage(const QImage &image);

    // Takes a drop's data and answers whether it was taken.
    using DropHandler = std::function<bool(const QMimeData *)>;
    void setDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }

Q_SIGNALS:
    // The clipboard menu is wanted at `globalPos`.
    void popupRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QImage m_image;
    DropHandler m_dropHandler;
};

} // namespace lumivert
