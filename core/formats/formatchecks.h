#pragma once

#include "core/problem.h"

#include <QByteArray>

namespace lumivert {

// Qt's GIF and XPM readers fill what they could not decode with a blank and call it a success. These
// read a whole file's structure first and tell a damaged one (Damaged, with how); no problem for a
// whole one, or for data in another format.

// A GIF is whole when its blocks lead to the trailer and its first frame's compressed data gives
// every pixel of the frame, in valid codes, before its end code.
Problem gifProblem(const QByteArray &data);

// An XPM picture is whole when it has every colour and row it states, each row of the stated width,
// in pixels of the colours it defines.
Problem xpmProblem(const QByteArray &data);

} // namespace lumivert
