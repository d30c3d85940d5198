// The device operations under a host without a window: what the operator is asked and told, in
// which order, the busy state and the progress, and whole transfers against the simulator.
#include "ControllerSimulator.h"
#include "operations/ClockText.h"
#include "operations/DeviceOperations.h"
#include "operations/OperationHost.h"
#include "operations/OperationTexts.h"
#include "schedule/CalendarCommands.h"
#include "schedule/DateTimeValue.h"
#include "support/ScriptedChannel.h"

#include <QTest>
#include <array>
#include <utility>

using namespace OperationText;

using StoryRow = std::tuple<DeviceModel, bool, int, QByteArrayList, QStringList>;

namespace {
// Records every call in order, and the progress as it is shown beside a message.
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
    int cancelAtStep = -1;
    TransferProgress *progress = nullptr;
};

LinkSettings simulatorLink(const ControllerSimulator &simulator, bool tcp, DeviceModel model)
{
    return {tcp ? LinkTransport::Tcp : LinkTransport::Serial, "127.0.0.1", simulator.tcpPort(), simulator.serialDevicePath(),
            facts(model).line};
}

RingCalendar sampleCalendar()
{
    RingCalendar calendar;
    for (int day = 1; day <= DayCount; ++day)
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, qint16((day + slot) % 2));
            calendar.setRingDuration(day, slot, qint16(1 + (day * 7 + slot) % 30));
            calendar.setRingTime(day, slot, timeValue((day * 5 + slot) % 24, (slot * 13 + day) % 60));
        }
    return calendar;
}

// The slots a model carries, a line each.
QStringList carriedSlots(const RingCalendar &c, int slotsPerDay)
{
    QStringList lines;
    for (int day = 1; day <= DayCount; ++day)
        for (int slot = 1; slot <= slotsPerDay; ++slot)
            lines << QString::asprintf("%d/%d: %d %d ", day, slot, c.timeUsed(day, slot), c.ringDuration(day, slot)) +
                         hourMinuteText(c.ringTime(day, slot));
    return lines;
}
} // namespace

class TestOperations : public QObject
{
    Q_OBJECT

private slots:

    // Model, send or receive, the step cancelled at, the answers (one per frame; the last repeats), and
    // the story after the question, "busy" and "progress".
    void transferStories_data()
    {
        QTest::addColumn<StoryRow>("row");
        const QByteArray ok = "$ZW001O\r\n", ack = programAckAnswer(), read = "$ZR001O1011030830**\r";
        // The last message, with the progress window's state, bar and status line as it is told.
        const auto row = [](const char *name, DeviceModel model, bool send, int cancelAt, const QByteArrayList &answers,
                            const QString &told, const char *bar, const QString &status) {
            const QString tell = "tell " + told + " [" + bar + " " + status + "]";
            QTest::newRow(name) << StoryRow{model, send, cancelAt, answers,
                                            (told == ReceiveSucceeded ? QStringList{"shown"} : QStringList()) + QStringList{"idle", tell}};
        };
        using M = DeviceModel;
        row("records sent", M::V2Times24, true, -1, {ok}, SendSucceeded, "open 168/168", SendSucceeded);
        // A refused record closes the progress before its message.
        row("record refused", M::V3Times64, true, -1, {ok, ok, "$ZW001N\r\n"}, RecordSendFailed, "closed 2/448",
            withPercent(Sending, 1, 448));
        row("cancelled", M::V2Times24, true, 3, {ok}, Cancelled, "open 3/168", withPercent(Sending, 2, 168));
        row("blocks sent", M::V1, true, -1, {ack}, SendSucceeded, "open 0/32", SendSucceeded);
        row("program mode refused", M::V1, true, -1, {"%PICNOXXX                 \r\n"}, ProgramModeFailed, "open 0/32", ProgramModeFailed);
        // 33 blocks acknowledged, the closing one in region F not.
        row("closing block unanswered", M::V1, true, -1, QByteArrayList(34, ack) << "", BlockSendFailed, "open 32/32", BlockSendFailed);
        row("records received", M::V2IntervalTimer, false, -1, {read}, ReceiveSucceeded, "open 0/168", ReceiveSucceeded);
        row("record read fails", M::V2Times24, false, -1, {read, "$ZR001N"}, ReceiveFailed, "closed 1/168", withPercent(Receiving, 0, 168));
        row("record receive cancelled", M::V3Times64, false, 2, {read}, Cancelled, "open 2/448", withPercent(Receiving, 1, 448));
        row("block read fails", M::V1, false, -1, {ack, "%RF"}, ReceiveFailed, "open 0/32", ReceiveFailed);
    }

    void transferStories()
    {
        QFETCH(StoryRow, row);
        const auto &[model, send, cancelAtStep, answers, story] = row;
        RecordingHost host;
        host.cancelAtStep = cancelAtStep;
        FakeClock clock;
        ScriptedChannel device(clock, LinkTransport::Tcp);
        DeviceOperations operations(host, clock, device.standIn());
        for (int i = 0; i + 1 < answers.size(); ++i)
            device.replyToSend(answers[i], 10);
        device.replyToEverySend(answers.last(), 10);

        RingCalendar calendar = sampleCalendar();
        const LinkSettings link{LinkTransport::Tcp, {}, 0, {}, {}};
        const OperationResult result =
            send ? operations.SendCalendar(link, model, calendar) : operations.ReceiveCalendar(link, model, calendar);
        QCOMPARE(host.log, QStringList({"ask " + (send ? AskSendCalendar : AskReceiveCalendar), "busy", "progress"}) + story);
        QCOMPARE(result.message(), story.last().mid(5, result.message().size()));
        QVERIFY(!host.progress->isLoaded() && !operations.link().channel()); // closed on every path
        QVERIFY(send || result.succeeded() || calendar == sampleCalendar()); // a failed receive keeps every old slot
        if (QTest::currentDataTag() == QByteArray("records received")) {     // the 24 slots read, the rest kept
            const RingCalendar old = sampleCalendar();
            for (int slot = 1; slot <= SlotsPerDay; ++slot) {
                QCOMPARE(calendar.timeUsed(4, slot), slot <= 24 ? 1 : old.timeUsed(4, slot));
                QCOMPARE(calendar.ringTime(7, slot), slot <= 24 ? timeValue(8, 30) : old.ringTime(7, slot));
            }
        }
    }

    void refusalsAndLinksThatCannotOpen()
    {
        RecordingHost host;
        SystemWholeSecondClock clock;
        DeviceOperations operations(host, clock);
        RingCalendar calendar;
        const LinkSettings serial{LinkTransport::Serial, {}, 0, QStringLiteral("/nonexistent/controller"), {}};

        host.answerYes = false;
        QCOMPARE(operations.SendCalendar(serial, DeviceModel::V1, calendar).outcome, Outcome::NotConfirmed);
        QCOMPARE(std::exchange(host.log, {}), QStringList{"ask " + AskSendCalendar});

        host.answerYes = true;
        const OperationResult noPort = operations.ReceiveCalendar(serial, DeviceModel::V3Times64, calendar);
        QCOMPARE(noPort.outcome, Outcome::SerialPortNotOpened);
        QVERIFY(noPort.detail.contains(u"/nonexistent/controller"));
        QCOMPARE(std::exchange(host.log, {}),
                 QStringList({"ask " + AskReceiveCalendar, "busy", "tell " + SerialPortFailed + " [closed 0/0 ]", "idle"}));

        LinkSettings tcp{LinkTransport::Tcp, QStringLiteral("127.0.0.1"), 0, {}, {}}; // port 0 never connects
        QCOMPARE(operations.SendClock(tcp, DeviceModel::V2Times24).outcome, Outcome::TcpNotConnected);
        QCOMPARE(std::exchange(host.log, {}), QStringList({"busy", "tell " + TcpPortFailed + " [closed 0/0 ]", "idle"}));

        ControllerSimulator simulator; // an "IP Adres" the resolver reads as octal reaches nothing
        QVERIFY(simulator.listenTcp());
        tcp.tcpPort = simulator.tcpPort();
        tcp.host = QStringLiteral("127.000.000.01");
        QVERIFY(operations.SendClock(tcp, DeviceModel::V2Times24).detail.endsWith(u"(this one would reach 127.0.0.1)"));
        QCOMPARE(std::exchange(host.log, {}), QStringList({"busy", "tell " + TcpPortFailed + " [closed 0/0 ]", "idle"}));
        QVERIFY(simulator.receivedFrames().isEmpty());

        QCOMPARE(operations.TestRelay(tcp, DeviceModel::V1, 3).outcome, Outcome::RelayNotOnModel);
        QCOMPARE(host.log, QStringList{"tell " + RelayTestNotOnV1 + " [closed 0/0 ]"});
    }

    // V3 64 over TCP, V1 over serial, V2 24 over TCP with noise before the answers from the 41st read on.
    void wholeSchedulesThroughTheSimulator()
    {
        for (auto [model, tcp, noisy] :
             {std::tuple{DeviceModel::V3Times64, true, false}, {DeviceModel::V1, false, false}, {DeviceModel::V2Times24, true, true}}) {
            ControllerSimulator simulator;
            QVERIFY(simulator.listenTcp() && simulator.openSerial());
            simulator.setModel(int(model));
            RecordingHost host;
            SystemWholeSecondClock clock;
            DeviceOperations operations(host, clock);
            const LinkSettings link = simulatorLink(simulator, tcp, model);

            const RingCalendar sent = sampleCalendar();
            QVERIFY(operations.SendCalendar(link, model, sent).succeeded());
            QCOMPARE(simulator.receivedFrames().size(), model == DeviceModel::V1 ? 35 : 7 * facts(model).slotsCarried);
            // Over TCP a cut answer's tail would be the next one's prefix; pieces of 20 end inside the minute.
            if (noisy)
                simulator.setFaults({.afterFrames = 40, .noiseBefore = QByteArray("\xFF\x00#!", 4), .chunkSize = 20});
            RingCalendar received;
            ClearAll(received, DeviceModel::V1);
            const OperationResult result = operations.ReceiveCalendar(link, model, received);
            QVERIFY2(result.succeeded(), qPrintable(host.log.join(u'\n')));
            QCOMPARE(carriedSlots(received, facts(model).slotsCarried), carriedSlots(sent, facts(model).slotsCarried));
        }
    }

    void memoryAroundTheSlotsGoesBackAsRead()
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
        // Past the entries: as read up to the last block sent, never sent after it.
        QCOMPARE(after.mid(MemoryImage::entryOffset(DayCount, 0)), memory.mid(MemoryImage::entryOffset(DayCount, 0)));
        // Sunday's last slot: used, hour and minute packed, length.
        const TimeOfDay t = timeOfDay(sent.ringTime(7, 24));
        const char slot[] = {char(sent.timeUsed(7, 24)), char(t.hour / 10 * 16 + t.hour % 10), char(t.minute / 10 * 16 + t.minute % 10),
                             char(sent.ringDuration(7, 24))};
        QCOMPARE(after.mid(MemoryImage::entryOffset(6, 23), 4).toHex(' '), QByteArray(slot, 4).toHex(' '));
    }

    // An offset off either end reads 0 and writes nothing, whatever lies next to the image.
    void imageEdgesHold()
    {
        struct
        {
            MemoryImage image;
            std::array<quint8, 4> next{0xA5, 0xA5, 0xA5, 0xA5};
        } memory;
        for (const int offset : {-1, MemoryImage::Size, MemoryImage::Size + 1}) {
            memory.image.setByte(offset, 0x11);
            QCOMPARE(memory.image.byte(offset), quint8(0));
        }
        QCOMPARE(memory.next, (std::array<quint8, 4>{0xA5, 0xA5, 0xA5, 0xA5}));
        memory.image.setByte(MemoryImage::Size - 1, 0x22);
        QCOMPARE(memory.image.byte(MemoryImage::Size - 1), quint8(0x22));
    }

    void packedBytesThatAreNoTimeKeepTheSlot()
    {
        // Hour and minute bytes: a time; a half above 9; an hour of 24; a minute of 60.
        for (auto [hour, minute, kept] :
             {std::tuple{0x23, 0x59, "23:59"}, {0x1A, 0x00, "05:05"}, {0x24, 0x00, "05:05"}, {0x07, 0x60, "05:05"}}) {
            MemoryImage image;
            image.setByte(MemoryImage::entryOffset(0, 0) + 1, quint8(hour));
            image.setByte(MemoryImage::entryOffset(0, 0) + 2, quint8(minute));
            RingCalendar calendar;
            calendar.setRingTime(1, 1, timeValue(5, 5));
            ApplyMemoryImage(image, calendar);
            QCOMPARE(hourMinuteText(calendar.ringTime(1, 1)), QString(kept));
        }
    }

    void clockAndRelayThroughTheSimulator()
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
            const QString label = read.clock ? clockLabelText(*read.clock) : QString();
            QVERIFY2(label.startsWith(u"27/02/2031 06:05:0") && label.endsWith(u", Perşembe"), qPrintable(label));

            QCOMPARE(operations.SendClock(link, model).outcome, Outcome::ClockSet);
            QVERIFY(qAbs(simulator.clock().secsTo(QDateTime::currentDateTime())) <= 3);
        }
        simulator.setModel(int(DeviceModel::V2Times24));
        host.log.clear();
        QCOMPARE(operations.TestRelay(simulatorLink(simulator, true, DeviceModel::V2Times24), DeviceModel::V2Times24, 7).outcome,
                 Outcome::RelayRang);
        QCOMPARE(std::pair(simulator.relayTests(), simulator.lastRelaySeconds()), std::pair(1, 7));
        QCOMPARE(host.log, QStringList({"busy", "tell " + RelayTestDone + " [closed 0/0 ]", "idle"}));
    }

    void clockLabelAndDayNames()
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
};

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
