#include "gui/Form1.h"

#include "gui/modal.h"
#include "core/selection.h"
#include "core/pictureloader.h"
#include "core/savefile.h"

#include <QDir>

namespace {
const QString Warning = QStringLiteral("警告");
}

// Converts every picture of a multiple selection to a BIN file next to it. The run stops at the
// first picture it cannot take, and says why.
void Form1::AUTOPROC()
{
    BatchMode = 1;
    CommonDialog1.Filter = Filters::Picture;
    CommonDialog1.FileName = QString();
    CommonDialog1.Flags |= CommonDialog::Explorer | CommonDialog::AllowMultiSelect;
    if (!CommonDialog1.ShowOpen())
        return;

    const QChar separator = QDir::separator();
    const QStringList files = lumivert::parseSelection(CommonDialog1.FileName, separator);
    const auto stop = [this](const QString &text, const QString &path) {
        Modal::message(this, QStringLiteral("%1\n%2\n処理を中断します。").arg(text, path), Warning);
    };

    for (const QString &CurrentFile : files) {
        const lumivert::PictureLoad load = lumivert::loadPicture(CurrentFile);
        if (load.status == lumivert::PictureLoad::Unreadable) {
            stop(QStringLiteral("画像ファイルを読み込めませんでした。"), CurrentFile);
            return;
        }
        if (load.loaded())
            Picture1->setPicture(load.image);
        setWindowTitle(BaseCaption + QLatin1Char('(') + CurrentFile + QLatin1Char(')'));
        if (load.status == lumivert::PictureLoad::TooLarge) {
            Modal::message(this, QStringLiteral("画像サイズオーバーです。処理を中断します。"), Warning);
            return;
        }
        FitToPicture(true, true, true);
        setStatus(Status::Converting);
        CONV();

        const auto output = lumivert::batchOutputPath(CurrentFile);
        const QString problem = output ? lumivert::batchOutputProblem(CurrentFile, *output, separator)
                                       : QStringLiteral("BINファイルの名前を作れません。");
        if (!problem.isEmpty()) {
            stop(problem, CurrentFile);
            return;
        }
        const QString error = lumivert::saveBytes(*output, *ConvBuf);
        if (!error.isEmpty()) {
            stop(QStringLiteral("BINファイルを保存できませんでした（%1）。").arg(error), *output);
            return;
        }
        setStatus(Status::BinSaved);
    }
    Modal::message(this, QStringLiteral("自動処理が終了しました。"), QStringLiteral("通知"));
}
