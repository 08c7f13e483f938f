#pragma once

#include <QString>

namespace lumivert {

// What one tick of the splash timer leads to.
enum class SplashAction {
    None,          // checks passed, keep waiting
    ColourWarning, // display under 24 bits per pixel: warn and end
    WidthWarning,  // screen narrower than 800 pixels: warn and end
    ShowMain,      // checks passed at the fourth tick: open the main window
};

// Decides a tick from the measured display; `ticks` is the splash counter before the tick.
// The colour check comes first, so a display failing both gets only the colour warning.
SplashAction splashTick(int depth, int width, qint16 ticks);

// "ﾊﾞｰｼﾞｮﾝ 5.1.0", as the splash screen and the About box show it.
QString versionText();

inline const QString ColourWarningText =
    QStringLiteral("カラーパレットをフルカラー（２４ビット以上）に設定して下さい。");
inline const QString WidthWarningText =
    QStringLiteral("画面領域をＳＶＧＡ（８００×６００）以上に設定して下さい。");
inline const QString WarningTitle = QStringLiteral("警告");

} // namespace lumivert
