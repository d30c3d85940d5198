// How the simulator cuts a byte stream into frames, plans the delivery of
// its answers and writes and reads clock digits.
#include "ControllerClock.h"
#include "DeliveryPlan.h"
#include "FaultOption.h"
#include "FrameSplitter.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zilsim;
using Frames = QList<QByteArray>;

class TestZilsimFrames : public QObject
{
    Q_OBJECT

private slots:
    void splitsFrames_data();
    void splitsFrames();
    void blockWriteCarriesAnyBytes();
    void sameFramesWhateverThePieces();
    void runawayInputIsCapped();
    void randomBytesNeverCrash();
    void tinyFrameFloodIsLinear();
    void deliveryPlan_data();
    void deliveryPlan();
    void clockDigits_data();
    void clockDigits();
    void faultOptions_data();
    void faultOptions();
};

static QByteArray blockWrite(const QByteArray &addressAndRegion, const QByteArray &data64)
{
    return "%SE" + addressAndRegion + data64 + "**\r";
}

void TestZilsimFrames::splitsFrames_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Frames>("frames");
    QTest::addColumn<qsizetype>("leftOver");

    QTest::newRow("one frame") << QByteArray("%CM050**\r") << Frames{"%CM050**\r"} << qsizetype(0);
    QTest::newRow("two frames") << QByteArray("%CM050**\r%REC0000**\r")
                                << Frames{"%CM050**\r", "%REC0000**\r"} << qsizetype(0);
    QTest::newRow("noise before %") << QByteArray("xx\x01\xFF%UR001**\r", 13)
                                    << Frames{"%UR001**\r"} << qsizetype(0);
    QTest::newRow("noise only") << QByteArray("hello\r\n\x00 world", 14) << Frames{} << qsizetype(0);
    QTest::newRow("partial frame waits") << QByteArray("%ZW0011") << Frames{} << qsizetype(7);
    QTest::newRow("tcp copies stay one frame")
        << QByteArray("%ZR001105**%ZR001105**%ZR001105**%ZR001105**\r")
        << Frames{"%ZR001105**%ZR001105**%ZR001105**%ZR001105**\r"} << qsizetype(0);
    QTest::newRow("bare % and CR") << QByteArray("%\r%\r") << Frames{"%\r", "%\r"} << qsizetype(0);
    QTest::newRow("NUL and high bytes inside")
        << QByteArray("%ZW\x00\x80\xFF\r", 7) << Frames{QByteArray("%ZW\x00\x80\xFF\r", 7)} << qsizetype(0);
    QTest::newRow("short %SE waits for 75 bytes") << QByteArray("%SEC0000\r") << Frames{} << qsizetype(9);
    // A "%SE" run whose 75th byte is no carriage return is no block write:
    // it ends at its first carriage return like any other frame.
    const QByteArray notABlock = "%SE\r" + QByteArray(71, 'x') + "%CM050**\r";
    QTest::newRow("malformed %SE falls back")
        << notABlock << Frames{"%SE\r", "%CM050**\r"} << qsizetype(0);
}

void TestZilsimFrames::splitsFrames()
{
    QFETCH(QByteArray, input);
    QFETCH(Frames, frames);
    QFETCH(qsizetype, leftOver);
    FrameSplitter splitter;
    QCOMPARE(splitter.feed(input), frames);
    QCOMPARE(splitter.pendingBytes(), leftOver);
}

void TestZilsimFrames::blockWriteCarriesAnyBytes()
{
    // Data full of the bytes that end or start frames elsewhere.
    QByteArray data;
    for (int i = 0; i < 64; ++i)
        data += "\r%*\x00"[i % 4];
    const QByteArray frame = blockWrite("C0020", data);
    QCOMPARE(frame.size(), FrameSplitter::BlockWriteLength);
    FrameSplitter splitter;
    QCOMPARE(splitter.feed(frame + "%REC0020**\r"), (Frames{frame, "%REC0020**\r"}));
}

void TestZilsimFrames::sameFramesWhateverThePieces()
{
    const QByteArray data(64, '\r');
    const QByteArray stream = "junk%CM050**\r" + blockWrite("F0400", data) + "%ZW0011051030830**%ZW0011051030830**\r";
    FrameSplitter whole;
    const Frames expected = whole.feed(stream);
    QCOMPARE(expected.size(), 3);
    for (int piece : {1, 2, 7, 74, 75}) {
        FrameSplitter splitter;
        Frames got;
        for (qsizetype at = 0; at < stream.size(); at += piece)
            got += splitter.feed(stream.mid(at, piece));
        QCOMPARE(got, expected);
    }
}

void TestZilsimFrames::runawayInputIsCapped()
{
    FrameSplitter splitter;
    // A "%" followed by a megabyte without a carriage return.
    QVERIFY(splitter.feed("%" + QByteArray(1 << 20, 'A')).isEmpty());
    QVERIFY(splitter.pendingBytes() <= FrameSplitter::MaxFrameLength);
    // The rest of that run up to its carriage return is dropped too.
    QVERIFY(splitter.feed(QByteArray(5000, 'B')).isEmpty());
    QVERIFY(splitter.pendingBytes() <= FrameSplitter::MaxFrameLength);
    QCOMPARE(splitter.feed("BBB\r%UR001**\r"), Frames{"%UR001**\r"});
    QCOMPARE(splitter.pendingBytes(), 0);
}

void TestZilsimFrames::randomBytesNeverCrash()
{
    QRandomGenerator random(20261206);
    FrameSplitter splitter;
    qsizetype frames = 0;
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(random.bounded(1, 3000), '\0');
        for (char &b : bytes)
            b = char(random.bounded(256));
        for (const QByteArray &frame : splitter.feed(bytes)) {
            QVERIFY(frame.startsWith('%'));
            QVERIFY(frame.endsWith('\r'));
            ++frames;
        }
        QVERIFY(splitter.pendingBytes() <= FrameSplitter::MaxFrameLength + 3000);
    }
    QVERIFY(frames > 0);
}

void TestZilsimFrames::tinyFrameFloodIsLinear()
{
    FrameSplitter splitter;
    QElapsedTimer timer;
    timer.start();
    const Frames frames = splitter.feed(QByteArray("%\r").repeated(500000));
    QCOMPARE(frames.size(), 500000);
    QVERIFY2(timer.elapsed() < 5000, "splitting a flood of tiny frames took too long");
}

using Steps = QList<DeliveryStep>;

namespace zilsim {
static bool operator==(const DeliveryStep &a, const DeliveryStep &b)
{
    return a.waitMs == b.waitMs && a.bytes == b.bytes && a.dropLink == b.dropLink;
}

static char *toString(const DeliveryStep &s)
{
    return qstrdup(QByteArray("{" + QByteArray::number(s.waitMs) + "," + s.bytes.toPercentEncoding()
                              + (s.dropLink ? ",drop}" : "}")).constData());
}
} // namespace zilsim

void TestZilsimFrames::deliveryPlan_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<ControllerSimulator::Faults>("faults");
    QTest::addColumn<Steps>("steps");

    const Answer one{{0, "$ZW001O\r\n"}};
    const Answer two{{0, "ACK"}, {250, "CLOCK"}};
    using F = ControllerSimulator::Faults;
    F none;
    QTest::newRow("plain") << one << none << Steps{{0, "$ZW001O\r\n", false}};
    QTest::newRow("no answer stays none") << Answer{} << none << Steps{};
    F noAnswerDropped;
    noAnswerDropped.dropConnection = true;
    QTest::newRow("nothing to drop for") << Answer{} << noAnswerDropped << Steps{};
    QTest::newRow("two pieces keep their pause") << two << none << Steps{{0, "ACK", false}, {250, "CLOCK", false}};
    F silent;
    silent.silent = true;
    QTest::newRow("silent") << one << silent << Steps{};
    F drop;
    drop.dropConnection = true;
    drop.answerDelayMs = 30;
    QTest::newRow("drop") << one << drop << Steps{{30, {}, true}};
    F noise;
    noise.noiseBefore = "##";
    QTest::newRow("noise before every piece") << two << noise << Steps{{0, "##ACK", false}, {250, "##CLOCK", false}};
    F late;
    late.answerDelayMs = 700;
    QTest::newRow("late delays the first piece") << two << late << Steps{{700, "ACK", false}, {250, "CLOCK", false}};
    F negative;
    negative.answerDelayMs = -5;
    QTest::newRow("negative delay is none") << one << negative << Steps{{0, "$ZW001O\r\n", false}};
    F shortened;
    shortened.shortAnswer = true;
    QTest::newRow("short cuts the last piece") << two << shortened << Steps{{0, "ACK", false}, {250, "CLOC", false}};
    F chunks;
    chunks.chunkSize = 4;
    QTest::newRow("chunks") << one << chunks
                            << Steps{{0, "$ZW0", false}, {ChunkGapMs, "01O\r", false}, {ChunkGapMs, "\n", false}};
    F all;
    all.chunkSize = 3;
    all.noiseBefore = "~";
    all.answerDelayMs = 100;
    all.shortAnswer = true;
    QTest::newRow("noise, late, short, chunks together")
        << two << all
        << Steps{{100, "~AC", false}, {ChunkGapMs, "K", false}, {250, "~CL", false}, {ChunkGapMs, "OC", false}};
}

void TestZilsimFrames::deliveryPlan()
{
    QFETCH(Answer, answer);
    QFETCH(ControllerSimulator::Faults, faults);
    QFETCH(Steps, steps);
    QCOMPARE(planDelivery(answer, faults), steps);
}

void TestZilsimFrames::clockDigits_data()
{
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<int>("firstWeekday"); // 0 in program mode, 1 on the record devices
    QTest::addColumn<QDateTime>("value");  // invalid: refused
    QTest::addColumn<bool>("written");     // also what the controller sends for the value
    const QDateTime march5(QDate(2025, 3, 5), QTime(14, 7, 9));
    QTest::newRow("saturday") << QByteArray("05122601234506") << 1
                              << QDateTime(QDate(2026, 12, 5), QTime(1, 23, 45)) << true;
    QTest::newRow("sunday is 07") << QByteArray("06122600000007") << 1
                                  << QDateTime(QDate(2026, 12, 6), QTime(0, 0, 0)) << true;
    QTest::newRow("monday is 01") << QByteArray("03032523595901") << 1
                                  << QDateTime(QDate(2025, 3, 3), QTime(23, 59, 59)) << true;
    QTest::newRow("program mode, weekday 02") << QByteArray("05032514070902") << 0 << march5 << false;
    QTest::newRow("weekday not checked against the date") << QByteArray("05032514070906") << 0 << march5 << false;
    QTest::newRow("program mode refuses 07") << QByteArray("05032514070907") << 0 << QDateTime() << false;
    QTest::newRow("record device refuses 00") << QByteArray("05032514070900") << 1 << QDateTime() << false;
    QTest::newRow("day 32") << QByteArray("32032514070902") << 0 << QDateTime() << false;
    QTest::newRow("30 February") << QByteArray("30022514070902") << 0 << QDateTime() << false;
    QTest::newRow("hour 24") << QByteArray("05032524070902") << 0 << QDateTime() << false;
    QTest::newRow("letter") << QByteArray("05032514A70902") << 0 << QDateTime() << false;
    QTest::newRow("too short") << QByteArray("0503251407090") << 0 << QDateTime() << false;
    QTest::newRow("empty") << QByteArray() << 0 << QDateTime() << false;
}

void TestZilsimFrames::clockDigits()
{
    QFETCH(QByteArray, digits);
    QFETCH(int, firstWeekday);
    QFETCH(QDateTime, value);
    QFETCH(bool, written);
    QCOMPARE(parseClockDigits(digits, firstWeekday), value);
    if (written)
        QCOMPARE(zilsim::clockDigits(value), digits);
}

void TestZilsimFrames::faultOptions_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("chunk");
    QTest::newRow("late:250") << "late:250" << true << 250 << 0;
    QTest::newRow("chunk:3") << "chunk:3" << true << 0 << 3;
    QTest::newRow("silent") << "silent" << true << 0 << 0;
    QTest::newRow("late without number") << "late:" << false << 0 << 0;
    QTest::newRow("late negative") << "late:-1" << false << 0 << 0;
    QTest::newRow("chunk:0") << "chunk:0" << false << 0 << 0;
    QTest::newRow("unknown") << "explode" << false << 0 << 0;
}

void TestZilsimFrames::faultOptions()
{
    QFETCH(QString, kind);
    QFETCH(bool, accepted);
    QFETCH(int, delayMs);
    QFETCH(int, chunk);
    ControllerSimulator::Faults faults;
    QCOMPARE(applyFaultOption(kind, faults), accepted);
    QCOMPARE(faults.answerDelayMs, delayMs);
    QCOMPARE(faults.chunkSize, chunk);
}

QTEST_GUILESS_MAIN(TestZilsimFrames)
#include "tst_zilsim_frames.moc"
