// The window's page offscreen: Ctrl+P's preview, looked at instead of run,
// and "PDF olarak kaydet…" with the file dialog answered.
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "support/Poppler.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimeEdit>

namespace {
class ScriptedPageDialogs final : public PageDialogs
{
public:
    QString answer;    // the file the operator picks
    QString suggested; // where the file dialog started
    int previewPages = -1;
    QPageLayout previewLayout;

    QString pdfFileName(QWidget *, const QString &start) override { return suggested = start, answer; }
    void runPreview(QPrintPreviewDialog &preview) override
    {
        preview.show();
        auto *widget = preview.findChild<QPrintPreviewWidget *>();
        QTRY_VERIFY(widget && widget->pageCount() > 0);
        previewPages = widget->pageCount();
        previewLayout = preview.printer()->pageLayout();
    }
};

// Monday's first slot at 07:00 for 4 s, the rest off.
QByteArray mondayCalendar()
{
    RingCalendar calendar;
    calendar.DeviceVersion = qint16(DeviceModel::V3Times64);
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
    void previewAndPdfShowTheWeekAsEditedAndStoreNothing();
};

void TestWindowPrint::previewAndPdfShowTheWeekAsEditedAndStoreNothing()
{
    WindowFixture fx;
    QVERIFY(fx.writeFile("RingCalendar.dat", mondayCalendar()));
    ScriptedPageDialogs dialogs;
    fx.start().setPageDialogs(dialogs);
    fx.window->show();
    QVERIFY(QTest::qWaitForWindowActive(fx.window.get()));
    auto *frame = fx.child<QGroupBox>("frWindows");
    QCOMPARE(frame->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(frame->actions()[0]->text() + frame->actions()[1]->text(), "Yazdır…PDF olarak kaydet…");
    fx.row<QTimeEdit>("dtTime", 3)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs.previewPages, 1);
    QCOMPARE(dialogs.previewLayout.orientation(), QPageLayout::Landscape);
    QCOMPARE(dialogs.previewLayout.pageSize().id(), QPageSize::A4);

    fx.row<QTimeEdit>("dtTime", 0)->setTime(QTime(9, 41)); // not saved
    const QByteArray settings = fx.readFile("Ringer.ini");
    dialogs.answer = fx.path("hafta"); // the extension is added
    fx.child<QAction>("actSavePdf")->trigger();
    QVERIFY(dialogs.suggested.endsWith("/Zil Takvimi " + QDate::currentDate().toString(Qt::ISODate) + ".pdf"));
    const QString text = poppler("pdftotext", {"-layout"}, fx.readFile("hafta.pdf"));
    QVERIFY2(text.contains("Pazartesi") && text.contains("09:41 4 sn") && !text.contains("07:00"), qPrintable(text));
    QCOMPARE(fx.readFile("RingCalendar.dat"), mondayCalendar());
    QCOMPARE(fx.readFile("Ringer.ini"), settings);
    QVERIFY(fx.dialog.messages.isEmpty());

    dialogs.answer = fx.path("yok/hafta.pdf");
    fx.child<QAction>("actSavePdf")->trigger();
    QCOMPARE(fx.dialog.messages.size(), 1);
    QVERIFY(fx.dialog.texts()[0].startsWith("PDF dosyası yazılamadı: " + dialogs.answer + '\n'));
    QVERIFY(!QFile::exists(fx.path("yok")));
}

QTEST_MAIN(TestWindowPrint)
#include "tst_window_print.moc"
