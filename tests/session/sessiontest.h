#pragma once

#include "app/session.h"
#include "app/windowlayout.h"
#include "tests/support/modalscript.h"
#include "tests/support/testdesktop.h"
#include "tests/testfiles.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

using namespace lumivert::test;

// What the session told the window, as the window would show it.
struct SessionLog : QObject
{
    explicit SessionLog(lumivert::Session &session);

    QStringList statuses; // every status text, in order
    QString caption;      // the file the caption names; empty while none
    QString widthText;    // "X=..." as the size label shows it
    QString heightText;   // "Y=..."
    std::optional<lumivert::FitRule> lastRule;
    QList<int> progressValues;
    int progressMaximum = -1;
    bool progressVisible = false;
    int pictureShows = 0; // how often the picture was shown anew

    QString status() const { return statuses.isEmpty() ? QString() : statuses.last(); }
};

// What every session test needs: a session whose dialogs and messages are answered and recorded by
// a script, with a clipboard of its own, in a folder of its own.
struct SessionFixture
{
    SessionFixture();

    lumivert::ModalScript script;
    lumivert::TestClipboard clipboard;
    lumivert::BusyRecorder busy;
    QTemporaryDir dir;
    lumivert::Session session{{&script, &clipboard, &busy}};
    SessionLog log{session};

    // As the program shows it: with backslashes on Windows.
    QString path(const QString &name) const { return QDir::toNativeSeparators(dir.filePath(name)); }
    QStringList messageTexts() const { return script.messageTexts(); }
    QStringList messageTitles() const { return script.messageTitles(); }
    // The box shows a picture, not only its background.
    bool showsPicture() const;

    // The commands, answering their file dialog with `answer`.
    void openPicture(const QString &answer);
    void openBin(const QString &answer);
    void paste();
    void drop(const QStringList &paths);
};
