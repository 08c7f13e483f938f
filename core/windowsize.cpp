#include "core/windowsize.h"

namespace lumivert {

QSize mainWindowSize(int horzRes, QSize screenSize)
{
    if (horzRes == 800)
        return screenSize;
    return {800, 600}; // 12000 x 9000 twips at 15 twips per pixel
}

} // namespace lumivert
