#pragma once

#include "app/comparison.h"

#include <QImage>
#include <QWidget>

class QComboBox;
class QLabel;
class QScrollArea;

namespace lumivert {

class ComparisonCanvas;
class Session;

// A window beside the main one: the picture as it came in and as the display will show it with the
// chosen method, side by side or one at a time, zoomed by whole pixels. It follows the session and
// keeps nothing of its own but what it paints.
class ComparisonWindow : public QWidget
{
    Q_OBJECT

public:
    enum class View { SideBySide, Before, After };

    explicit ComparisonWindow(Session *session, QWidget *parent = nullptr);

    View view() const { return m_view; }
    ComparisonZoom zoom() const { return m_zoom; }
    // What is painted now, for a look from outside.
    const QImage &afterImage() const { return m_after; }
    QString description() const;

    void setView(View view);
    void setZoom(ComparisonZoom zoom);
    void zoomIn();
    void zoomOut();
    // Space: one picture at a time, the other one each time.
    void switchPicture();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();
    void updateCanvas();
    QSize shownAtOne() const;
    QSize freeArea() const;

    Session *m_session;
    QLabel *m_descriptionLabel;
    QComboBox *m_viewBox;
    QComboBox *m_zoomBox;
    QScrollArea *m_scroll;
    ComparisonCanvas *m_canvas;

    QImage m_before;
    QImage m_after;
    View m_view = View::SideBySide;
    ComparisonZoom m_zoom;
};

} // namespace lumivert
