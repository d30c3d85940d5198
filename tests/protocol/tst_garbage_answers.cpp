#include "protocol/CalendarDumpCommand.h"
#include "protocol/CalendarRecordCommands.h"
#include "protocol/ProgramModeClockCommands.h"
#include "protocol/ProgramModeCommands.h"
#include "protocol/RecordDeviceCommands.h"
#include "support/CommandBench.h"

#include <QRandomGenerator>
#include <QtTest>
#include <functional>

// Every command fed answers that are not answers: random bytes of any value
// and length, and good answers cut short before their last examined
// character. None may crash, succeed, or touch ReplyData.
namespace {
const ReplyData EarlierReply{QStringLiteral("kept")};

struct Command
{
    const char *name;
    QByteArray goodAnswer;
    int examinedChars; // a cut before this many characters can never be good
    int markerChars;   // letters (and status) that padding cannot stand in for
    bool needsAck;     // a "%CM" request is acknowledged first
    bool unasked;      // the answer follows the acknowledgement without a frame
    std::function<bool(DeviceLink &, ReplyData &)> succeeds;
};

QList<Command> commands()
{
    return {
        {"record write", "$ZW001O\r\n", 7, 7, false, false,
         [](DeviceLink &link, ReplyData &) { return WriteCalendarRecord(link, 1, 1, 1, 3, 0x08, 0x30) == 1; }},
        {"record read", "$ZR001O0001030830**\r\n", 20, 7, false, false,
         [](DeviceLink &link, ReplyData &) {
             const QByteArray text = ReadCalendarRecord(link, 1, 1);
             return text != RecordReadError && text != RecordReadTimeout;
         }},
        {"program mode request", programAckAnswer(), 9, 9, false, false,
         [](DeviceLink &link, ReplyData &) { return RequestProgramMode(link, ProgramModeLoad) == 1; }},
        {"block write", programAckAnswer(), 9, 9, false, false,
         [](DeviceLink &link, ReplyData &) {
             MemoryBlockData data{};
             return WriteMemoryBlock(link, data, 0, 0) == 1;
         }},
        {"dump", "%RE" + QByteArray(32, '\x25') + "\r\n", 35, 3, false, false,
         [](DeviceLink &link, ReplyData &reply) { return ReadMemoryBlock(link, 0, 0, reply) == 1; }},
        {"program-mode clock read", "%SRTC01022614300003\r\n", 19, 5, true, true,
         [](DeviceLink &link, ReplyData &reply) { return ReadClockProgramMode(link, reply) == 1; }},
        {"program-mode clock set", programAckAnswer(), 9, 9, true, false,
         [](DeviceLink &link, ReplyData &) { return SetClockProgramMode(link) == 1; }},
        {"device clock set", "$DR001O\r\n", 3, 3, false, false,
         [](DeviceLink &link, ReplyData &) { return SendDeviceClock(link) == 1; }},
        {"device clock read", "$UR00105122601234506**\r", 20, 3, false, false,
         [](DeviceLink &link, ReplyData &) {
             DeviceClockReading reading;
             return ReadDeviceClock(link, reading) == 1;
         }},
    };
}

bool runWithAnswer(const Command &command, LinkTransport transport, const QByteArray &answer,
                   ReplyData &reply)
{
    CommandBench bench(transport, 300);
    if (command.needsAck)
        bench.device.replyToSend(programAckAnswer(), 100);
    if (command.unasked)
        bench.device.deliverAt(900, answer);
    else
        bench.device.replyToEverySend(answer, 200);
    return command.succeeds(bench.link, reply);
}
} // namespace

Q_DECLARE_METATYPE(LinkTransport)

class GarbageAnswersTest : public QObject
{
    Q_OBJECT

private slots:
    void goodAnswersSucceed_data() { addCommands(); }
    void goodAnswersSucceed()
    {
        // The baseline the other cases are measured against.
        QFETCH(int, index);
        QFETCH(LinkTransport, transport);
        const Command command = commands().at(index);
        ReplyData reply = EarlierReply;
        QVERIFY(runWithAnswer(command, transport, command.goodAnswer, reply));
    }

    void randomBytes_data() { addCommands(); }
    void randomBytes()
    {
        QFETCH(int, index);
        QFETCH(LinkTransport, transport);
        const Command command = commands().at(index);
        QRandomGenerator random(quint32(1000 + index * 2 + int(transport)));
        for (int round = 0; round < 8; ++round) {
            QByteArray answer(random.bounded(0, 80), '\0');
            for (char &byte : answer)
                byte = char(random.bounded(256));
            // Lean on the characters the parsers look for.
            if (round % 3 == 1 && !answer.isEmpty())
                answer[random.bounded(int(answer.size()))] = (round % 2) ? '$' : '%';
            ReplyData reply = EarlierReply;
            QVERIFY2(!runWithAnswer(command, transport, answer, reply), answer.toHex().constData());
            QCOMPARE(reply, EarlierReply);
        }
    }

    void truncatedAnswers_data() { addCommands(); }
    void truncatedAnswers()
    {
        QFETCH(int, index);
        QFETCH(LinkTransport, transport);
        const Command command = commands().at(index);
        // The edges of the letters and of the examined text, and one between.
        const QList<int> lengths{0, 1, command.markerChars - 1, command.markerChars,
                                 command.examinedChars / 2, command.examinedChars - 1};
        for (int length : lengths) {
            if (length < 0 || length >= command.examinedChars)
                continue;
            ReplyData reply = EarlierReply;
            const QByteArray cut = command.goodAnswer.left(length);
            QVERIFY2(!runWithAnswer(command, transport, cut, reply), cut.constData());
            QCOMPARE(reply, EarlierReply);
            // Cut inside its letters, no padding makes it an answer.
            if (length >= command.markerChars)
                continue;
            const QByteArray padded = cut + QByteArray(40, ' ');
            QVERIFY2(!runWithAnswer(command, transport, padded, reply), padded.constData());
            QCOMPARE(reply, EarlierReply);
        }
    }

    void hugeAnswer()
    {
        // A megabyte of noise with answers buried deep inside.
        QByteArray noise(1 << 20, '\x01');
        noise.insert(700000, "$ZW001O$ZR001O%PICOKXXX%RE");
        CommandBench bench(LinkTransport::Tcp);
        bench.device.replyToEverySend(noise, 100);
        QCOMPARE(WriteCalendarRecord(bench.link, 1, 1, 1, 1, 0, 0), RecordWriteAccepted);
        ReplyData reply = EarlierReply;
        QCOMPARE(ReadMemoryBlock(bench.link, 0, 0, reply), 2); // the first "%" is followed by "PI"
        QCOMPARE(reply, EarlierReply);
        QCOMPARE(ReadCalendarRecord(bench.link, 1, 1).size(), noise.size());
    }

    void relayTestGarbage()
    {
        // Kept short: every answer, good or not, is followed by a long pause.
        const QList<QByteArray> answers{"$$$$$$$$$", "$D", "xx$TD001O"};
        for (const QByteArray &answer : answers) {
            CommandBench bench(LinkTransport::Tcp);
            bench.device.replyToSend(answer, 100);
            QVERIFY2(SendRelayTest(bench.link, 3) != DeviceAnswerExpected, answer.constData());
        }
    }

private:
    static void addCommands()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<LinkTransport>("transport");
        const QList<Command> all = commands();
        for (int i = 0; i < all.size(); ++i) {
            QTest::addRow("%s, serial", all[i].name) << i << LinkTransport::Serial;
            QTest::addRow("%s, tcp", all[i].name) << i << LinkTransport::Tcp;
        }
    }
};

QTEST_GUILESS_MAIN(GarbageAnswersTest)
#include "tst_garbage_answers.moc"
