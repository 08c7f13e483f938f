#pragma once

#include "app/session.h"
#include "gui/mainwindow.h"
#include "gui/screeninfo.h"
#include "gui/widgetmodal.h"
#include "tests/support/modalscript.h"
#include "tests/testfiles.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <memory>

using namespace lumivert::test;

class QLabel;
class QProgressBar;

namespace lumivert {

// Shows no popup menu: its queued choices are taken instead, so no window test ever blocks on a menu.
class PopupScript : public PopupPresenter
{
public:
    void popUp(QMenu *menu, const QPoint &globalPos) override;

    // Object names of the items to choose, in order; "" or none left closes the menu unchosen.
    std::deque<QString> choices;
    int opened = 0;
};

} // namespace lumivert

// A screen of this depth and width, for a splash screen's display checks.
lumivert::ScreenMeasurer fixedScreen(int depth, int width);

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
    // As the program shows it: with backslashes on Windows.
    QString path(const QString &name) const { return QDir::toNativeSeparators(dir.filePath(name)); }
    // The window's parts, found by their object names.
    QWidget *picture() const;
    QLabel *label(const char *name) const;
    QProgressBar *progressBar() const;
    // Triggers the action or toolbar button of that name.
    void trigger(const char *name) const;
};
