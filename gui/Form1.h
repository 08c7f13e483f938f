#pragma once

#include "gui/CommonDialog.h"
#include "gui/PictureBox.h"

#include <QByteArray>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>

#include <optional>

class QAction;
class QLabel;
class QMenu;

class QProgressBar;
class QToolBar;
class frmAbout;

class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // The load steps: program folder current, caption remembered, size from HorzRes, dialog defaults.
    void Form_Load();

    // Commands.
    void CONV();
    void BMPOPEN();
    void BINOPEN();
    void BINSAVE();
    void BMPSAVE();
    void AUTOPROC();
    bool popcopy_Click();  // false on failure, reported by the right-button handler
    bool poppaste_Click(); // likewise
    void Picture1_OLEDragDrop(const QMimeData *dropped);

    // Event handlers.
    void Toolbar1_ButtonClick(const QString &key);
    void Picture1_MouseDown(int button, const QPoint &globalPos);
    void mnucnv_Click();
    void mnuver_Click();

    // Working state.
    std::optional<QByteArray> ConvBuf; // none until the first conversion, BIN load or drop
    qint16 BatchMode = 0;
    QString BaseCaption;
    CommonDialog CommonDialog1{this};

    // Controls.
    QWidget *client;
    QToolBar *Toolbar1;
    PictureBox *Picture1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QProgressBar *ProgressBar1;
    QList<QPair<QString, QIcon>> ImageList1;

    QMenu *popclipboard;
    QAction *popcopy;
    QAction *poppaste;
    QAction *popcansel;
    QMenu *mnufile;
    QAction *mnuopn;
    QAction *mnubinopn;
    QAction *mnubat;
    QAction *mnuasav;
    QAction *mnussav;
    QAction *mnuhf;
    QAction *mnuend;
    QMenu *mnugo;
    QAction *mnucnv;
    QMenu *mnuhlp;
    QAction *mnuver;

    QPointer<frmAbout> aboutBox;

    // Shared steps of the commands that bring a picture in.
    void RejectOversizePicture();
    void FitToPicture(bool moveProgressBar, bool floorAt80, bool repaintSizeLabels);
    void setStatus(const QString &text);
    void startProgress(int maximum);

private:
    QIcon imageListIcon(const QString &key) const;
    void buildMenus();
    void buildToolbar();
    void paintBinFromConvBuf(); // the display steps shared by BIN open and the BIN drop
    void reportSaveFailure(const QString &path, const QString &reason);
    bool dropFile(const QString &path);
    std::optional<QByteArray> readWhole(const QString &path, qint64 length) const;
};

// Status texts.
namespace Status {
inline const QString Converting = QStringLiteral("変換中．．．");
inline const QString Converted = QStringLiteral("変換完了!!");
inline const QString BinReading = QStringLiteral("ＢＩＮファイル読込中．．．");
inline const QString Loaded = QStringLiteral("読込完了!!");
inline const QString BinSaved = QStringLiteral("ＢＩＮファイル保存終了!!");
inline const QString BmpSaved = QStringLiteral("ＢＭＰファイル保存終了!!");
} // namespace Status

// Filters of the file dialog.
namespace Filters {
inline const QString Picture = QStringLiteral("Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG");
inline const QString Binary = QStringLiteral("Binary(*.BIN)|*.BIN");
inline const QString Bmp = QStringLiteral("*.BMP|*.BMP");
} // namespace Filters
