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
    void ctrlPBuildsALandscapePreview();
    void savedPdfHoldsUnsavedEditsOrIsToldWhyNot();
};

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

    // Both on the schedule frame's context menu; Ctrl+P from anywhere.
    auto *frame = fx.child<QGroupBox>("frWindows");
    QCOMPARE(frame->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(frame->actions().size(), 2);
    QCOMPARE(frame->actions()[1]->text(), "PDF olarak kaydet…");
    fx.child<QTimeEdit>("dtTime_3")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(frame->actions()[0]->text(), "Yazdır…");
    QCOMPARE(dialogs.previewPages, 1);
    QCOMPARE(dialogs.previewLayout.orientation(), QPageLayout::Landscape);
    QCOMPARE(dialogs.previewLayout.pageSize().id(), QPageSize::A4);
    QVERIFY(fx.dialog.messages.isEmpty());
    QCOMPARE(fx.readFile("RingCalendar.dat"), mondayCalendar());
}

void TestWindowPrint::savedPdfHoldsUnsavedEditsOrIsToldWhyNot()
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
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", fx.path("hafta.pdf"), "-"});
    QVERIFY(pdftotext.waitForFinished(20000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("09:41 4 sn")) && !text.contains(u"07:00"), qPrintable(text));
    QVERIFY(fx.dialog.messages.isEmpty());
    QCOMPARE(fx.readFile("RingCalendar.dat"), mondayCalendar());
    QCOMPARE(fx.readFile("Ringer.ini"), settings);

    dialogs.answer = fx.path("yok/hafta.pdf");
    fx.child<QAction>("actSavePdf")->trigger();
    QCOMPARE(fx.dialog.messages.size(), 1);
    QVERIFY(fx.dialog.texts()[0].startsWith("PDF dosyası yazılamadı: " + dialogs.answer + '\n'));
    QVERIFY(!QFile::exists(fx.path("yok")));
}

QTEST_MAIN(TestWindowPrint)
#include "tst_window_print.moc"
