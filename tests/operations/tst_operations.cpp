// The device operations driven by a host without any window: what the
// operator is asked and told and in which order, the busy state, the
// progress, and whole transfers against the controller simulator.
#include "ControllerSimulator.h"
#include "operations/ClockText.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "schedule/CalendarCommands.h"
#include "schedule/DateTimeValue.h"
#include "support/ScriptedChannel.h"

#include <QTest>

namespace {
// Records every call in order, with the progress as the operator sees it
// while a message is shown.
class RecordingHost final : public OperationHost
{
public:
    bool confirm(const QString &question) override
    {
        log << QStringLiteral("ask ") + question;
        return answerYes;
    }
    void tell(const QString &text) override
    {
        log << QStringLiteral("tell %1 [%2 %3/%4 %5]")
                   .arg(text, progress && progress->isLoaded() ? u"open" : u"closed")
                   .arg(progress ? progress->value() : 0)
                   .arg(progress ? progress->maximum() : 0)
                   .arg(progress ? progress->statusText() : QString());
        if (cancelOnTell && progress)
            progress->cancel();
    }
    void BeginBusy() override { log << QStringLiteral("busy"); }
    void EndBusy() override { log << QStringLiteral("idle"); }
    void showProgress(TransferProgress &shown) override
    {
        progress = &shown;
        log << QStringLiteral("progress");
        QObject::connect(&shown, &TransferProgress::barChanged, &shown, [this, &shown] {
            if (shown.value() == cancelAtStep)
                shown.cancel(); // "İptal Et"
        });
    }
    void scheduleReceived() override { log << QStringLiteral("shown"); }

    QStringList log;
    bool answerYes = true;
    bool cancelOnTell = false;
    int cancelAtStep = -1;
    TransferProgress *progress = nullptr;
};

LinkSettings simulatorLink(const ControllerSimulator &simulator, bool tcp, DeviceModel model)
{
    LinkSettings link;
    link.transport = tcp ? LinkTransport::Tcp : LinkTransport::Serial;
    link.host = QStringLiteral("127.0.0.1");
    link.tcpPort = simulator.tcpPort();
    link.serialDevice = simulator.serialDevicePath();
    link.line = facts(model).line;
    return link;
}

RingCalendar sampleCalendar()
{
    RingCalendar calendar;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, qint16((day + slot) % 2));
            calendar.setRingDuration(day, slot, qint16(1 + (day * 7 + slot) % 30));
            calendar.setRingTime(day, slot, timeValue((day * 5 + slot) % 24, (slot * 13 + day) % 60));
        }
    }
    return calendar;
}

// The slots a model carries, compared field by field.
void compareCarriedSlots(const RingCalendar &got, const RingCalendar &want, int slotsPerDay)
{
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= slotsPerDay; ++slot) {
            const QByteArray where = QStringLiteral("day %1 slot %2").arg(day).arg(slot).toLatin1();
            QVERIFY2(got.timeUsed(day, slot) == want.timeUsed(day, slot), where);
            QVERIFY2(got.ringDuration(day, slot) == want.ringDuration(day, slot), where);
            QVERIFY2(hourMinuteText(got.ringTime(day, slot)) == hourMinuteText(want.ringTime(day, slot)), where);
        }
    }
}
} // namespace

class TestOperations : public QObject
{
    Q_OBJECT

private slots:
    void transferStories_data();
    void transferStories();
    void refusalsAndLinksThatCannotOpen();
    void wholeSchedulesThroughTheSimulator_data();
    void wholeSchedulesThroughTheSimulator();
    void memoryAroundTheSlotsGoesBackAsRead();
    void packedBytesThatAreNoTimeKeepTheSlot();
    void clockAndRelayThroughTheSimulator();
    void clockLabelAndDayNames();
    void arrowsRunAndStartAfresh();
};

void TestOperations::transferStories_data()
{
    using namespace OperationText;
    QTest::addColumn<DeviceModel>("model");
    QTest::addColumn<bool>("send");
    QTest::addColumn<int>("cancelAtStep");
    QTest::addColumn<QByteArrayList>("answers"); // one per frame; the last repeats
    QTest::addColumn<QStringList>("story");      // after the question, "busy" and "progress"
    const QByteArray ok = "$ZW001O\r\n", ack = programAckAnswer(), read = "$ZR001O1011030830**\r";
    const auto tell = [](const QString &text, const char *progress) { return "tell " + text + " [" + progress; };
    QTest::newRow("records sent") << DeviceModel::V2Times24 << true << -1 << QByteArrayList{ok}
                                  << QStringList{"idle", tell(SendSucceeded, "open 168/168 ") + SendSucceeded + "]"};
    // A refused record closes the progress before its message.
    QTest::newRow("record refused") << DeviceModel::V3Times64 << true << -1 << QByteArrayList{ok, ok, "$ZW001N\r\n"}
                                    << QStringList{"idle", tell(RecordSendFailed, "closed 2/448 ") + withPercent(Sending, 1, 448) + "]"};
    QTest::newRow("cancelled") << DeviceModel::V2Times24 << true << 3 << QByteArrayList{ok}
                               << QStringList{"idle", tell(Cancelled, "open 3/168 ") + withPercent(Sending, 2, 168) + "]"};
    QTest::newRow("blocks sent") << DeviceModel::V1 << true << -1 << QByteArrayList{ack}
                                 << QStringList{"idle", tell(SendSucceeded, "open 0/32 ") + SendSucceeded + "]"};
    QTest::newRow("program mode refused") << DeviceModel::V1 << true << -1 << QByteArrayList{"%PICNOXXX                 \r\n"}
                                          << QStringList{"idle", tell(ProgramModeFailed, "open 0/32 ") + ProgramModeFailed + "]"};
    // 33 blocks acknowledged, the closing one in region F not.
    QTest::newRow("closing block unanswered") << DeviceModel::V1 << true << -1 << (QByteArrayList(34, ack) << "")
                                              << QStringList{"idle", tell(BlockSendFailed, "open 32/32 ") + BlockSendFailed + "]"};
    QTest::newRow("records received") << DeviceModel::V2IntervalTimer << false << -1 << QByteArrayList{read}
                                      << QStringList{"shown", "idle", tell(ReceiveSucceeded, "open 0/168 ") + ReceiveSucceeded + "]"};
    QTest::newRow("record read fails") << DeviceModel::V2Times24 << false << -1 << QByteArrayList{read, "$ZR001N"}
                                       << QStringList{"idle", tell(ReceiveFailed, "closed 1/168 ") + withPercent(Receiving, 0, 168) + "]"};
    QTest::newRow("record receive cancelled") << DeviceModel::V3Times64 << false << 2 << QByteArrayList{read}
                                              << QStringList{"idle", tell(Cancelled, "open 2/448 ") + withPercent(Receiving, 1, 448) + "]"};
    QTest::newRow("block read fails") << DeviceModel::V1 << false << -1 << QByteArrayList{ack, "%RF"}
                                      << QStringList{"idle", tell(ReceiveFailed, "open 0/32 ") + ReceiveFailed + "]"};
}

void TestOperations::transferStories()
{
    QFETCH(DeviceModel, model);
    QFETCH(bool, send);
    QFETCH(int, cancelAtStep);
    QFETCH(QByteArrayList, answers);
    QFETCH(QStringList, story);
    RecordingHost host;
    host.cancelAtStep = cancelAtStep;
    FakeClock clock;
    ScriptedChannel device(clock, LinkTransport::Tcp);
    DeviceOperations operations(host, clock, device.standIn());
    for (int i = 0; i + 1 < answers.size(); ++i)
        device.replyToSend(answers[i], 10);
    device.replyToEverySend(answers.last(), 10);

    RingCalendar calendar = sampleCalendar();
    LinkSettings link;
    link.transport = LinkTransport::Tcp;
    const OperationResult result =
        send ? operations.SendCalendar(link, model, calendar) : operations.ReceiveCalendar(link, model, calendar);
    const QString question = send ? OperationText::AskSendCalendar : OperationText::AskReceiveCalendar;
    QCOMPARE(host.log, QStringList({"ask " + question, "busy", "progress"}) + story);
    QCOMPARE(result.message(), story.last().mid(5, result.message().size()));
    QVERIFY(!host.progress->isLoaded());
    QVERIFY(!operations.link().channel());
    QVERIFY(send || result.succeeded() || calendar == sampleCalendar()); // a failed receive keeps every old slot
    if (QTest::currentDataTag() == QByteArray("records received")) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            const bool carried = slot <= 24;
            QCOMPARE(calendar.timeUsed(4, slot), carried ? 1 : sampleCalendar().timeUsed(4, slot));
            QCOMPARE(hourMinuteText(calendar.ringTime(7, slot)),
                     carried ? QString("08:30") : hourMinuteText(sampleCalendar().ringTime(7, slot)));
        }
    }
}

void TestOperations::refusalsAndLinksThatCannotOpen()
{
    using namespace OperationText;
    RecordingHost host;
    SystemWholeSecondClock clock;
    DeviceOperations operations(host, clock);
    RingCalendar calendar;
    LinkSettings serial;
    serial.serialDevice = QStringLiteral("/nonexistent/controller");

    host.answerYes = false;
    QCOMPARE(operations.SendCalendar(serial, DeviceModel::V1, calendar).outcome, Outcome::NotConfirmed);
    QCOMPARE(host.log, QStringList{"ask " + AskSendCalendar});

    host.log.clear();
    host.answerYes = true;
    const OperationResult noPort = operations.ReceiveCalendar(serial, DeviceModel::V3Times64, calendar);
    QCOMPARE(noPort.outcome, Outcome::SerialPortNotOpened);
    QVERIFY(noPort.detail.contains(u"/nonexistent/controller"));
    QCOMPARE(host.log, QStringList({"ask " + AskReceiveCalendar, "busy", "tell " + SerialPortFailed + " [closed 0/0 ]", "idle"}));

    host.log.clear();
    LinkSettings tcp;
    tcp.transport = LinkTransport::Tcp;
    tcp.host = QStringLiteral("127.0.0.1"); // port 0 never connects
    QCOMPARE(operations.SendClock(tcp, DeviceModel::V2Times24).outcome, Outcome::TcpNotConnected);
    QCOMPARE(host.log, QStringList({"busy", "tell " + TcpPortFailed + " [closed 0/0 ]", "idle"}));

    ControllerSimulator simulator; // an "IP Adres" the resolver reads as octal reaches nothing
    QVERIFY(simulator.listenTcp());
    tcp.tcpPort = simulator.tcpPort();
    host.log.clear();
    tcp.host = QStringLiteral("127.000.000.01");
    QVERIFY(operations.SendClock(tcp, DeviceModel::V2Times24).detail.endsWith(u"(this one would reach 127.0.0.1)"));
    QCOMPARE(host.log, QStringList({"busy", "tell " + TcpPortFailed + " [closed 0/0 ]", "idle"}));
    QVERIFY(simulator.receivedFrames().isEmpty());

    host.log.clear();
    QCOMPARE(operations.TestRelay(tcp, DeviceModel::V1, 3).outcome, Outcome::RelayNotOnModel);
    QCOMPARE(host.log, QStringList{"tell " + RelayTestNotOnV1 + " [closed 0/0 ]"});
}

void TestOperations::wholeSchedulesThroughTheSimulator_data()
{
    QTest::addColumn<DeviceModel>("model");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<bool>("noisy"); // noise before the answers from the 41st record read on
    QTest::newRow("V3 64 tcp") << DeviceModel::V3Times64 << true << false;
    QTest::newRow("V1 serial") << DeviceModel::V1 << false << false;
    QTest::newRow("V2 24 tcp, noise") << DeviceModel::V2Times24 << true << true;
}

void TestOperations::wholeSchedulesThroughTheSimulator()
{
    QFETCH(DeviceModel, model);
    QFETCH(bool, tcp);
    QFETCH(bool, noisy);
    ControllerSimulator simulator;
    QVERIFY(simulator.listenTcp() && simulator.openSerial());
    simulator.setModel(int(model));
    RecordingHost host;
    SystemWholeSecondClock clock;
    DeviceOperations operations(host, clock);
    const LinkSettings link = simulatorLink(simulator, tcp, model);

    const RingCalendar sent = sampleCalendar();
    QVERIFY(operations.SendCalendar(link, model, sent).succeeded());
    QCOMPARE(simulator.receivedFrames().size(), model == DeviceModel::V1 ? 35 : 7 * recordSlotsPerDay(model));
    // Over TCP a cut answer's tail would be the next one's prefix; pieces of 20 end inside the minute.
    const ControllerSimulator::Faults noise{40, false, false, QByteArray("\xFF\x00#!", 4), 0, false, false, false, 20};
    if (noisy)
        simulator.setFaults(noise);
    RingCalendar received;
    ClearAll(received, DeviceModel::V1);
    const OperationResult result = operations.ReceiveCalendar(link, model, received);
    QVERIFY2(result.succeeded(), qPrintable(host.log.join(u'\n')));
    compareCarriedSlots(received, sent, recordSlotsPerDay(model));
}

void TestOperations::memoryAroundTheSlotsGoesBackAsRead()
{
    ControllerSimulator simulator;
    QVERIFY(simulator.listenTcp());
    simulator.setModel(int(DeviceModel::V1));
    QByteArray memory(MemoryImage::Size, '\0');
    for (int i = 0; i < memory.size(); ++i)
        memory[i] = char(0x5A ^ i);
    simulator.setMemory(memory);
    RecordingHost host;
    SystemWholeSecondClock clock;
    DeviceOperations operations(host, clock);
    const LinkSettings link = simulatorLink(simulator, true, DeviceModel::V1);
    RingCalendar calendar;
    QVERIFY(operations.ReceiveCalendar(link, DeviceModel::V1, calendar).succeeded());
    RingCalendar sent = sampleCalendar();
    sent.setRingDuration(1, 1, 300); // no byte: the controller keeps what it had
    sent.setTimeUsed(1, 2, -1);
    QVERIFY(operations.SendCalendar(link, DeviceModel::V1, sent).succeeded());

    const QByteArray after = simulator.memory();
    QCOMPARE(after[MemoryImage::entryOffset(0, 0) + 3], memory[MemoryImage::entryOffset(0, 0) + 3]);
    QCOMPARE(after[MemoryImage::entryOffset(0, 1)], memory[MemoryImage::entryOffset(0, 1)]);
    QCOMPARE(after.left(MemoryImage::FirstEntryOffset), memory.left(MemoryImage::FirstEntryOffset));
    const int entriesEnd = MemoryImage::entryOffset(DayCount, 0);
    QCOMPARE(after.mid(entriesEnd, 1056 - entriesEnd), memory.mid(entriesEnd, 1056 - entriesEnd));
    QCOMPARE(after.mid(1056), memory.mid(1056)); // never sent
    // Sunday's last slot: used, hour and minute packed, length.
    const int e = MemoryImage::entryOffset(6, 23);
    const TimeOfDay t = timeOfDay(sent.ringTime(7, 24));
    QCOMPARE(quint8(after[e]), quint8(sent.timeUsed(7, 24)));
    QCOMPARE(quint8(after[e + 1]), quint8(t.hour / 10 * 16 + t.hour % 10));
    QCOMPARE(quint8(after[e + 2]), quint8(t.minute / 10 * 16 + t.minute % 10));
    QCOMPARE(quint8(after[e + 3]), quint8(sent.ringDuration(7, 24)));
}

void TestOperations::packedBytesThatAreNoTimeKeepTheSlot()
{
    // Hour and minute bytes: a time; a half above 9; an hour of 24; a minute of 60.
    const quint8 bytes[][2] = {{0x23, 0x59}, {0x1A, 0x00}, {0x24, 0x00}, {0x07, 0x60}};
    MemoryImage image;
    RingCalendar calendar;
    for (int slot = 0; slot < 4; ++slot) {
        image.setByte(MemoryImage::entryOffset(0, slot) + 1, bytes[slot][0]);
        image.setByte(MemoryImage::entryOffset(0, slot) + 2, bytes[slot][1]);
        calendar.setRingTime(1, slot + 1, timeValue(5, 5));
    }
    ApplyMemoryImage(image, calendar);
    QCOMPARE(hourMinuteText(calendar.ringTime(1, 1)), QString("23:59"));
    for (int slot = 2; slot <= 4; ++slot)
        QCOMPARE(hourMinuteText(calendar.ringTime(1, slot)), QString("05:05"));
}

void TestOperations::clockAndRelayThroughTheSimulator()
{
    ControllerSimulator simulator;
    QVERIFY(simulator.listenTcp());
    RecordingHost host;
    SystemWholeSecondClock clock;
    DeviceOperations operations(host, clock);
    for (DeviceModel model : {DeviceModel::V3IntervalTimer, DeviceModel::V1}) {
        simulator.setModel(int(model));
        const LinkSettings link = simulatorLink(simulator, true, model);
        simulator.setClock(QDateTime(QDate(2031, 2, 27), QTime(6, 5, 4)));
        const OperationResult read = operations.ReceiveClock(link, model);
        QVERIFY(read.clock);
        QVERIFY2(clockLabelText(*read.clock).startsWith(u"27/02/2031 06:05:0"), qPrintable(clockLabelText(*read.clock)));
        QVERIFY(clockLabelText(*read.clock).endsWith(u", Perşembe"));

        QCOMPARE(operations.SendClock(link, model).outcome, Outcome::ClockSet);
        QVERIFY(qAbs(simulator.clock().secsTo(QDateTime::currentDateTime())) <= 3);
    }
    simulator.setModel(int(DeviceModel::V2Times24));
    host.log.clear();
    QCOMPARE(operations.TestRelay(simulatorLink(simulator, true, DeviceModel::V2Times24), DeviceModel::V2Times24, 7).outcome,
             Outcome::RelayRang);
    QCOMPARE(simulator.relayTests(), 1);
    QCOMPARE(simulator.lastRelaySeconds(), 7);
    QCOMPARE(host.log, QStringList({"busy", "tell " + OperationText::RelayTestDone + " [closed 0/0 ]", "idle"}));
}

void TestOperations::clockLabelAndDayNames()
{
    const QStringList names{"Tanımsız", "Pazartesi", "Salı", "Çarşamba", "Perşembe", "Cuma", "Cumartesi", "Pazar", "Tanımsız"};
    for (int day = 0; day <= 8; ++day)
        QCOMPARE(DayName(day), names[day]);
    ClockReading reading{"05", "12", "26", "01", "23", "45", 6};
    QCOMPARE(clockLabelText(reading), QString("05/12/2026 01:23:45, Cumartesi"));
    QCOMPARE(clockDateTime(reading), std::optional<QDateTime>(QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45))));
    reading.month = "13";
    QVERIFY(!clockDateTime(reading));
}

void TestOperations::arrowsRunAndStartAfresh()
{
    TransferProgress progress;
    const auto lit = [&progress] {
        QString shown;
        for (int i = 0; i < TransferProgress::ArrowCount; ++i)
            shown += progress.arrowVisible(i) ? u'>' : u'.';
        return shown;
    };
    progress.open(TransferProgress::Direction::ToController);
    QCOMPARE(progress.arrowPicture(), TransferProgress::ArrowPicture::PointingRight);
    QStringList seen;
    for (int tick = 0; tick < 7; ++tick) {
        progress.tick();
        seen << lit();
    }
    QCOMPARE(seen, QStringList({">.....", ".>....", "..>...", "...>..", "....>.", ".....>", ">....."}));
    QVERIFY(!progress.requestClose()); // the close box is refused while it runs
    progress.cancel();
    QVERIFY(progress.cancelled());
    progress.tick();
    QCOMPARE(lit(), QString(">>>>>>"));
    QVERIFY(progress.requestClose());
    QVERIFY(!progress.isLoaded());

    progress.open(TransferProgress::Direction::ToComputer);
    QCOMPARE(lit(), QString(">>>>>>")); // not what the last run left
    QCOMPARE(progress.arrowPicture(), TransferProgress::ArrowPicture::PointingLeft);
    progress.tick();
    progress.tick();
    QCOMPARE(lit(), QString("....>."));
    progress.close();
    QVERIFY(!progress.isLoaded());
    progress.open(TransferProgress::Direction::ToController); // from the first arrow again
    progress.tick();
    QCOMPARE(lit(), QString(">....."));
}

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
