#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *picIcon;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblDescription;
    QLabel *Label1;
    QPushButton *cmdOK;

    static QString descriptionText();
    static QString warningText();

protected:
    void paintEvent(QPaintEvent *event) override;
};
