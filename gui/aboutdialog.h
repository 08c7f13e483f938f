#pragma once

#include <QDialog>

namespace lumivert {

// The version window: product title, version, what the tool is for, and a copyright warning.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace lumivert
