#pragma once

class QImage;
class QMimeData;

namespace lumivert {

class ModalPresenter;

// The system clipboard as copy and paste use it.
class ClipboardAccess
{
public:
    virtual ~ClipboardAccess() = default;
    // What it holds now; null when it cannot be reached.
    virtual const QMimeData *contents() = 0;
    // Empties it and puts `image` on it; false when it cannot be reached.
    virtual bool setImage(const QImage &image) = 0;
};

// Shows the user that a command is busy (the wait pointer) from begin() to the matching end().
class BusyIndicator
{
public:
    virtual ~BusyIndicator() = default;
    virtual void begin() = 0;
    virtual void end() = 0;
};

// What lies outside the program and a session reaches only through what its maker gives it. Each may be
// left out: without a presenter every question is cancelled and every message goes unseen, without a
// clipboard there is nothing to paste or copy to, without a busy indicator nothing shows a long command.
struct Desktop
{
    ModalPresenter *modal = nullptr;
    ClipboardAccess *clipboard = nullptr;
    BusyIndicator *busy = nullptr;
};

} // namespace lumivert
