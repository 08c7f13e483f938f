#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

namespace lumivert {

// The picture box's drawing area at start-up and after a refused picture.
constexpr QSize EmptyPictureArea(320, 240);

// How the main window lays itself out around a new picture in its box.
enum class FitRule {
    Picture,       // opened, dropped or batch-converted: the progress bar follows the box, the status
                   // line too but never above 80
    PastedPicture, // as Picture, except that the progress bar stays where it was
    BinFile,       // a BIN file: progress bar and status line right below the box, even above 80
};

// Where the status line, the size labels and the progress bar go around the picture box.
struct FitLayout
{
    std::optional<int> progressTop; // none: the progress bar stays where it is
    int statusTop = 0;
    int sizeLabelsLeft = 0;
    QString widthText;  // "X=" and the width
    QString heightText; // "Y=" and the height
};

// The layout around a box whose drawing area is `area` and whose top-left corner stands at `boxPos`.
FitLayout fitToPicture(QSize area, QPoint boxPos, FitRule rule);

// The main window's outer size: a screen exactly 800 pixels wide is covered whole; any other
// measured width (0 included, when the splash screen never measured it) gets 800 x 600.
QSize mainWindowSize(int measuredScreenWidth, QSize screenSize);

} // namespace lumivert
