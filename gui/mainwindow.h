#pragma once

#include "app/windowlayout.h"
#include "gui/systemdesktop.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;

namespace lumivert {

class AboutDialog;
class ComparisonWindow;
class ModalPresenter;
class PopupPresenter;
class PictureView;
class Session;

// The working window: menus, toolbar, the picture box, the status and size labels and the progress
// bar. It holds no working data; it forwards every command to its Session and shows what that reports.
// Its dialogs and messages, and its session's, are shown by `modal`.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // `measuredScreenWidth` is the width the splash screen measured, or 0 when it measured none.
    MainWindow(int measuredScreenWidth, ModalPresenter &modal, PopupPresenter &popups,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    Session *session() const { return m_session; }

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void createActions();
    void createMenus();
    void addChoiceMenus(QMenu *runMenu);
    void createToolBar();
    void connectSession();
    void sizeWindow(int measuredScreenWidth);
    void fitOuterSize();

    void showAbout();
    void showComparison();
    void showStatus(const QString &text);
    void showFile(const QString &path);
    void layoutAround(QSize area, FitRule rule);
    void clearSizeLabels();

    ModalPresenter &m_modal;
    PopupPresenter &m_popups;
    SystemClipboard m_clipboard;
    WaitCursor m_waitCursor;
    Session *m_session;
    QString m_baseCaption;
    QSize m_outerSize;   // the window's size frame included, as designed
    QSize m_frameExtent; // what the frame adds, as far as it is known yet

    QToolBar *m_toolBar;
    PictureView *m_pictureView;
    QLabel *m_statusLabel;
    QLabel *m_widthLabel;
    QLabel *m_heightLabel;
    QProgressBar *m_progressBar;
    QMenu *m_pictureMenu;

    QAction *m_openPictureAction;
    QAction *m_openBinAction;
    QAction *m_batchAction;
    QAction *m_saveBinAction;
    QAction *m_exportBmpAction;
    QAction *m_quitAction;
    QAction *m_convertAction;
    QAction *m_aboutAction;
    QAction *m_compareAction;
    QAction *m_copyAction;
    QAction *m_pasteAction;
    QAction *m_cancelAction;

    QPointer<AboutDialog> m_about;
    QPointer<ComparisonWindow> m_comparison;
};

} // namespace lumivert
