#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;

class frmSplash : public QFrame
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

    qint16 SplashTicks = 0;
    QTimer Timer1;

    QFrame *Frame1;
    QLabel *imgLogo;
    QLabel *lblCompanyProduct;
    QLabel *Label2;
    QLabel *lblProductName;
    QLabel *lblVersion;
    QLabel *Label1;

    void Timer1_Timer();
    void SHOWMAIN();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_shown = false;
};
