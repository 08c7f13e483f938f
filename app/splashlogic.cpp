#include "app/splashlogic.h"

#include "core/version.h"

namespace lumivert {

SplashAction splashTick(int depth, int width, int ticks)
{
    if (depth < 24)
        return SplashAction::ColourWarning;
    if (width < 800)
        return SplashAction::WidthWarning;
    return ticks % 4 == 0 ? SplashAction::ShowMain : SplashAction::None;
}

QString versionLabelText()
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + versionString();
}

} // namespace lumivert
