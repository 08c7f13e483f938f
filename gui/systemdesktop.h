#pragma once

#include "app/desktop.h"

#include <QMimeData>

#include <memory>

namespace lumivert {

// The application's clipboard. On Windows a picture on it is read as the device-independent bitmap
// that every Windows program puts there.
class SystemClipboard : public ClipboardAccess
{
public:
    const QMimeData *contents() override;
    bool setImage(const QImage &image) override;

private:
    std::unique_ptr<QMimeData> m_bitmap;
};

// The wait pointer over every window of the program.
class WaitCursor : public BusyIndicator
{
public:
    void begin() override;
    void end() override;
};

} // namespace lumivert
