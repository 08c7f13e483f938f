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
SplashAction splashTick(int depth, int width, int ticks);

// "ﾊﾞｰｼﾞｮﾝ 5.1.0", as the splash screen and the About box show it.
QString versionLabelText();

} // namespace lumivert
