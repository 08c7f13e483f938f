#include "app/session.h"

#include "app/dialogfolder.h"
#include "app/filedialogtext.h"
#include "app/japanesereasons.h"
#include "app/outputnaming.h"
#include "core/colour/rgb332.h"
#include "core/files/regularfile.h"
#include "core/files/savefile.h"
#include "core/formats/binformat.h"
#include "core/formats/fittedpicture.h"
#include "core/formats/pictureloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace lumivert {

namespace {

using Option = FileDialogState::Option;

// Each entry shows its label and lists the files of its pattern.
const QStringList PictureFilters = {QStringLiteral("Picture(*.BMP) (*.BMP)"),
                                    QStringLiteral("Picture(*.JPG) (*.JPG)")};
const QStringList BinaryFilters = {QStringLiteral("Binary(*.BIN) (*.BIN)")};
const QStringList BmpFilters = {QStringLiteral("*.BMP (*.BMP)")};

const QString Warning = QStringLiteral("警告");
const QString Caution = QStringLiteral("注意");

// Around a fitted picture, as on the command line by default.
constexpr QRgb FitBackground = 0xFF000000;

// Shown busy for as long as it lives.
class BusyTime
{
public:
    explicit BusyTime(BusyIndicator *indicator) : m_indicator(indicator)
    {
        if (m_indicator)
            m_indicator->begin();
    }
    ~BusyTime()
    {
        if (m_indicator)
            m_indicator->end();
    }
    BusyTime(const BusyTime &) = delete;
    BusyTime &operator=(const BusyTime &) = delete;

private:
    BusyIndicator *m_indicator;
};

// The whole of a plain file no longer than any BIN file could be, or none.
std::optional<QByteArray> readBinFile(const QString &path)
{
    ReadFile file = readRegularFile(path, LongestBinBytes);
    if (!file.ok())
        return std::nullopt;
    return std::move(file.bytes);
}

// The clipboard's picture, fitted when a fit size is chosen. Encoded pictures are read through the
// loader, in any format offered, so that their size is checked before they are decoded; a picture this
// program put there is held as an image already.
PictureLoad clipboardPicture(const QMimeData *data, std::optional<QSize> fit, const Placement &placement)
{
    if (!data)
        return {};
    if (data->hasFormat(QStringLiteral("application/x-qt-image"))) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull())
            return fittedPicture(image, fit, FitBackground, placement);
    }
    for (const QString &format : data->formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        PictureLoad load = loadFittedPicture(data->data(format), fit, FitBackground, placement);
        if (load.status() != PictureLoad::Unreadable)
            return load;
    }
    return {};
}

} // namespace

Session::Session(const Desktop &desktop, QObject *parent) : QObject(parent), m_desktop(desktop)
{
    clearPicture(EmptyPictureArea);
    m_dialog.folder = firstDialogFolder(QCoreApplication::applicationDirPath());
    m_dialog.options = Option::KeepWorkingFolder;
}

QColor Session::background()
{
    return QColor(240, 240, 240);
}

void Session::setPicture(const QImage &picture)
{
    m_picture = toRgb32(picture);
    m_source = m_picture;
    m_sourceLayout = {m_fitSize, m_placement, false};
    m_notConverted = true;
    Q_EMIT pictureChanged();
    Q_EMIT conversionInputChanged();
}

void Session::setReduction(Dither method)
{
    if (method == m_reduction)
        return;
    m_reduction = method;
    Q_EMIT conversionInputChanged();
}

// An empty box of the given drawing area, showing the background.
void Session::clearPicture(QSize area)
{
    if (m_picture.size() != area)
        m_picture = QImage(area, QImage::Format_RGB32);
    m_picture.fill(background());
    m_source = m_picture;
    m_sourceLayout = {};
    // An empty box is no picture to convert: a save still writes the bytes of before.
    m_notConverted = false;
    Q_EMIT conversionInputChanged();
}

void Session::tell(const QString &text, const QString &title, bool foreground)
{
    if (m_desktop.modal)
        m_desktop.modal->showMessage(Message{text, title, foreground});
}

std::optional<QStringList> Session::askForFiles(bool save)
{
    const FileRequest request{m_dialog.options, m_dialog.folder, m_dialog.nameFilters, m_dialog.fileName,
                              save};
    std::optional<QStringList> chosen =
        m_desktop.modal ? m_desktop.modal->chooseFiles(request) : std::nullopt;
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    // The name the dialog keeps is the one file, or the folder that holds them all; the next dialog
    // proposes it and starts in that folder, or in the one file's folder.
    const bool several = chosen->size() > 1;
    m_dialog.fileName = several ? commonFolder(*chosen) : chosen->first();
    const QFileInfo where(m_dialog.fileName);
    m_dialog.folder =
        several || where.isDir() ? m_dialog.fileName : QDir::toNativeSeparators(where.absolutePath());
    return chosen;
}

std::optional<QString> Session::askForFile(bool save)
{
    const std::optional<QStringList> chosen = askForFiles(save);
    return chosen ? std::optional<QString>(chosen->first()) : std::nullopt;
}

// The save dialogs then propose the opened file's name without its extension.
void Session::rememberForSave(const QString &openedPath)
{
    if (const auto name = proposedSaveName(openedPath))
        m_dialog.fileName = *name;
}

void Session::refuseOversizePicture()
{
    clearPicture(EmptyPictureArea);
    recordSourceFile({}, false);
    Q_EMIT pictureChanged();
    Q_EMIT sizeLabelsCleared();
    tell(QStringLiteral("画像サイズオーバーです。"), Warning);
}

void Session::fitAround(FitRule rule)
{
    Q_EMIT statusChanged(QStringLiteral(" "));
    Q_EMIT pictureFitted(m_picture.size(), rule);
}

// A picture file as every road takes it in: turned and fitted as chosen.
PictureLoad Session::loadIncoming(const QString &path) const
{
    return loadFittedPicture(path, m_fitSize, FitBackground, m_placement);
}

void Session::recordSourceFile(const QString &path, bool bin)
{
    m_sourcePath = path;
    m_sourceIsBin = bin;
}

// A BIN save may write back over the BIN file it showed (the same bytes, or their conversion); nothing
// else that was read is replaced.
OutputRule Session::outputRuleForSave(bool binSave) const
{
    OutputRule rule;
    if (!m_sourcePath.isEmpty() && !(binSave && m_sourceIsBin))
        rule.protect(m_sourcePath);
    return rule;
}

void Session::openPicture()
{
    m_batchMode = false;
    m_dialog.nameFilters = PictureFilters;
    m_dialog.fileName.clear();
    const std::optional<QString> path = askForFile(false);
    if (!path)
        return;

    const PictureLoad load = loadIncoming(*path);
    if (load.status() == PictureLoad::Unreadable)
        return;
    // A picture over the limit is refused from its header, before it is decoded; the box ends up
    // empty exactly as if it had been put in and taken out again.
    if (load.status() == PictureLoad::TooLarge) {
        refuseOversizePicture();
        return;
    }
    setPicture(load.image);
    recordSourceFile(*path, false);
    Q_EMIT fileShown(*path);
    fitAround(FitRule::Picture);
    rememberForSave(*path);
}

// Reduces the picture as it came in to RGB332 by the chosen method and, unless a batch run is going on,
// paints each pixel back in the colour the display will show. The preview appears in one piece at the
// end. The preview is never read back: converting again with another method gives that method's bytes.
void Session::convertPicture()
{
    BusyTime busy(m_desktop.busy);
    const int width = m_source.width();
    const int height = m_source.height();
    Q_EMIT progressStarted(height);
    m_converted = QByteArray(qsizetype(width) * height, Qt::Uninitialized);
    Q_EMIT statusChanged(QStringLiteral("変換中．．．"));

    auto *out = reinterpret_cast<uchar *>(m_converted->data());
    if (m_reduction != Dither::None) {
        // A dither looks at neighbouring pixels, so the whole picture is reduced first; the preview is
        // then the bytes as the display shows them.
        reduceImage(m_source, out, m_reduction, m_scratch);
        if (!m_batchMode)
            m_picture = QImage(m_source.size(), QImage::Format_RGB32);
        for (int y = 0; y < height; ++y, out += width) {
            if (!m_batchMode)
                expandRow(out, reinterpret_cast<QRgb *>(m_picture.scanLine(y)), width);
            Q_EMIT progressAdvanced(y);
        }
    } else {
        if (!m_batchMode)
            m_picture = m_source; // painted over row by row below, in a copy of its own
        for (int y = 0; y < height; ++y) {
            if (m_batchMode)
                reduceRow(reinterpret_cast<const QRgb *>(m_source.constScanLine(y)), out, width);
            else
                reduceRowWithPreview(reinterpret_cast<QRgb *>(m_picture.scanLine(y)), out, width);
            out += width;
            Q_EMIT progressAdvanced(y);
        }
    }

    m_notConverted = false;
    Q_EMIT pictureChanged();
    Q_EMIT progressFinished();
    Q_EMIT statusChanged(QStringLiteral("変換完了!!"));
}

// Draws the converted bytes as the display shows them, when their length gives a picture size; any
// other length leaves the box empty at its size.
void Session::showConvertedBin()
{
    const auto geometry = binGeometry(m_converted->size());
    clearPicture(geometry ? *geometry : m_picture.size());
    Q_EMIT pictureChanged();
    fitAround(FitRule::BinFile);

    Q_EMIT progressStarted(m_picture.height());
    if (geometry) {
        paintBin(*m_converted, m_picture, geometry->width(), geometry->height(),
                 [this](int y) { Q_EMIT progressAdvanced(y); });
    }
    // What the BIN file drew is what a conversion reads next.
    m_source = m_picture;
    m_sourceLayout = {std::nullopt, {}, true};
    Q_EMIT conversionInputChanged();
    Q_EMIT pictureChanged();
    Q_EMIT progressFinished();
    Q_EMIT statusChanged(QStringLiteral("読込完了!!"));
}

void Session::openBin()
{
    m_dialog.nameFilters = BinaryFilters;
    m_dialog.fileName.clear();
    const std::optional<QStringList> chosen = askForFiles(false);
    if (!chosen)
        return;
    Q_EMIT fileShown(m_dialog.fileName);

    // Several files chosen (the dialog still allows that after a batch run) name no one file.
    if (chosen->size() > 1)
        return;
    const QString &path = chosen->first();
    // The bytes are replaced only once the file has been read whole.
    std::optional<QByteArray> bytes = readBinFile(path);
    if (!bytes || bytes->isEmpty())
        return;
    m_converted = std::move(bytes);
    recordSourceFile(path, true);

    BusyTime busy(m_desktop.busy);
    Q_EMIT statusChanged(QStringLiteral("ＢＩＮファイル読込中．．．"));
    showConvertedBin();
    rememberForSave(path);
}

void Session::reportSaveFailure(const QString &path, const QString &reason)
{
    Q_EMIT statusChanged(QStringLiteral(" "));
    tell(QStringLiteral("ファイルを保存できませんでした。\n%1\n理由: %2").arg(path, reason), Warning);
}

void Session::saveBin()
{
    m_dialog.options = Option::ConfirmOverwrite | Option::HideReadOnly;
    m_dialog.nameFilters = BinaryFilters;
    if (!m_converted && !m_notConverted) {
        // Nothing has been converted or read yet: there is nothing that could be saved.
        tell(QStringLiteral("保存するデータがありません。画像を変換するか、BINファイルを開いて下さい。"),
             Caution);
        return;
    }
    const std::optional<QString> path = askForFile(true);
    if (!path)
        return;
    if (const Problem problem = outputRuleForSave(true).claim(*path, OutputRule::Kind::Bin)) {
        reportSaveFailure(*path, japaneseReason(problem));
        return;
    }
    // The file holds the picture shown: one that came in since the last conversion or BIN read is
    // converted now, as the convert command would.
    if (m_notConverted)
        convertPicture();
    if (const Problem problem = saveBytes(*path, *m_converted)) {
        reportSaveFailure(*path, japaneseReason(problem));
        return;
    }
    Q_EMIT statusChanged(QStringLiteral("ＢＩＮファイル保存終了!!"));
}

void Session::exportBmp()
{
    m_dialog.options = Option::ConfirmOverwrite | Option::HideReadOnly;
    m_dialog.nameFilters = BmpFilters;
    const std::optional<QString> path = askForFile(true);
    if (!path)
        return;
    if (const Problem problem = outputRuleForSave(false).claim(*path, OutputRule::Kind::Picture)) {
        reportSaveFailure(*path, japaneseReason(problem));
        return;
    }
    if (const Problem problem = saveBmp(*path, m_picture)) {
        reportSaveFailure(*path, japaneseReason(problem));
        return;
    }
    Q_EMIT statusChanged(QStringLiteral("ＢＭＰファイル保存終了!!"));
}

// Converts every picture of a multiple selection to a BIN file next to it. The run stops at the first
// picture it cannot take, and says why.
void Session::runBatch()
{
    m_batchMode = true;
    m_dialog.nameFilters = PictureFilters;
    m_dialog.fileName.clear();
    m_dialog.options |= Option::AllowSeveralFiles;
    const std::optional<QStringList> chosen = askForFiles(false);
    if (!chosen)
        return;
    // No picture of the selection is replaced, and no two write one BIN file.
    OutputRule outputs;
    for (const QString &file : *chosen)
        outputs.protect(file);
    for (const QString &file : *chosen) {
        if (!convertForBatch(file, outputs))
            return;
    }
    tell(QStringLiteral("自動処理が終了しました。"), QStringLiteral("通知"));
}

// One picture of a batch run: shown, converted and written beside itself. False when the run stops
// here, after saying why.
bool Session::convertForBatch(const QString &file, OutputRule &outputs)
{
    const auto stop = [this](const QString &text, const QString &path) {
        tell(QStringLiteral("%1\n%2\n処理を中断します。").arg(text, path), Warning);
        return false;
    };
    const PictureLoad load = loadIncoming(file);
    if (load.status() == PictureLoad::Unreadable)
        return stop(QStringLiteral("画像ファイルを読み込めませんでした。"), file);
    if (load.loaded()) {
        setPicture(load.image);
        recordSourceFile(file, false);
    }
    Q_EMIT fileShown(file);
    if (load.status() == PictureLoad::TooLarge) {
        tell(QStringLiteral("画像サイズオーバーです。処理を中断します。"), Warning);
        return false;
    }
    fitAround(FitRule::Picture);
    convertPicture();

    const auto output = batchOutputPath(file);
    if (!output)
        return stop(QStringLiteral("BINファイルの名前を作れません。"), file);
    if (const Problem problem = batchOutputProblem(file, *output, QDir::separator()))
        return stop(japaneseReason(problem), file);
    const auto saveFailed = [&](const Problem &problem) {
        return stop(
            QStringLiteral("BINファイルを保存できませんでした。理由: %1").arg(japaneseReason(problem)),
            *output);
    };
    if (const Problem problem = outputs.claim(*output, OutputRule::Kind::Bin, file)) {
        using Cause = Problem::Cause;
        const bool aboutTheRun = problem.cause == Cause::OutputIsInput ||
                                 problem.cause == Cause::OutputHoldsPicture ||
                                 problem.cause == Cause::OutputClaimedTwice;
        return aboutTheRun ? stop(japaneseReason(problem), file) : saveFailed(problem);
    }
    if (const Problem problem = saveBytes(*output, *m_converted))
        return saveFailed(problem);
    Q_EMIT statusChanged(QStringLiteral("ＢＩＮファイル保存終了!!"));
    return true;
}

void Session::copyPicture()
{
    if (!m_desktop.clipboard || !m_desktop.clipboard->setImage(m_picture))
        tell(QStringLiteral("画像ファイルではありません。"), Caution, true);
}

void Session::pastePicture()
{
    const PictureLoad load = m_desktop.clipboard
                                 ? clipboardPicture(m_desktop.clipboard->contents(), m_fitSize, m_placement)
                                 : PictureLoad();
    if (load.status() == PictureLoad::Unreadable) {
        tell(QStringLiteral("画像ファイルではありません。"), Caution, true);
        return;
    }
    if (load.status() == PictureLoad::TooLarge) {
        refuseOversizePicture();
        return;
    }
    setPicture(load.image);
    recordSourceFile({}, false);
    fitAround(FitRule::PastedPicture);
}

// A file dropped on the picture: a BIN file by its name, else a picture. True when the drop was taken.
bool Session::openDropped(const QMimeData *data)
{
    bool ok = false;
    if (data && data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        if (urls.size() == 1 && urls.first().isLocalFile())
            ok = dropFile(QDir::toNativeSeparators(urls.first().toLocalFile()));
    }
    if (!ok) {
        tell(QStringLiteral("画像ファイル又はBINファイルではありません。"), Caution, true);
        clearPicture(m_picture.size());
        recordSourceFile({}, false);
        Q_EMIT pictureChanged();
    }
    return ok;
}

// False takes the drop's failure road. A failed drop leaves the converted bytes as they were.
bool Session::dropFile(const QString &path)
{
    if (namedAsBin(path)) {
        std::optional<QByteArray> bytes = readBinFile(path);
        if (!bytes)
            return false;
        m_converted = std::move(bytes);
        recordSourceFile(path, true);
        Q_EMIT fileShown(path);
        showConvertedBin();
    } else {
        const PictureLoad load = loadIncoming(path);
        if (load.status() == PictureLoad::Unreadable)
            return false;
        Q_EMIT fileShown(path);
        if (load.status() == PictureLoad::TooLarge) {
            refuseOversizePicture();
            return true;
        }
        setPicture(load.image);
        recordSourceFile(path, false);
        fitAround(FitRule::Picture);
        Q_EMIT statusChanged(QStringLiteral("読込完了!!"));
    }

    rememberForSave(path);
    return true;
}

} // namespace lumivert
