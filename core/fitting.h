#pragma once

#include <QString>

#include <optional>

namespace lumivert {

constexpr int MaxPictureWidth = 640;
constexpr int MaxPictureHeight = 480;

// The picture box's size at start-up and after a refused picture (inner 320 x 240, 2-pixel border).
constexpr int EmptyBoxOuterWidth = 324;
constexpr int EmptyBoxOuterHeight = 244;
constexpr int PictureBorder = 2;

constexpr bool withinSizeLimit(qint64 width, qint64 height)
{
    return width <= MaxPictureWidth && height <= MaxPictureHeight;
}

// Where the status label, size labels and progress bar go around a picture of W x H at (L, T).
struct FitLayout
{
    int progressTop = 0;    // ProgressBar1's top
    qint16 labelTop = 0;    // the computed LabelTop
    int label1Top = 0;      // Label1's top (LabelTop, or 80 with the floor)
    int sizeLabelsLeft = 0; // left edge of Label2 and Label3
    QString label2;         // "X=" and the width
    QString label3;         // "Y=" and the height
};

FitLayout fitToPicture(double width, double height, int left, int top, bool floorAt80);

// Nearest whole number, a tie going to the even one.
qint64 roundHalfEven(double value);

// The path without its last four characters (the dot and a three-letter extension), as the save
// dialogs propose it. None when the path is shorter than four characters.
std::optional<QString> withoutLastFour(const QString &path);

} // namespace lumivert
