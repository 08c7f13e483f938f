#include "gui/fonts.h"

#include <QStringList>

namespace lumivert {

namespace {
const QString DesignFamily = QStringLiteral("ＭＳ Ｐゴシック");
}

void installFontSubstitutions()
{
    const QStringList fallbacks = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
    QFont::insertSubstitutions(DesignFamily, fallbacks);
}

QFont designFont(qreal pointSize, bool bold)
{
    installFontSubstitutions();
    QFont font(DesignFamily);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace lumivert
