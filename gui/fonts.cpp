#include "gui/fonts.h"

#include <QApplication>
#include <QStringList>

namespace lumivert {

namespace {

const QString DesignFamily = QStringLiteral("ＭＳ Ｐゴシック");

// Proportional Japanese faces as each platform names them: Debian's IPA and Noto fonts, then Windows'
// and macOS's own. A face that is not installed is passed over.
const QStringList ProportionalJapanese = {QStringLiteral("IPAPGothic"),   QStringLiteral("Noto Sans CJK JP"),
                                          QStringLiteral("VL PGothic"),   QStringLiteral("MS PGothic"),
                                          QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"),
                                          QStringLiteral("Hiragino Sans")};

} // namespace

void installFontSubstitutions()
{
    QFont::insertSubstitutions(DesignFamily, ProportionalJapanese + QStringList{QStringLiteral("IPAGothic")});
}

void useProportionalJapaneseFont()
{
    // Latin text keeps the desktop's face; Japanese glyphs come from a proportional face instead of the
    // fixed-width IPAGothic that fontconfig picks first under a Japanese locale.
    QFont font = QApplication::font();
    font.setFamilies(QStringList{font.family()} + ProportionalJapanese);
    QApplication::setFont(font);
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
