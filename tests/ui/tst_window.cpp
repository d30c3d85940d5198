// The main window offscreen over a data directory of its own: start and exit, model shapes, the editor, the progress window, the device
// buttons against the simulator, and the week's page: Ctrl+P's preview, looked at instead of run, and "PDF olarak kaydet…".
#include "ControllerSimulator.h"
#include "operations/OperationTexts.h"
#include "operations/TransferProgress.h"
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "support/Poppler.h"
#include "support/WindowFixture.h"
#include "ui/ComStatusWindow.h"
#include "ui/PcClockText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimeEdit>
#include <QTimer>

using namespace OperationText;

namespace {
constexpr qint16 Untouched = 17; // a length no rule stores by itself

// Every slot in use at 07:mm with the untouched length.
QByteArray editableCalendar(DeviceModel model = DeviceModel::V3Times64)
{
    RingCalendar calendar;
    calendar.DeviceVersion = qint16(model);
    for (int day = 1; day <= DayCount; ++day)
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, 1);
            calendar.setRingDuration(day, slot, Untouched);
            calendar.setRingTime(day, slot, timeValue(7, slot % 60));
        }
    return calendarToBytes(calendar);
}

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

class TestWindow : public QObject
{
    Q_OBJECT

private slots:

    void startsFromItsFilesAndStoresThemOnExit()
    {
        WindowFixture fx;
        QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar(DeviceModel::V2IntervalTimer) + "tail"));
        QVERIFY(fx.writeFile("Ringer.ini", QByteArray("\x03\x00\x07\x00", 4)));
        frmRinger &window = fx.start();
        QCOMPARE(window.windowTitle(), QStringLiteral("ZK-480 Zil Sistemi Konfigürasyon V1.5"));
        QVERIFY(fx.row<QRadioButton>("opsDeviceVersion", int(DeviceModel::V2IntervalTimer))->isChecked());
        QCOMPARE(QStringList({fx.child<QComboBox>("cmbPortNo")->currentText(), window.linkSettings().serialDevice,
                              lineSettingsText(window.linkSettings().line), fx.row<QLineEdit>("txtRingTime", 0)->text()}),
                 QStringList({"3", "/dev/ttyS2", "38400,o,8,1", QString::number(Untouched)}));
        QVERIFY(fx.child<QPushButton>("cmdCopyFromMonday")->isHidden() && !fx.child<QLineEdit>("txtIP")->isEnabled() &&
                !fx.child<QLineEdit>("txtPort")->isEnabled());
        // The PC clock: two digits a field, the locale's separators and weekday.
        QCOMPARE(pcClockText(QDateTime(QDate(2026, 1, 5), QTime(7, 8, 9)), QLocale(QLocale::German)),
                 QString("05.01.2026 07:08:09, Montag"));

        window.calendar().setRingDuration(7, 64, 29);
        QVERIFY(window.close());
        QCOMPARE(fx.readFile("RingCalendar.dat"), calendarToBytes(window.calendar()) + "tail");
        QCOMPARE(fx.readFile("Ringer.ini"), QByteArray("\x03\x00\x05\x00", 4)); // Reserved limited to 5

        // A schedule that cannot be stored is named, and the operator may stay.
        WindowFixture blocked;
        frmRinger &second = blocked.start();
        QFile::remove(blocked.path("RingCalendar.dat"));
        QVERIFY(QDir(blocked.dataDir.path()).mkdir("RingCalendar.dat"));
        blocked.dialog.answers = {DialogAnswer::Ok, DialogAnswer::No};
        QVERIFY(!second.close());
        QCOMPARE(blocked.dialog.messages.size(), 2);
        QVERIFY(blocked.dialog.messages[0].text.startsWith(u"Zil takvimi dosyası kaydedilemedi:\r\n"));
        QCOMPARE(blocked.dialog.messages[1].text, QString("Zil takvimi kaydedilmeden programdan çıkılsın mı?"));
        blocked.dialog.answers = {DialogAnswer::Ok, DialogAnswer::Yes};
        QVERIFY(second.close());
    }

    // Rows shown, "Başlama"/"Bitiş" label pairs shown, and the line settings of each model.
    void modelShapesTheRows()
    {
        for (auto [model, rows, labelPairs] : {std::tuple{0, 24, 0}, {1, 24, 0}, {2, 2, 1}, {3, 64, 0}, {4, 16, 8}}) {
            const bool lengths = labelPairs == 0; // the interval models pair rows and give no lengths
            WindowFixture fx;
            QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar(DeviceModel(model == 0 ? 1 : 0))));
            frmRinger &window = fx.start();
            window.show();
            fx.row<QRadioButton>("opsDeviceVersion", model)->click();
            QCOMPARE(window.selectedModel(), DeviceModel(model));
            QCOMPARE(lineSettingsText(window.linkSettings().line), QString(model == 0 ? "9600,o,8,1" : "38400,o,8,1"));
            for (int row = 0; row < SlotsPerDay; ++row) {
                QCOMPARE(fx.row<QCheckBox>("chkTimeUsed", row)->isVisible(), row < rows);
                QCOMPARE(fx.row<QLineEdit>("txtRingTime", row)->isVisible(), row < rows && lengths);
                QCOMPARE(fx.row<QCheckBox>("chkTimeUsed", row)->text(), lengths ? QString::number(row + 1) : QString());
            }
            for (int pair = 0; pair < 8; ++pair) {
                QCOMPARE(fx.row<QLabel>("lblStart", pair)->isVisible(), pair < labelPairs);
                // Each pair names the two rows beside it: "Başlama 1:" and "Bitiş 1:" first.
                QCOMPARE(fx.row<QLabel>("lblStart", pair)->text() + fx.row<QLabel>("lblEnd", pair)->text(),
                         QStringLiteral("Başlama %1:Bitiş %1:").arg(pair + 1));
                QCOMPARE(fx.row<QLabel>("lblStart", pair)->parentWidget(), fx.row<QTimeEdit>("dtTime", 2 * pair)->parentWidget());
            }
            // "Kaydet" stores the model with the schedule.
            fx.child<QPushButton>("cmdSave")->click();
            QCOMPARE(fx.readFile("RingCalendar.dat").left(2), QByteArray(1, char(model)) + '\0');
        }
    }

    // Typed, a length is stored when numeric and 1..30, else 3; a row turned on or timed takes its
    // leading number when 2..30, else 2; "Uygula" takes a numeric 2..30, else 2.
    void ringLengthRules()
    {
        // "text|typed|turned on or timed|Uygula", = for the length left untouched. 30.4 is above 30 before rounding; halves go to even.
        for (const char *line : {"1|1|2|2", "30|30|30|30", "30.4|3|2|2", "2.5|2|2|2", "3.5|4|4|4", "0|3|2|2",
                                 "abc|=|2|=", "|=|2|=", "12abc|=|12|=", "1e300|3|2|2"}) {
            const QStringList f = QString(line).split(u'|');
            const auto length = [&f](int i) { return f[i] == u"=" ? Untouched : qint16(f[i].toInt()); };
            WindowFixture fx;
            QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar()));
            RingCalendar &record = fx.start().calendar();
            for (int row = 0; row < 4; ++row)
                fx.row<QLineEdit>("txtRingTime", row)->setText(f[0]);
            QCOMPARE(record.ringDuration(1, 1), length(1));
            fx.row<QCheckBox>("chkTimeUsed", 1)->setChecked(false);
            QCOMPARE(record.timeUsed(1, 2), qint16(0));
            fx.row<QCheckBox>("chkTimeUsed", 1)->setChecked(true);
            QCOMPARE(record.ringDuration(1, 2), length(2));
            fx.row<QTimeEdit>("dtTime", 2)->setTime(QTime(9, 41));
            QCOMPARE(std::pair(record.ringDuration(1, 3), record.ringTime(1, 3)), std::pair(length(2), timeValue(9, 41)));
            record.setRingDuration(1, 4, Untouched);
            record.setRingDuration(1, 25, Untouched);
            fx.child<QPushButton>("cmdRefresh")->click();
            QCOMPARE(record.ringDuration(1, 4), length(3));
            QCOMPARE(record.ringDuration(1, 25), Untouched); // "Uygula" stops at row 24

            // Another day shows its own slots; Tuesday takes Monday's on request.
            fx.child<QTabBar>("TabRingDays")->setCurrentIndex(1);
            QVERIFY(!fx.child<QPushButton>("cmdCopyFromMonday")->isHidden());
            fx.child<QPushButton>("cmdCopyFromMonday")->click();
            for (int slot : {1, 4, 64})
                QCOMPARE(record.ringDuration(2, slot), record.ringDuration(1, slot));
            QVERIFY(fx.dialog.messages.isEmpty());
        }
    }

    // Done only when both questions are answered Yes.
    void clearingCommandsAskTwice()
    {
        using A = DialogAnswer;
        for (const QString button : {"cmdDeleteAll", "cmdFactoryDefault"}) {
            for (const QList<A> &answers : {QList<A>{A::Yes, A::Yes}, {A::Yes, A::No}, {A::Cancel}, {A::No}}) {
                const bool done = answers == QList<A>{A::Yes, A::Yes};
                WindowFixture fx;
                QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar()));
                frmRinger &window = fx.start();
                fx.dialog.answers = answers;
                fx.child<QPushButton>(button)->click();
                QCOMPARE(fx.dialog.messages.size(), answers.size()); // each answer to its own question
                QCOMPARE(fx.dialog.messages[0].buttons, DialogButtons::YesNoCancel);
                if (answers.size() == 2)
                    QCOMPARE(fx.dialog.messages[1].text, QString("                 ONAYLIYOR MUSUNUZ?"));
                QCOMPARE(window.calendar().ringDuration(3, 1), done ? qint16(3) : Untouched);
                QCOMPARE(window.calendar().timeUsed(3, 9), qint16(done ? 0 : 1));
                QCOMPARE(hourMinuteText(window.calendar().ringTime(5, 8)),
                         done ? (button == "cmdFactoryDefault" ? "20:00" : "00:00") : "07:08");
                // Done, it is stored at once, and Monday is shown again.
                QCOMPARE(fx.readFile("RingCalendar.dat"), done ? calendarToBytes(window.calendar()) : editableCalendar());
                QCOMPARE(fx.row<QLineEdit>("txtRingTime", 0)->text(), done ? QString("3") : QString::number(Untouched));
            }
        }
    }

    void connectionControls()
    {
        WindowFixture fx;
        frmRinger &window = fx.start();
        fx.child<QCheckBox>("chkTCPIPActive")->setChecked(true);
        QVERIFY(!fx.child<QComboBox>("cmbPortNo")->isEnabled());
        QVERIFY(fx.child<QLineEdit>("txtIP")->isEnabled() && fx.child<QLineEdit>("txtPort")->isEnabled());
        fx.child<QLineEdit>("txtIP")->setText(" 127.0.0.1 ");
        // 1 to 65535 is a port; no port is told as one that cannot be opened.
        for (auto [typed, port] : {std::pair{"1", 1}, {"65535", 65535}, {"0", 0}, {"65536", 0}, {"80.5", 80}, {"7x", 7}, {"x", 0}}) {
            fx.child<QLineEdit>("txtPort")->setText(typed);
            QCOMPARE(window.linkSettings().tcpPort, port);
            if (port)
                continue;
            fx.child<QPushButton>("cmdSendClock")->click();
            QCOMPARE(fx.dialog.texts().last(), TcpPortFailed);
        }
        QCOMPARE(window.linkSettings().host, QString("127.0.0.1"));
        QCOMPARE(window.linkSettings().transport, LinkTransport::Tcp);
        fx.child<QCheckBox>("chkTCPIPActive")->setChecked(false);
        QVERIFY(fx.child<QComboBox>("cmbPortNo")->isEnabled() && !fx.child<QLineEdit>("txtIP")->isEnabled());

        // A port chosen in the list is stored at once, used from the next start.
        auto *ports = fx.child<QComboBox>("cmbPortNo");
        QCOMPARE(ports->count(), 16);
        ports->setCurrentIndex(15);
        emit ports->activated(15);
        QCOMPARE(fx.readFile("Ringer.ini"), QByteArray("\x10\x00\x00\x00", 4));
        QCOMPARE(window.linkSettings().serialDevice, QString("/dev/ttyS0"));
    }

    // The arrows run toward where the data goes and start afresh at every opening; the close box is refused while the transfer runs.
    void progressWindow()
    {
        TransferProgress progress;
        ComStatusWindow window(progress);
        const auto closeBox = [&window] {
            QCloseEvent event;
            QApplication::sendEvent(&window, &event);
            return event.isAccepted();
        };
        const auto lit = [&](int ticks) { // the arrows shown after that many ticks
            while (ticks-- > 0)
                progress.tick();
            QString shown;
            for (int i = 0; i < TransferProgress::ArrowCount; ++i)
                shown += window.findChild<QLabel *>(QStringLiteral("IArrows_%1").arg(i))->isHidden() ? u'.' : u'>';
            return shown;
        };
        progress.open(TransferProgress::Direction::ToController);
        window.show();
        QCOMPARE(progress.arrowPicture(), TransferProgress::ArrowPicture::PointingRight);
        QStringList seen;
        for (int tick = 0; tick < 7; ++tick)
            seen << lit(1);
        QCOMPARE(seen, QStringList({">.....", ".>....", "..>...", "...>..", "....>.", ".....>", ">....."}));
        QVERIFY(!closeBox() && window.isVisible());
        window.findChild<QPushButton *>("cmdCancel")->click();
        QVERIFY(progress.cancelled());
        QCOMPARE(lit(1), QString(">>>>>>"));
        QVERIFY(closeBox());
        QVERIFY(!progress.isLoaded() && !window.isVisible());

        progress.open(TransferProgress::Direction::ToComputer);
        QCOMPARE(lit(0), QString(">>>>>>")); // not what the last run left
        QCOMPARE(progress.arrowPicture(), TransferProgress::ArrowPicture::PointingLeft);
        QCOMPARE(lit(2), QString("....>."));
        window.show();
        progress.close();
        QVERIFY(!progress.isLoaded() && !window.isVisible());     // it hides when the transfer closes it
        progress.open(TransferProgress::Direction::ToController); // from the first arrow again
        QCOMPARE(lit(1), QString(">....."));
    }

    void deviceButtonsAgainstTheSimulator()
    {
        ControllerSimulator simulator;
        QVERIFY(simulator.listenTcp());
        simulator.setModel(int(DeviceModel::V2Times24)); // a window over a V2 24 schedule, its TCP controls aimed at the simulator
        WindowFixture fx;
        QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar(DeviceModel::V2Times24)));
        frmRinger &window = fx.start();
        window.show();
        fx.child<QCheckBox>("chkTCPIPActive")->setChecked(true);
        fx.child<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.1"));
        fx.child<QLineEdit>("txtPort")->setText(QString::number(simulator.tcpPort()));
        fx.dialog.answers = {DialogAnswer::Yes};
        fx.child<QPushButton>("cmdSendCalendar")->click();
        QCOMPARE(fx.dialog.texts(), QStringList({AskSendCalendar, SendSucceeded}));
        QVERIFY(fx.dialog.messages[0].busyCursor == false && fx.dialog.messages[1].busyCursor == false); // idle before its message
        QCOMPARE(std::pair(simulator.record(7, 24).duration, simulator.record(7, 24).minute), std::pair(int(Untouched), 24));
        QVERIFY(!window.progressWindow().isVisible() && window.isEnabled());

        simulator.setClock(QDateTime(QDate(2030, 1, 1), QTime(0, 0, 0)));
        fx.child<QPushButton>("cmdReceiveClock")->click();
        const QString clock = fx.child<QLabel>("lblRingerClock")->text();
        QVERIFY2(clock.startsWith(u"01/01/2030 00:00:0") && clock.endsWith(u", Salı"), qPrintable(clock));
        fx.child<QPushButton>("cmdTest")->click();
        QCOMPARE(simulator.lastRelaySeconds(), 3);
        QCOMPARE(fx.dialog.texts().last(), RelayTestDone);
        QVERIFY(fx.dialog.messages.last().busyCursor); // told while the relay's work still holds the window
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QVERIFY(fx.child<QPushButton>("cmdTest")->isEnabled());
        QCOMPARE(window.focusWidget(), fx.child<QPushButton>("cmdTest"));

        fx.dialog.messages.clear();
        simulator.setFaults({.afterFrames = 3, .silent = true, .wrongStatus = false, .noiseBefore = {}});
        const QByteArray before = fx.readFile("RingCalendar.dat");
        fx.dialog.answers = {DialogAnswer::Yes, DialogAnswer::Ok, DialogAnswer::Yes};
        bool closed = true;
        QTimer::singleShot(300, &window, [&] { closed = window.close(); });
        fx.child<QPushButton>("cmdReceiveCalendar")->click();
        // Mid-receive the close box did nothing: no half schedule was stored.
        QVERIFY(!closed);
        QCOMPARE(fx.readFile("RingCalendar.dat"), before);

        // The session's end mid-receive cancels it as "İptal Et" does, and closes the window once it has ended.
        simulator.setFaults({});
        QSignalSpy unloaded(&window, &frmRinger::unloaded);
        QTimer midTransfer;
        connect(&midTransfer, &QTimer::timeout, &window, [&] {
            if (simulator.receivedFrames().size() >= 3) {
                midTransfer.stop();
                window.endSession();
            }
        });
        simulator.clearLog();
        midTransfer.start(0);
        fx.child<QPushButton>("cmdReceiveCalendar")->click();
        QCOMPARE(fx.dialog.texts(), QStringList({AskReceiveCalendar, ReceiveFailed, AskReceiveCalendar, Cancelled}));
        QVERIFY(unloaded.isEmpty());
        QTRY_COMPARE(unloaded.size(), 1);
        QCOMPARE(fx.readFile("RingCalendar.dat"), before); // neither receive left a slot behind
        QCOMPARE(fx.readFile("Ringer.ini").size(), 4);
    }

    void previewAndPdfShowTheWeekAsEditedAndStoreNothing()
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
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
