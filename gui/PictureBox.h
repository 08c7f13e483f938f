#pragma once

#include <QImage>
#include <QMimeData>
#include <QWidget>

// The picture surface: a box with a 2-pixel border around a persistent image. Pixels written into
// the image stay there and are shown at the next Refresh; the image is what is copied and exported.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Border = 2;

    explicit PictureBox(QWidget *parent = nullptr);

    // Puts a picture in; the drawing area takes its size.
    void setPicture(const QImage &picture);
    // No picture: the image is cleared to the background, the box keeps its size.
    void removePicture();
    bool hasPicture() const { return m_hasPicture; }

    int ScaleWidth() const { return m_image.width(); }
    int ScaleHeight() const { return m_image.height(); }
    int Left() const { return x(); }
    int Top() const { return y(); }
    // Outer size, border included.
    void setOuterSize(int width, int height);
    // Drawing area size; the outer size follows.
    void setScaleSize(int width, int height);

    QRgb Point(int x, int y) const { return m_image.pixel(x, y); }
    void PSet(int x, int y, QRgb colour) { m_image.setPixel(x, y, colour); }
    void Refresh() { repaint(); }
    QImage Image() const { return m_image; }

    // Direct access for row-by-row work; shown at the next Refresh.
    QImage &persistentImage() { return m_image; }

    static QColor background();

Q_SIGNALS:
    // Button code: 1 left, 2 right, 4 middle.
    void mouseDown(int button, QPoint globalPos);
    void dropped(const QMimeData *data);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QImage m_image;
    bool m_hasPicture = false;
};
