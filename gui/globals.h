#pragma once

#include <QtGlobal>

// The program's global scalars. They keep the widths the rest of the program was written for:
// the 16-bit ones wrap exactly as a 16-bit store would.
namespace Module1 {

inline qint32 ImgWidth = 0;  // width of the picture last converted
inline qint32 ImgHeight = 0; // height of the picture last converted
inline qint16 HorzRes = 0;   // screen width measured by the splash screen; 0 if never measured
inline qint16 MsgResult = 0; // answer of the last message box whose answer is kept; never read
inline qint16 NameLen = 0;   // length in characters of a chosen file name
inline qint32 FileSize = 0;  // length in bytes of the BIN file being read
inline qint16 LabelTop = 0;  // computed top of Label1 below the picture

// Back to the state at program start (used between tests).
void reset();

} // namespace Module1
