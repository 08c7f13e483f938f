#include "core/fittedpicture.h"

#include "core/rgb332.h"
#include "core/scaletofit.h"
#include "core/sizelimit.h"

namespace lumivert {

namespace {

PictureOptions optionsFor(std::optional<QSize> fit)
{
    PictureOptions options;
    options.fitInto = fit;
    return options;
}

PictureLoad placed(PictureLoad load, std::optional<QSize> fit, QRgb background)
{
    if (load.loaded() && fit)
        load.image = scaleToFit(load.image, *fit, background);
    return load;
}

} // namespace

PictureLoad loadFittedPicture(const QString &path, std::optional<QSize> fit, QRgb background)
{
    return placed(loadPicture(path, optionsFor(fit)), fit, background);
}

PictureLoad loadFittedPicture(const QByteArray &data, std::optional<QSize> fit, QRgb background)
{
    return placed(loadPicture(data, optionsFor(fit)), fit, background);
}

PictureLoad fittedPicture(const QImage &image, std::optional<QSize> fit, QRgb background)
{
    PictureLoad load;
    load.size = image.size();
    if (!fit && !withinSizeLimit(image.width(), image.height())) {
        load.problem = Problem::Cause::PictureTooLarge;
        return load;
    }
    load.problem = {};
    load.image = fit ? scaleToFit(image, *fit, background) : toRgb32(image);
    return load;
}

} // namespace lumivert
