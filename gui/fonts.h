#pragma once

#include <QFont>

namespace lumivert {

// The design's font, "ＭＳ Ｐゴシック", falling back to the Japanese Gothic fonts found on Linux.
QFont designFont(qreal pointSize, bool bold);
void installFontSubstitutions();

} // namespace lumivert
