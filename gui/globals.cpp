#include "gui/globals.h"

namespace Module1 {

void reset()
{
    ImgWidth = 0;
    ImgHeight = 0;
    HorzRes = 0;
    MsgResult = 0;
    NameLen = 0;
    FileSize = 0;
    LabelTop = 0;
}

} // namespace Module1
