// The real main window, offscreen, over a temporary data directory: start-up
// and exit, the model shapes, the editor's rules and commands, the message
// boxes, the progress window, and the device buttons against the simulator.
#include "ControllerSimulator.h"
#include "operations/OperationTexts.h"
#include "operations/TransferProgress.h"
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "support/WindowFixture.h"
#include "ui/ComStatusWindow.h"
#include "ui/MessageBoxDialog.h"
#include "ui/PcClockText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimeEdit>
#include <QTimer>

Q_DECLARE_METATYPE(DialogAnswer)

using namespace OperationText;

namespace {
constexpr qint16 Untouched = 17; // a length no rule stores by itself
const QString ConfirmQuestion = QStringLiteral("                 ONAYLIYOR MUSUNUZ?");

// Every slot in use at 07:mm with the untouched length.
QByteArray editableCalendar(DeviceModel model = DeviceModel::V3Times64)
{
    RingCalendar calendar;
    calendar.DeviceVersion = qint16(model);
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, 1);
            calendar.setRingDuration(day, slot, Untouched);
            calendar.setRingTime(day, slot, timeValue(7, slot % 60));
        }
    }
    return calendarToBytes(calendar);
}

// A window over the schedule of a model, its TCP controls aimed at the simulator.
frmRinger &startAgainst(WindowFixture &fx, const ControllerSimulator &simulator, DeviceModel model)
{
    fx.writeFile("RingCalendar.dat", editableCalendar(model));
    frmRinger &window = fx.start();
    window.show();
    fx.child<QCheckBox>("chkTCPIPActive")->setChecked(true);
    fx.child<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.1"));
    fx.child<QLineEdit>("txtPort")->setText(QString::number(simulator.tcpPort()));
    return window;
}
} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsFromItsFilesAndStoresThemOnExit();
    void modelShapesTheRows_data();
    void modelShapesTheRows();
    void ringLengthRules_data();
    void ringLengthRules();
    void clearingCommandsAskTwice_data();
    void clearingCommandsAskTwice();
    void connectionControls();
    void messageBoxesInTurkish();
    void progressWindowRefusesItsCloseBox();
    void deviceButtonsAgainstTheSimulator();
    void closeWhileAReceiveRuns();
};

void TestWindow::startsFromItsFilesAndStoresThemOnExit()
{
    WindowFixture fx;
    QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar(DeviceModel::V2IntervalTimer) + "tail"));
    QVERIFY(fx.writeFile("Ringer.ini", QByteArray("\x03\x00\x07\x00", 4)));
    frmRinger &window = fx.start();
    QCOMPARE(window.windowTitle(), QStringLiteral("ZK-480 Zil Sistemi Konfigürasyon V1.5"));
    QVERIFY(fx.row<QRadioButton>("opsDeviceVersion", int(DeviceModel::V2IntervalTimer))->isChecked());
    QCOMPARE(fx.child<QComboBox>("cmbPortNo")->currentText(), QString("3"));
    QCOMPARE(window.linkSettings().serialDevice, QString("/dev/ttyS2"));
    QCOMPARE(lineSettingsText(window.linkSettings().line), QString("38400,o,8,1"));
    QCOMPARE(fx.row<QLineEdit>("txtRingTime", 0)->text(), QString::number(Untouched));
    QVERIFY(fx.child<QPushButton>("cmdCopyFromMonday")->isHidden());
    QVERIFY(!fx.child<QLineEdit>("txtIP")->isEnabled() && !fx.child<QLineEdit>("txtPort")->isEnabled());
    // The PC clock: two digits a field, the locale's separators and weekday.
    QCOMPARE(pcClockText(QDateTime(QDate(2026, 1, 5), QTime(7, 8, 9)), QLocale(QLocale::German)), QString("05.01.2026 07:08:09, Montag"));

    window.calendar().setRingDuration(7, 64, 29);
    QVERIFY(window.close());
    QByteArray stored = fx.readFile("RingCalendar.dat");
    QVERIFY(stored.endsWith("tail"));
    QCOMPARE(stored.left(CalendarFileSize), calendarToBytes(window.calendar()));
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

void TestWindow::modelShapesTheRows_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("labelPairs");
    QTest::addColumn<bool>("lengths");
    QTest::addColumn<QString>("line");
    QTest::newRow("V1") << 0 << 24 << 0 << true << "9600,o,8,1";
    QTest::newRow("V2 24") << 1 << 24 << 0 << true << "38400,o,8,1";
    QTest::newRow("V2 interval") << 2 << 2 << 1 << false << "38400,o,8,1";
    QTest::newRow("V3 64") << 3 << 64 << 0 << true << "38400,o,8,1";
    QTest::newRow("V3 interval") << 4 << 16 << 8 << false << "38400,o,8,1";
}

void TestWindow::modelShapesTheRows()
{
    QFETCH(int, model);
    QFETCH(int, rows);
    QFETCH(int, labelPairs);
    QFETCH(bool, lengths);
    QFETCH(QString, line);
    WindowFixture fx;
    QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar(DeviceModel(model == 0 ? 1 : 0))));
    frmRinger &window = fx.start();
    window.show();
    fx.row<QRadioButton>("opsDeviceVersion", model)->click();
    QCOMPARE(window.selectedModel(), DeviceModel(model));
    QCOMPARE(lineSettingsText(window.linkSettings().line), line);
    for (int row = 0; row < SlotsPerDay; ++row) {
        QCOMPARE(fx.row<QCheckBox>("chkTimeUsed", row)->isVisible(), row < rows);
        QCOMPARE(fx.row<QLineEdit>("txtRingTime", row)->isVisible(), row < rows && lengths);
        QCOMPARE(fx.row<QCheckBox>("chkTimeUsed", row)->text(), lengths ? QString::number(row + 1) : QString());
    }
    for (int pair = 0; pair < 8; ++pair) {
        QCOMPARE(fx.row<QLabel>("lblStart", pair)->isVisible(), pair < labelPairs);
        // Each pair names the two rows beside it: "Başlama 1:" and "Bitiş 1:" first.
        QCOMPARE(fx.row<QLabel>("lblEnd", pair)->text(), QStringLiteral("Bitiş %1:").arg(pair + 1));
        QCOMPARE(fx.row<QLabel>("lblStart", pair)->text(), QStringLiteral("Başlama %1:").arg(pair + 1));
        QCOMPARE(fx.row<QLabel>("lblStart", pair)->parentWidget(), fx.row<QTimeEdit>("dtTime", 2 * pair)->parentWidget());
    }
    // "Kaydet" stores the model with the schedule.
    fx.child<QPushButton>("cmdSave")->click();
    QCOMPARE(fx.readFile("RingCalendar.dat").left(2), QByteArray(1, char(model)) + '\0');
    window.hide();
}

void TestWindow::ringLengthRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("typed");   // typing: stored when numeric, 1..30 else 3
    QTest::addColumn<int>("checked"); // the check box turned on, and the picker: 2..30 else 2
    QTest::addColumn<int>("refresh"); // "Uygula": when numeric, 2..30 else 2
    const int same = Untouched;
    QTest::newRow("1") << "1" << 1 << 2 << 2;
    QTest::newRow("2") << "2" << 2 << 2 << 2;
    QTest::newRow("30") << "30" << 30 << 30 << 30;
    QTest::newRow("30.4 above before rounding") << "30.4" << 3 << 2 << 2;
    QTest::newRow("2.5 to even") << "2.5" << 2 << 2 << 2;
    QTest::newRow("3.5 to even") << "3.5" << 4 << 4 << 4;
    QTest::newRow("0") << "0" << 3 << 2 << 2;
    QTest::newRow("text") << "abc" << same << 2 << same;
    QTest::newRow("empty") << "" << same << 2 << same;
    QTest::newRow("12abc") << "12abc" << same << 12 << same;
    QTest::newRow("1e300") << "1e300" << 3 << 2 << 2;
}

void TestWindow::ringLengthRules()
{
    QFETCH(QString, text);
    QFETCH(int, typed);
    QFETCH(int, checked);
    QFETCH(int, refresh);
    WindowFixture fx;
    QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar()));
    frmRinger &window = fx.start();
    RingCalendar &record = window.calendar();
    for (int row = 0; row < 4; ++row)
        fx.row<QLineEdit>("txtRingTime", row)->setText(text);
    QCOMPARE(record.ringDuration(1, 1), qint16(typed));
    fx.row<QCheckBox>("chkTimeUsed", 1)->setChecked(false);
    QCOMPARE(record.timeUsed(1, 2), qint16(0));
    fx.row<QCheckBox>("chkTimeUsed", 1)->setChecked(true);
    QCOMPARE(record.ringDuration(1, 2), qint16(checked));
    fx.row<QTimeEdit>("dtTime", 2)->setTime(QTime(9, 41));
    QCOMPARE(record.ringDuration(1, 3), qint16(checked));
    QCOMPARE(record.ringTime(1, 3), timeValue(9, 41));
    record.setRingDuration(1, 4, Untouched);
    record.setRingDuration(1, 25, Untouched);
    fx.child<QPushButton>("cmdRefresh")->click();
    QCOMPARE(record.ringDuration(1, 4), qint16(refresh));
    QCOMPARE(record.ringDuration(1, 25), Untouched); // "Uygula" stops at row 24

    // Another day shows its own slots; Tuesday takes Monday's on request.
    fx.child<QTabBar>("TabRingDays")->setCurrentIndex(1);
    QVERIFY(!fx.child<QPushButton>("cmdCopyFromMonday")->isHidden());
    fx.child<QPushButton>("cmdCopyFromMonday")->click();
    for (int slot : {1, 4, 64})
        QCOMPARE(record.ringDuration(2, slot), record.ringDuration(1, slot));
    QVERIFY(fx.dialog.messages.isEmpty());
}

void TestWindow::clearingCommandsAskTwice_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<DialogAnswer>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("done");
    using A = DialogAnswer;
    QTest::newRow("delete all") << "cmdDeleteAll" << QList<A>{A::Yes, A::Yes} << 2 << true;
    QTest::newRow("delete, not confirmed") << "cmdDeleteAll" << QList<A>{A::Yes, A::No} << 2 << false;
    QTest::newRow("delete cancelled") << "cmdDeleteAll" << QList<A>{A::Cancel} << 1 << false;
    QTest::newRow("factory") << "cmdFactoryDefault" << QList<A>{A::Yes, A::Yes} << 2 << true;
    QTest::newRow("factory refused") << "cmdFactoryDefault" << QList<A>{A::No} << 1 << false;
}

void TestWindow::clearingCommandsAskTwice()
{
    QFETCH(QString, button);
    QFETCH(QList<DialogAnswer>, answers);
    QFETCH(int, questions);
    QFETCH(bool, done);
    WindowFixture fx;
    QVERIFY(fx.writeFile("RingCalendar.dat", editableCalendar()));
    frmRinger &window = fx.start();
    fx.dialog.answers = answers;
    fx.child<QPushButton>(button)->click();
    QCOMPARE(fx.dialog.messages.size(), questions);
    QCOMPARE(fx.dialog.messages[0].buttons, DialogButtons::YesNoCancel);
    if (questions == 2)
        QCOMPARE(fx.dialog.messages[1].text, ConfirmQuestion);
    const bool factory = button == "cmdFactoryDefault";
    QCOMPARE(window.calendar().ringDuration(3, 1), done ? qint16(3) : Untouched);
    QCOMPARE(window.calendar().timeUsed(3, 9), qint16(done ? 0 : 1));
    QCOMPARE(hourMinuteText(window.calendar().ringTime(5, 8)), done ? (factory ? "20:00" : "00:00") : "07:08");
    // Done, it is stored at once, and Monday is shown again.
    QCOMPARE(fx.readFile("RingCalendar.dat"), done ? calendarToBytes(window.calendar()) : editableCalendar());
    QCOMPARE(fx.row<QLineEdit>("txtRingTime", 0)->text(), done ? QString("3") : QString::number(Untouched));
}

void TestWindow::connectionControls()
{
    WindowFixture fx;
    frmRinger &window = fx.start();
    auto *tcp = fx.child<QCheckBox>("chkTCPIPActive");
    tcp->setChecked(true);
    QVERIFY(!fx.child<QComboBox>("cmbPortNo")->isEnabled());
    QVERIFY(fx.child<QLineEdit>("txtIP")->isEnabled() && fx.child<QLineEdit>("txtPort")->isEnabled());
    fx.child<QLineEdit>("txtIP")->setText(" 127.0.0.1 ");
    for (auto [typed, port] : {std::pair{"5600", 5600}, {"65535", 65535}, {"65536", 0}, {"0", 0}, {"80.5", 80}, {"7x", 7}, {"x", 0}}) {
        fx.child<QLineEdit>("txtPort")->setText(typed);
        QCOMPARE(window.linkSettings().tcpPort, port);
    }
    QCOMPARE(window.linkSettings().host, QString("127.0.0.1"));
    QCOMPARE(window.linkSettings().transport, LinkTransport::Tcp);
    tcp->setChecked(false);
    QVERIFY(fx.child<QComboBox>("cmbPortNo")->isEnabled() && !fx.child<QLineEdit>("txtIP")->isEnabled());

    // A port chosen in the list is stored at once, used from the next start.
    auto *ports = fx.child<QComboBox>("cmbPortNo");
    QCOMPARE(ports->count(), 16);
    ports->setCurrentIndex(15);
    emit ports->activated(15);
    QCOMPARE(fx.readFile("Ringer.ini"), QByteArray("\x10\x00\x00\x00", 4));
    QCOMPARE(window.linkSettings().serialDevice, QString("/dev/ttyS0"));
}

void TestWindow::messageBoxesInTurkish()
{
    const QString text = QStringLiteral("Çıkılsın mı?\r\nNOT: ğüşiöç");
    QStringList captions;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), ApplicationTitle);
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->text(), text);
        for (QAbstractButton *button : box->buttons())
            captions << button->text();
        box->button(QMessageBox::No)->click();
    });
    MessageBoxDialog dialog;
    QCOMPARE(dialog.ask(text, DialogButtons::YesNoCancel), DialogAnswer::No);
    captions.sort();
    QCOMPARE(captions, QStringList({"Evet", "Hayır", "İptal"}));
}

void TestWindow::progressWindowRefusesItsCloseBox()
{
    TransferProgress progress;
    ComStatusWindow window(progress);
    progress.open(TransferProgress::Direction::ToComputer);
    window.show();
    QCloseEvent refused;
    QApplication::sendEvent(&window, &refused);
    QVERIFY(!refused.isAccepted());
    QVERIFY(window.isVisible());
    window.findChild<QPushButton *>("cmdCancel")->click();
    QVERIFY(progress.cancelled());
    QCloseEvent accepted;
    QApplication::sendEvent(&window, &accepted);
    QVERIFY(accepted.isAccepted());
    progress.open(TransferProgress::Direction::ToController);
    progress.close();
    QVERIFY(!window.isVisible()); // it hides when the transfer closes it
}

void TestWindow::deviceButtonsAgainstTheSimulator()
{
    ControllerSimulator simulator;
    QVERIFY(simulator.listenTcp());
    simulator.setModel(int(DeviceModel::V2Times24));
    WindowFixture fx;
    frmRinger &window = startAgainst(fx, simulator, DeviceModel::V2Times24);
    fx.dialog.answers = {DialogAnswer::Yes};
    fx.child<QPushButton>("cmdSendCalendar")->click();
    QCOMPARE(fx.dialog.texts(), QStringList({AskSendCalendar, SendSucceeded}));
    QCOMPARE(simulator.record(7, 24).duration, int(Untouched));
    QCOMPARE(simulator.record(7, 24).minute, 24);
    QVERIFY(!window.progressWindow().isVisible());
    QVERIFY(window.isEnabled());

    simulator.setClock(QDateTime(QDate(2030, 1, 1), QTime(0, 0, 0)));
    fx.child<QPushButton>("cmdReceiveClock")->click();
    const QString clock = fx.child<QLabel>("lblRingerClock")->text();
    QVERIFY2(clock.startsWith(u"01/01/2030 00:00:0") && clock.endsWith(u", Salı"), qPrintable(clock));
    fx.child<QPushButton>("cmdTest")->click();
    QCOMPARE(simulator.lastRelaySeconds(), 3);
    QCOMPARE(fx.dialog.texts().last(), RelayTestDone);
    QVERIFY(fx.child<QPushButton>("cmdTest")->isEnabled());
    QCOMPARE(window.focusWidget(), fx.child<QPushButton>("cmdTest"));
    window.hide();
}

void TestWindow::closeWhileAReceiveRuns()
{
    ControllerSimulator simulator;
    QVERIFY(simulator.listenTcp());
    simulator.setModel(int(DeviceModel::V2Times24));
    ControllerSimulator::Faults silentAfterThree;
    silentAfterThree.silent = true;
    silentAfterThree.afterFrames = 3;
    simulator.setFaults(silentAfterThree);
    WindowFixture fx;
    frmRinger &window = startAgainst(fx, simulator, DeviceModel::V2Times24);
    const QByteArray before = fx.readFile("RingCalendar.dat");
    fx.dialog.answers = {DialogAnswer::Yes, DialogAnswer::Ok, DialogAnswer::Yes};
    bool closed = true;
    QTimer::singleShot(300, &window, [&] { closed = window.close(); });
    fx.child<QPushButton>("cmdReceiveCalendar")->click();
    // Mid-receive the close box did nothing: no half schedule was stored.
    QVERIFY(!closed);
    QCOMPARE(fx.readFile("RingCalendar.dat"), before);

    // The session's end mid-receive cancels it as "İptal Et" does, and closes
    // the window only once the operation has ended.
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

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
