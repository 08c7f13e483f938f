#include "gui/aboutdialog.h"

#include "app/splashlogic.h"
#include "gui/fonts.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace lumivert {

namespace {

QLabel *wrappedLabel(QWidget *parent, const char *objectName, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The warning's heading is followed by a run of blanks wider than the label, so the text after it
// starts on a line of its own. The description's paragraph begins with an ideographic space, which the
// line breaker would swallow at such a soft break, so a line break of its own keeps it as the indent.
QString descriptionText()
{
    return QStringLiteral("アプリケーションの説明\n") +
           QStringLiteral("　Windowsの画像データを当社製コマンド入力LCD表示器用の画像データに変換します。") +
           QString(20, QLatin1Char(' ')) +
           QStringLiteral("Ｗｉｎｄｏｗｓのデスクットップ画面はＳＶＧＡ以上、フルカラー（２４ｂｉｔ以上）表示"
                          "にてご使用ください。");
}

QString warningText()
{
    return QStringLiteral("警告") + QString(114, QLatin1Char(' ')) +
           QStringLiteral("著作権で保護された画像データを無断で商用等に使用したり、配布することは法律で禁止さ"
                          "れています。");
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(382, 237);
    setWindowTitle(QStringLiteral("Lumivertのﾊﾞｰｼﾞｮﾝ情報"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumivert.png")));
    // The design's texts were laid out for a 9-point Japanese Gothic.
    setFont(designFont(9, false));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/lumivert.png")));
    icon->move(16, 16);
    icon->adjustSize();

    QLabel *title = wrappedLabel(this, "titleLabel", QStringLiteral("256色Lumivert"), QRect(70, 16, 259, 32));
    title->setFont(designFont(12, false));
    QPalette black = title->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(black);

    wrappedLabel(this, "versionLabel", versionLabelText(), QRect(70, 52, 259, 15));
    wrappedLabel(this, "descriptionLabel", descriptionText(), QRect(70, 75, 259, 78))->setPalette(black);
    wrappedLabel(this, "warningLabel", warningText(), QRect(8, 168, 241, 65));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(284, 175, 87, 23);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

void AboutDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // An etched rule: a grey line with a white one a pixel below it.
    QPainter painter(this);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(6, 163, 376, 163);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(7, 165, 376, 165);
}

} // namespace lumivert
