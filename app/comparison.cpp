#include "app/comparison.h"

#include "core/colour/rgb332.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace lumivert {

QImage unitPreview(const QImage &source, Dither method)
{
    const QImage flat = toRgb32(source);
    QByteArray bytes(qsizetype(flat.width()) * flat.height(), Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(bytes.data());
    ReduceScratch scratch;
    reduceImage(flat, out, method, scratch);
    QImage shown(flat.size(), QImage::Format_RGB32);
    for (int y = 0; y < flat.height(); ++y, out += flat.width())
        expandRow(out, reinterpret_cast<QRgb *>(shown.scanLine(y)), flat.width());
    return shown;
}

QString methodName(Dither method)
{
    switch (method) {
    case Dither::None:
        return QStringLiteral("切り捨て（標準）");
    case Dither::Nearest:
        return QStringLiteral("最も近い色");
    case Dither::FloydSteinberg:
        return QStringLiteral("誤差拡散");
    case Dither::Ordered:
        return QStringLiteral("組織的ディザ");
    }
    return {};
}

QString layoutName(const PictureLayout &layout)
{
    if (layout.binFile)
        return QStringLiteral("BINファイル");
    const Placement &p = layout.placement;
    QStringList parts;
    if (!layout.fit) {
        parts << QStringLiteral("合わせない（標準）");
    } else {
        parts << QStringLiteral("%1×%2").arg(layout.fit->width()).arg(layout.fit->height());
        parts << (p.mode == FitMode::Fill ? QStringLiteral("画面を埋める") : QStringLiteral("全体を表示"));
        if (p.enlarge)
            parts << QStringLiteral("拡大あり");
    }
    switch (p.rotation) {
    case Rotation::None:
        break;
    case Rotation::Quarter:
        parts << QStringLiteral("右に90°");
        break;
    case Rotation::Half:
        parts << QStringLiteral("180°");
        break;
    case Rotation::ThreeQuarters:
        parts << QStringLiteral("左に90°");
        break;
    }
    if (p.mirror == Mirror::Horizontal)
        parts << QStringLiteral("左右反転");
    else if (p.mirror == Mirror::Vertical)
        parts << QStringLiteral("上下反転");
    return parts.join(QStringLiteral("・"));
}

double ComparisonZoom::scale(QSize shown, QSize area) const
{
    if (factor != Fit)
        return factor;
    if (shown.isEmpty() || area.isEmpty())
        return 1;
    return std::min(double(area.width()) / shown.width(), double(area.height()) / shown.height());
}

ComparisonZoom ComparisonZoom::larger(QSize shown, QSize area) const
{
    const int from = factor == Fit ? int(std::floor(scale(shown, area))) : factor;
    return {std::clamp(from + 1, 1, Most)};
}

ComparisonZoom ComparisonZoom::smaller(QSize shown, QSize area) const
{
    const int from = factor == Fit ? int(std::ceil(scale(shown, area))) : factor;
    return {std::clamp(from - 1, 1, Most)};
}

} // namespace lumivert
