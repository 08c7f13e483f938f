#pragma once

#include "app/desktop.h"

#include <QMimeData>

#include <memory>

namespace lumivert {

// A clipboard of the test's own, holding what was last put on it.
class TestClipboard : public ClipboardAccess
{
public:
    std::unique_ptr<QMimeData> data = std::make_unique<QMimeData>();

    // What another program would put there.
    void setMimeData(QMimeData *offered) { data.reset(offered); }
    QImage image() const;

    const QMimeData *contents() override { return data.get(); }
    bool setImage(const QImage &image) override;
};

// How many times over a command is shown busy now: 0 once every command has ended.
class BusyRecorder : public BusyIndicator
{
public:
    int depth = 0;

    void begin() override;
    void end() override;
};

} // namespace lumivert
