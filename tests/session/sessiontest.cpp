#include "sessiontest.h"

#include <QMimeData>
#include <QPoint>
#include <QUrl>

using namespace lumivert;

SessionLog::SessionLog(Session &session)
{
    connect(&session, &Session::statusChanged, this, [this](const QString &text) { statuses << text; });
    connect(&session, &Session::fileShown, this, [this](const QString &path) { caption = path; });
    connect(&session, &Session::pictureFitted, this, [this](QSize area, FitRule rule) {
        const FitLayout layout = fitToPicture(area, QPoint(8, 32), rule);
        widthText = layout.widthText;
        heightText = layout.heightText;
        lastRule = rule;
    });
    connect(&session, &Session::sizeLabelsCleared, this, [this] {
        widthText.clear();
        heightText.clear();
    });
    connect(&session, &Session::progressStarted, this, [this](int maximum) {
        progressMaximum = maximum;
        progressVisible = true;
        progressValues.clear();
    });
    connect(&session, &Session::progressAdvanced, this, [this](int value) { progressValues << value; });
    connect(&session, &Session::progressFinished, this, [this] { progressVisible = false; });
    connect(&session, &Session::pictureChanged, this, [this] { ++pictureShows; });
}

SessionFixture::SessionFixture() = default;

bool SessionFixture::showsPicture() const
{
    QImage empty(session.picture().size(), QImage::Format_RGB32);
    empty.fill(Session::background());
    return session.picture() != empty;
}

void SessionFixture::openPicture(const QString &answer)
{
    script.answerFile(answer);
    session.openPicture();
}

void SessionFixture::openBin(const QString &answer)
{
    script.answerFile(answer);
    session.openBin();
}

void SessionFixture::drop(const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    session.openDropped(&data);
}

void SessionFixture::paste()
{
    session.pastePicture();
}
