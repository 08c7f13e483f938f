#pragma once

#include "core/problem.h"

#include <QString>

namespace lumivert {

// Why a file could not be saved, or a batch output not written, as the window tells it: the common
// causes in Japanese, else the system's own words.
QString japaneseReason(const Problem &problem);

} // namespace lumivert
