#pragma once

#include <QByteArray>
#include <QString>

namespace lumivert {

// Structural faults of a Windows bitmap that decoders tend to paper over: a file shorter than its
// header says, pixel data running past the picture, palette indices without a colour, colour masks
// that make no sense. Returns the first fault found, or an empty string for a sound file (and for
// anything that is not a bitmap at all).
QString bmpProblem(const QByteArray &file);

} // namespace lumivert
