#include "core/fitting.h"

#include <cmath>

namespace lumivert {

qint64 roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    qint64 result = qint64(floor);
    if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

FitLayout fitToPicture(double width, double height, int left, int top, bool floorAt80)
{
    FitLayout layout;
    const double below = height + top + 5;
    layout.progressTop = int(below);
    layout.labelTop = qint16(roundHalfEven(below));
    layout.label1Top = (!floorAt80 || layout.labelTop > 80) ? layout.labelTop : 80;
    layout.sizeLabelsLeft = int(width + left + 10);
    layout.label2 = QStringLiteral("X=") + QString::number(qint64(width));
    layout.label3 = QStringLiteral("Y=") + QString::number(qint64(height));
    return layout;
}

std::optional<QString> withoutLastFour(const QString &path)
{
    if (path.size() < 4)
        return std::nullopt;
    return path.left(path.size() - 4);
}

} // namespace lumivert
