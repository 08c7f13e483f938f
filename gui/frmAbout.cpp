#include "gui/frmAbout.h"

#include "gui/fonts.h"
#include "core/splashlogic.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

QLabel *wrappedLabel(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

QString frmAbout::descriptionText()
{
    return QStringLiteral("アプリケーションの説明") + QString(96, QLatin1Char(' ')) +
           QStringLiteral("　Windowsの画像データを当社製コマンド入力LCD表示器用の画像データに変換します。") +
           QString(20, QLatin1Char(' ')) +
           QStringLiteral("Ｗｉｎｄｏｗｓのデスクットップ画面はＳＶＧＡ以上、フルカラー（２４ｂｉｔ以上）表示"
                          "にてご使用ください。");
}

QString frmAbout::warningText()
{
    return QStringLiteral("警告") + QString(114, QLatin1Char(' ')) +
           QStringLiteral("著作権で保護された画像データを無断で商用等に使用したり、配布することは法律で禁止さ"
                          "れています。");
}

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(382, 237);
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumivert.png")));
    // The design's texts were laid out for a 9-point Japanese Gothic.
    setFont(lumivert::designFont(9, false));

    picIcon = new QLabel(this);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/icons/lumivert.png")));
    picIcon->move(16, 16);
    picIcon->adjustSize();

    lblTitle = wrappedLabel(this, QStringLiteral("256色Lumivert"), QRect(70, 16, 259, 32));
    lblTitle->setFont(lumivert::designFont(12, false));
    QPalette black = lblTitle->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(black);

    lblVersion = wrappedLabel(this, QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), QRect(70, 52, 259, 15));
    lblDescription = wrappedLabel(this, descriptionText(), QRect(70, 75, 259, 78));
    lblDescription->setPalette(black);
    Label1 = wrappedLabel(this, warningText(), QRect(8, 168, 241, 65));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(284, 175, 87, 23);
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    // Load.
    setWindowTitle(QStringLiteral("Lumivertのﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(lumivert::versionText());
    cmdOK->setFocus();
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // An etched rule: a grey line with a white one a pixel below it.
    QPainter painter(this);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(6, 163, 376, 163);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(7, 165, 376, 165);
}
