#include "gui/Module1.h"
#include "gui/fonts.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivert"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lumivert.png")));
    lumivert::installFontSubstitutions();
    Main();
    return app.exec();
}
