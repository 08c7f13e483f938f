#pragma once

#include "core/modal.h"
#include "core/session.h"
#include "gui/mainwindow.h"
#include "gui/widgetmodal.h"
#include "tests/testfiles.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>

using namespace lumivert::test;

class QLabel;
class QProgressBar;

// What every window test needs: a main window whose dialogs and message boxes are answered by a
// script, in a folder of its own.
struct WindowFixture
{
    explicit WindowFixture(int measuredScreenWidth = 0);
    ~WindowFixture();

    lumivert::ModalScript script;
    lumivert::PopupScript popups;
    QTemporaryDir dir;
    std::unique_ptr<lumivert::MainWindow> window;

    lumivert::Session &session() const { return *window->session(); }
    QString path(const QString &name) const { return dir.filePath(name); }
    // The window's parts, found by their object names.
    QWidget *picture() const;
    QLabel *label(const char *name) const;
    QProgressBar *progressBar() const;
    // Triggers the action or toolbar button of that name.
    void trigger(const char *name) const;
};
