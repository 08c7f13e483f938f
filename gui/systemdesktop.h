#pragma once

#include "app/desktop.h"

namespace lumivert {

// The application's clipboard.
class SystemClipboard : public ClipboardAccess
{
public:
    const QMimeData *contents() override;
    bool setImage(const QImage &image) override;
};

// The wait pointer over every window of the program.
class WaitCursor : public BusyIndicator
{
public:
    void begin() override;
    void end() override;
};

} // namespace lumivert
