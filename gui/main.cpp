#include "app/session.h"
#include "gui/application.h"
#include "gui/mainwindow.h"
#include "gui/splashscreen.h"
#include "gui/widgetmodal.h"

#include <QApplication>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

using namespace lumivert;

int main(int argc, char *argv[])
{
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = answerInformationOptions(rawArguments))
        return *status;

    QApplication app(argc, argv);
    const std::optional<QStringList> files = filesFromArguments(QApplication::arguments());
    if (!files)
        return 2;
    setUpApplication(app);
    WidgetModalPresenter presenter;
    MenuPopupPresenter popups;

    auto *splash = new SplashScreen(presenter);
    QObject::connect(splash, &SplashScreen::finished,
                     [&presenter, &popups, files = *files](int measuredScreenWidth) {
                         auto *window = new MainWindow(measuredScreenWidth, presenter, popups);
                         window->setAttribute(Qt::WA_DeleteOnClose);
                         window->show();
                         window->repaint();
                         if (files.isEmpty())
                             return;
                         // A file named on the command line opens as if it were dropped on the picture, once
                         // the window is up.
                         QTimer::singleShot(0, window, [window, files] {
                             QMimeData named;
                             QList<QUrl> urls;
                             for (const QString &file : files)
                                 urls << QUrl::fromLocalFile(file);
                             named.setUrls(urls);
                             window->session()->openDropped(&named);
                         });
                     });
    splash->show();
    splash->repaint();
    return app.exec();
}
