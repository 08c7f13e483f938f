#include "gui/Form1.h"

#include "gui/globals.h"
#include "core/rgb332.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>

// Reduces what Picture1 shows to RGB332 in ConvBuf and, unless a batch run is going on, paints
// each pixel back in the colour the display will show. The preview appears in one piece at the end.
void Form1::CONV()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    const int w = Picture1->ScaleWidth();
    const int h = Picture1->ScaleHeight();
    startProgress(h);

    Module1::ImgWidth = w;
    Module1::ImgHeight = h;
    ConvBuf = QByteArray(qsizetype(w) * h, Qt::Uninitialized);

    setStatus(Status::Converting);
    Label1->repaint();

    QImage &image = Picture1->persistentImage();
    auto *out = reinterpret_cast<uchar *>(ConvBuf->data());
    const bool preview = BatchMode != 1;
    for (int y = 0; y < h; ++y) {
        if (preview)
            lumivert::reduceRowWithPreview(reinterpret_cast<QRgb *>(image.scanLine(y)), out, w);
        else
            lumivert::reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)), out, w);
        out += w;
        ProgressBar1->setValue(y);
    }

    Picture1->Refresh();
    ProgressBar1->setVisible(false);
    setStatus(Status::Converted);
    QGuiApplication::restoreOverrideCursor();
}
