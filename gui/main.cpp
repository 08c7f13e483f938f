#include "gui/fonts.h"
#include "gui/mainwindow.h"
#include "gui/splashscreen.h"
#include "gui/widgetmodal.h"

#include <QApplication>
#include <QIcon>

using namespace lumivert;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivert"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lumivert.png")));
    installFontSubstitutions();
    WidgetModalPresenter presenter;
    Modal::setPresenter(&presenter);

    auto *splash = new SplashScreen;
    QObject::connect(splash, &SplashScreen::finished, [](int measuredScreenWidth) {
        auto *window = new MainWindow(measuredScreenWidth);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        window->repaint();
    });
    splash->show();
    splash->repaint();
    return app.exec();
}
