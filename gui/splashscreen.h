#pragma once

#include "gui/screeninfo.h"

#include <QFrame>

class QLabel;
class QTimer;

namespace lumivert {

class ModalPresenter;

// Names the product and its version while it checks, every half second, that the display is full
// colour and at least 800 pixels wide. After the fourth passing check, or at a click, it closes and
// reports that the main window is due; a failing check warns and ends the program through `modal`.
class SplashScreen : public QFrame
{
    Q_OBJECT

public:
    explicit SplashScreen(ModalPresenter &modal, ScreenMeasurer measure = measureScreen,
                          QWidget *parent = nullptr);

    // One check of the display, as the timer runs it.
    void checkDisplay();

Q_SIGNALS:
    // Time for the main window. `measuredScreenWidth` is the width the last check measured, 0 when
    // the splash screen was clicked away before its first check.
    void finished(int measuredScreenWidth);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();

    ModalPresenter &m_modal;
    ScreenMeasurer m_measure;
    QTimer *m_splashTimer;
    QFrame *m_innerFrame;
    int m_passedChecks = 0;
    int m_measuredWidth = 0;
    bool m_finished = false;
};

} // namespace lumivert
