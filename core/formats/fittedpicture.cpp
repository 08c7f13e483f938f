#include "core/formats/fittedpicture.h"

#include "core/colour/rgb332.h"
#include "core/formats/scaletofit.h"
#include "core/formats/sizelimit.h"

#include <functional>

namespace lumivert {

namespace {

using Loader = std::function<PictureLoad(const PictureOptions &)>;

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

PictureLoad refusedAsTurned(PictureLoad load, QSize turnedSize)
{
    load.image = QImage();
    load.size = turnedSize;
    load.problem = Problem::Cause::PictureTooLarge;
    return load;
}

// Turned without a box: a picture that is over the limit only until it is turned is taken, so it is
// read as if fitted to the turned limit (which leaves any such picture whole) and judged by its size.
PictureLoad orientedLoad(const Loader &load, const Placement &placement)
{
    PictureOptions options;
    if (placement.turnsSideways())
        options.fitInto = QSize(MaxPictureHeight, MaxPictureWidth);
    PictureLoad result = load(options);
    if (!result.loaded())
        return result;
    const QSize turnedSize = placement.turnsSideways() ? result.size.transposed() : result.size;
    if (!withinSizeLimit(turnedSize.width(), turnedSize.height()))
        return refusedAsTurned(std::move(result), turnedSize);
    result.image = oriented(result.image, placement.rotation, placement.mirror);
    return result;
}

PictureLoad placedLoad(const Loader &load, std::optional<QSize> fit, QRgb background,
                       const Placement &placement)
{
    if (placement.isPlain())
        return placed(load(optionsFor(fit)), fit, background);
    if (!fit)
        return orientedLoad(load, placement);
    const QSize uprightBox = placement.turnsSideways() ? fit->transposed() : *fit;
    PictureLoad result = load(optionsFor(uprightBox));
    if (!result.loaded())
        return result;
    // Shrunk while decoded to lie inside the box, the picture may be too small to fill it: decoded again
    // at the size it is scaled to, never above its own.
    const QSize wanted = scaledUprightSize(result.size, *fit, placement).boundedTo(result.size);
    if (result.image.size() != result.size &&
        (result.image.width() < wanted.width() || result.image.height() < wanted.height())) {
        PictureLoad again = load(optionsFor(wanted));
        if (again.loaded())
            result = std::move(again);
    }
    result.image = placeOnBox(result.image, result.size, *fit, placement, background);
    return result;
}

} // namespace

PictureLoad loadFittedPicture(const QString &path, std::optional<QSize> fit, QRgb background,
                              const Placement &placement)
{
    return placedLoad([&path](const PictureOptions &options) { return loadPicture(path, options); }, fit,
                      background, placement);
}

PictureLoad loadFittedPicture(const QByteArray &data, std::optional<QSize> fit, QRgb background,
                              const Placement &placement)
{
    return placedLoad([&data](const PictureOptions &options) { return loadPicture(data, options); }, fit,
                      background, placement);
}

PictureLoad fittedPicture(const QImage &image, std::optional<QSize> fit, QRgb background,
                          const Placement &placement)
{
    // Held whole already: every size "decodes" to the picture itself.
    const Loader held = [&image](const PictureOptions &options) {
        PictureLoad load;
        load.size = image.size();
        if (!options.fitInto && !withinSizeLimit(image.width(), image.height())) {
            load.problem = Problem::Cause::PictureTooLarge;
            return load;
        }
        load.problem = {};
        load.image = toRgb32(image);
        return load;
    };
    if (placement.isPlain()) {
        PictureLoad load = held(optionsFor(fit));
        if (load.loaded() && fit)
            load.image = scaleToFit(image, *fit, background);
        return load;
    }
    return placedLoad(held, fit, background, placement);
}

} // namespace lumivert
