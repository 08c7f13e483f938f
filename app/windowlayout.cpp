#include "app/windowlayout.h"

namespace lumivert {

FitLayout fitToPicture(QSize area, QPoint boxPos, FitRule rule)
{
    FitLayout layout;
    const int below = area.height() + boxPos.y() + 5;
    if (rule != FitRule::PastedPicture)
        layout.progressTop = below;
    layout.statusTop = rule == FitRule::BinFile ? below : qMax(below, 80);
    layout.sizeLabelsLeft = area.width() + boxPos.x() + 10;
    layout.widthText = QStringLiteral("X=") + QString::number(area.width());
    layout.heightText = QStringLiteral("Y=") + QString::number(area.height());
    return layout;
}

QSize mainWindowSize(int measuredScreenWidth, QSize screenSize)
{
    if (measuredScreenWidth == 800)
        return screenSize;
    return {800, 600}; // 12000 x 9000 twips at 15 twips per pixel
}

} // namespace lumivert
