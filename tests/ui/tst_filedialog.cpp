#include "uitest.h"

#include "gui/application.h"
#include "gui/widgetmodal.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace lumivert;

namespace {

// The real dialogs, but messages are only recorded.
class RecordingPresenter : public WidgetModalPresenter
{
public:
    void showMessage(const Message &message) override { messages << message.text; }
    QStringList messages;
};

// Once the open dialog is up: goes to `folder`, types `names` into its name field and accepts.
// Looks for the dialog until the deadline, so that a dialog that never comes ends the run instead of
// polling under every later test.
void typeInDialog(const QString &folder, const QString &names,
                  QDeadlineTimer deadline = QDeadlineTimer(30000))
{
    QTimer::singleShot(0, [=] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            if (deadline.hasExpired())
                qFatal("the open dialog did not come up");
            typeInDialog(folder, names, deadline);
            return;
        }
        dialog->setDirectory(folder);
        auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        // As the user's typing leaves it.
        field->setText(names);
        Q_EMIT field->textEdited(names);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

} // namespace

// A batch run through the real file dialog under its BMP filter: every file the user names is
// converted, beside the file itself.
class TestFileDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Qt's own texts in the dialogs are Japanese, whatever the locale.
    void japaneseDialogTexts()
    {
        QVERIFY(installJapaneseQtTexts(*qApp));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lookInLabel"))->text(),
                 QStringLiteral("アドレス:"));
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    }

    void batchTakesEveryTypedName_data()
    {
        QTest::addColumn<QString>("typed"); // %1: the folder with b1/ and b3/
        QTest::addColumn<QStringList>("written");
        QTest::newRow("a JPG hidden by the filter")
            << "\"a.bmp\" \"y.jpg\"" << QStringList{"b3/a.BIN", "b3/y.BIN"};
        QTest::newRow("a file from another folder")
            << "\"%1/b1/d.bmp\" \"a.bmp\"" << QStringList{"b1/d.BIN", "b3/a.BIN"};
        QTest::newRow("a file in a sub-folder")
            << "\"sub/x.jpg\" \"y.jpg\"" << QStringList{"b3/sub/x.BIN", "b3/y.BIN"};
    }
    void batchTakesEveryTypedName()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, written);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("b1") && QDir(dir.path()).mkpath("b3/sub"));
        for (const char *name : {"b3/a.bmp", "b3/y.jpg", "b1/d.bmp", "b3/sub/x.jpg"})
            writePicture(dir.filePath(QString::fromLatin1(name)), patternImage(8, 6));

        RecordingPresenter presenter;
        Session session({&presenter});
        typeInDialog(dir.filePath("b3"), typed.arg(dir.path()));
        session.runBatch();

        QCOMPARE(presenter.messages, QStringList{QStringLiteral("自動処理が終了しました。")});
        QStringList bins;
        QDirIterator it(dir.path(), {"*.BIN"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            bins << QDir(dir.path()).relativeFilePath(it.next());
        bins.sort();
        QCOMPARE(bins, written);
    }
};

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
