// The window's page: Ctrl+P's preview and "PDF olarak kaydet…", offscreen,
// with the file dialog answered and the preview looked at, not run.
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "support/WindowFixture.h"
#include "ui/PageDialogs.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTimeEdit>

namespace {

class ScriptedPageDialogs final : public PageDialogs
{
public:
    QString answer;        // the file the operator picks
    QStringList suggested; // what the file dialog was started at
    int previewPages = -1;
    QPageLayout previewLayout;

    QString pdfFileName(QWidget *, const QString &start) override
    {
        suggested.append(start);
        return answer;
    }
    void runPreview(QPrintPreviewDialog &preview) override
    {
        preview.show();
        auto *widget = preview.findChild<QPrintPreviewWidget *>();
        QTRY_VERIFY(widget && widget->pageCount() > 0);
        previewPages = widget->pageCount();
        previewLayout = preview.printer()->pageLayout();
        preview.close();
    }
};

QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Monday: slot 1 at 07:00, the rest off.
QByteArray mondayCalendar()
{
    RingCalendar calendar;
    calendar.DeviceVersion = ModelV3Times64;
    calendar.setTimeUsed(1, 1, 1);
    calendar.setRingTime(1, 1, timeValue(7, 0));
    calendar.setRingDuration(1, 1, 4);
    return calendarToBytes(calendar);
}

} // namespace

class TestWindowPrint : public QObject
{
    Q_OBJECT

private slots:
    void pageActionsSitOnTheScheduleFrame();
    void ctrlPBuildsALandscapePreview();
    void savedPdfHoldsUnsavedEditsAndFilesStay();
    void aPdfThatCannotBeWrittenIsTold();
};

void TestWindowPrint::pageActionsSitOnTheScheduleFrame()
{
    WindowFixture fx;
    fx.start();
    auto *frame = fx.child<QGroupBox>("frWindows");
    QCOMPARE(frame->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList texts;
    for (QAction *action : frame->actions())
        texts.append(action->text());
    QCOMPARE(texts, (QStringList{"Yazdır…", "PDF olarak kaydet…"}));
    QCOMPARE(frame->findChild<QAction *>("actPrint")->shortcut(), QKeySequence(QKeySequence::Print));
    QVERIFY(!frame->findChild<QAction *>("actSavePdf")->shortcut().isEmpty());
}

void TestWindowPrint::ctrlPBuildsALandscapePreview()
{
    WindowFixture fx;
    QVERIFY(fx.writeFile("RingCalendar.dat", mondayCalendar()));
    frmRinger &window = fx.start();
    ScriptedPageDialogs dialogs;
    window.setPageDialogs(dialogs);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs.previewPages, 1);
    QCOMPARE(dialogs.previewLayout.orientation(), QPageLayout::Landscape);
    QCOMPARE(dialogs.previewLayout.pageSize().id(), QPageSize::A4);
    QVERIFY(fx.dialog.messages.isEmpty());
    QCOMPARE(fx.readFile("RingCalendar.dat"), mondayCalendar());
}

void TestWindowPrint::savedPdfHoldsUnsavedEditsAndFilesStay()
{
    WindowFixture fx;
    QVERIFY(fx.writeFile("RingCalendar.dat", mondayCalendar()));
    frmRinger &window = fx.start();
    ScriptedPageDialogs dialogs;
    window.setPageDialogs(dialogs);
    fx.row<QTimeEdit>("dtTime", 0)->setTime(QTime(9, 41)); // not saved
    const QByteArray settings = fx.readFile("Ringer.ini");

    dialogs.answer = fx.path("hafta"); // the extension is added
    fx.child<QAction>("actSavePdf")->trigger();
    QCOMPARE(dialogs.suggested.size(), 1);
    QVERIFY2(dialogs.suggested[0].endsWith(QStringLiteral("/Zil Takvimi %1.pdf").arg(QDate::currentDate().toString(Qt::ISODate))),
             qPrintable(dialogs.suggested[0]));
    const QString text = pdfText(fx.path("hafta.pdf"));
    QVERIFY2(text.contains(QStringLiteral("09:41 4 sn")) && !text.contains(u"07:00"), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("RingCalendar.dat")));
    QVERIFY(fx.dialog.messages.isEmpty());
    QCOMPARE(fx.readFile("RingCalendar.dat"), mondayCalendar());
    QCOMPARE(fx.readFile("Ringer.ini"), settings);

    // Cancelled: nothing written, nothing told.
    dialogs.answer.clear();
    fx.child<QAction>("actSavePdf")->trigger();
    QCOMPARE(QDir(fx.dataDir.path()).entryList({"*.pdf"}), QStringList{"hafta.pdf"});
}

void TestWindowPrint::aPdfThatCannotBeWrittenIsTold()
{
    WindowFixture fx;
    frmRinger &window = fx.start();
    ScriptedPageDialogs dialogs;
    window.setPageDialogs(dialogs);
    dialogs.answer = fx.path("yok/hafta.pdf");
    const qsizetype before = fx.dialog.messages.size();
    fx.child<QAction>("actSavePdf")->trigger();
    QCOMPARE(fx.dialog.messages.size(), before + 1);
    QVERIFY2(fx.dialog.texts().last().startsWith(QStringLiteral("PDF dosyası yazılamadı: %1").arg(fx.path("yok/hafta.pdf"))),
             qPrintable(fx.dialog.texts().last()));
    QVERIFY(!QFile::exists(fx.path("yok")));
}

QTEST_MAIN(TestWindowPrint)
#include "tst_window_print.moc"
