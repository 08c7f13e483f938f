#include "tests/support/testdesktop.h"

#include <QImage>

namespace lumivert {

QImage TestClipboard::image() const
{
    return qvariant_cast<QImage>(data->imageData());
}

bool TestClipboard::setImage(const QImage &image)
{
    data = std::make_unique<QMimeData>();
    data->setImageData(image);
    return true;
}

void BusyRecorder::begin()
{
    ++depth;
}

void BusyRecorder::end()
{
    --depth;
}

} // namespace lumivert
