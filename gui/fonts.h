#pragma once

#include <QFont>

namespace lumivert {

// The design's font, "ＭＳ Ｐゴシック", falling back to the proportional Japanese Gothic fonts of Linux,
// Windows and macOS.
QFont designFont(qreal pointSize, bool bold);
void installFontSubstitutions();
// The application's font, for the controls whose face the design leaves open, with a proportional
// Japanese face for Japanese text.
void useProportionalJapaneseFont();

} // namespace lumivert
