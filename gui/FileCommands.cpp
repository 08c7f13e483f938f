#include "gui/Form1.h"

#include "gui/globals.h"
#include "gui/modal.h"
#include "core/binformat.h"
#include "core/fitting.h"
#include "core/pictureloader.h"
#include "core/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>

#include <limits>

namespace {

// The busy pointer for as long as it lives.
class BusyPointer
{
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

} // namespace

void Form1::RejectOversizePicture()
{
    Picture1->removePicture();
    Picture1->setOuterSize(lumivert::EmptyBoxOuterWidth, lumivert::EmptyBoxOuterHeight);
    Label2->setText(QString());
    Label3->setText(QString());
    Module1::MsgResult =
        qint16(Modal::message(this, QStringLiteral("画像サイズオーバーです。"), QStringLiteral("警告")));
}

void Form1::FitToPicture(bool moveProgressBar, bool floorAt80, bool repaintSizeLabels)
{
    const lumivert::FitLayout layout = lumivert::fitToPicture(Picture1->ScaleWidth(), Picture1->ScaleHeight(),
                                                              Picture1->Left(), Picture1->Top(), floorAt80);
    if (moveProgressBar)
        ProgressBar1->move(ProgressBar1->x(), layout.progressTop);
    setStatus(QStringLiteral(" "));
    Module1::LabelTop = layout.labelTop;
    Label1->move(Label1->x(), layout.label1Top);
    Label2->move(layout.sizeLabelsLeft, Label2->y());
    Label2->setText(layout.label2);
    if (repaintSizeLabels)
        Label2->repaint();
    Label3->move(layout.sizeLabelsLeft, Label3->y());
    Label3->setText(layout.label3);
    if (repaintSizeLabels)
        Label3->repaint();
}

void Form1::reportSaveFailure(const QString &path, const QString &reason)
{
    setStatus(QStringLiteral(" "));
    Modal::message(this, QStringLiteral("ファイルを保存できませんでした。\n%1\n理由: %2").arg(path, reason),
                   QStringLiteral("警告"));
}

void Form1::BMPOPEN()
{
    BatchMode = 0;
    CommonDialog1.Filter = Filters::Picture;
    CommonDialog1.FileName = QString();
    if (!CommonDialog1.ShowOpen())
        return;

    const QString path = CommonDialog1.FileName;
    const lumivert::PictureLoad load = lumivert::loadPicture(path);
    if (load.status == lumivert::PictureLoad::Unreadable)
        return;
    // A picture over the limit is refused from its header, before it is decoded; the box ends up
    // empty exactly as if it had been put in and taken out again.
    if (load.status == lumivert::PictureLoad::TooLarge) {
        RejectOversizePicture();
        return;
    }
    Picture1->setPicture(load.image);
    setWindowTitle(BaseCaption + QLatin1Char('(') + path + QLatin1Char(')'));
    FitToPicture(true, true, false);

    Module1::NameLen = qint16(path.size());
    if (const auto base = lumivert::withoutLastFour(path))
        CommonDialog1.FileName = *base;
}

// Steps shared by BIN open and the BIN drop, from the geometry by length to the completion text.
void Form1::paintBinFromConvBuf()
{
    const auto geometry = lumivert::binGeometry(ConvBuf->size());
    if (geometry)
        Picture1->setScaleSize(geometry->width(), geometry->height());
    Picture1->removePicture();
    Picture1->Refresh();

    FitToPicture(true, false, true);
    const int w = Picture1->ScaleWidth();
    const int h = Picture1->ScaleHeight();
    startProgress(h);

    if (geometry)
        lumivert::paintBin(*ConvBuf, Picture1->persistentImage(), w, h,
                           [this](int y) { ProgressBar1->setValue(y); });

    Picture1->Refresh();
    ProgressBar1->setVisible(false);
    setStatus(Status::Loaded);
}

// The whole file, or none when it cannot be read whole.
std::optional<QByteArray> Form1::readWhole(const QString &path, qint64 length) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(length);
    if (bytes.size() != length)
        return std::nullopt;
    return bytes;
}

void Form1::BINOPEN()
{
    CommonDialog1.Filter = Filters::Binary;
    CommonDialog1.FileName = QString();
    if (!CommonDialog1.ShowOpen())
        return;

    const QString path = CommonDialog1.FileName;
    setWindowTitle(BaseCaption + QLatin1Char('(') + path + QLatin1Char(')'));

    // Several files chosen (the dialog still allows that after a batch run) name no one file.
    if (path.contains(QChar(u'\0')))
        return;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > std::numeric_limits<qint32>::max())
        return;
    Module1::FileSize = qint32(info.size());
    if (Module1::FileSize == 0)
        return;
    // The buffer is replaced only once the file has been read whole.
    std::optional<QByteArray> bytes = readWhole(path, Module1::FileSize);
    if (!bytes)
        return;
    ConvBuf = std::move(*bytes);

    BusyPointer busy;
    setStatus(Status::BinReading);
    Label1->repaint();
    paintBinFromConvBuf();

    Module1::NameLen = qint16(path.size());
    if (const auto base = lumivert::withoutLastFour(path))
        CommonDialog1.FileName = *base;
}

void Form1::BINSAVE()
{
    CommonDialog1.Flags = CommonDialog::OverwritePrompt | CommonDialog::HideReadOnly;
    CommonDialog1.Filter = Filters::Binary;
    if (!ConvBuf) {
        // Nothing has been converted or read yet: there is nothing that could be saved.
        Modal::message(
            this, QStringLiteral("保存するデータがありません。画像を変換するか、BINファイルを開いて下さい。"),
            QStringLiteral("注意"));
        return;
    }
    if (!CommonDialog1.ShowSave())
        return;
    const QString path = CommonDialog1.FileName;
    const QString error = lumivert::saveBytes(path, *ConvBuf);
    if (!error.isEmpty()) {
        reportSaveFailure(path, error);
        return;
    }
    setStatus(Status::BinSaved);
}

void Form1::BMPSAVE()
{
    CommonDialog1.Flags = CommonDialog::OverwritePrompt | CommonDialog::HideReadOnly;
    CommonDialog1.Filter = Filters::Bmp;
    if (!CommonDialog1.ShowSave())
        return;
    const QString path = CommonDialog1.FileName;
    const QString error = lumivert::saveBmp(path, Picture1->Image());
    if (!error.isEmpty()) {
        reportSaveFailure(path, error);
        return;
    }
    setStatus(Status::BmpSaved);
}
