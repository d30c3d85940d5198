// Bad input never crashes, hangs or bloats the simulated controller: random
// bytes, floods with and without carriage returns, truncated frames, NUL and
// bytes above 127, readers that vanish or never read. After each it still
// answers a good frame.
#include "SimLink.h"

#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>

namespace {
const QByteArray GoodFrame = "%UR001**\r";
constexpr int ClockAnswerLength = 23;

// Ends whatever half frame the garbage left behind, also a "%SE" block
// still waiting for its 75 bytes.
const QByteArray Resync = QByteArray(80, 'x') + '\r';

QByteArray randomBytes(quint32 seed, int size)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

void drain(QIODevice &link)
{
    // Let the simulator take in all that was written.
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(10);
        link.readAll();
    }
}
} // namespace

class TestZilsimGarbage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void garbageThenGoodFrame_data();
    void garbageThenGoodFrame();
    void frameLogIsCapped();
    void readerGoneWhileAnswerPending();
    void lateAnswerFloodIsBounded();
    void serialReaderThatNeverReads();

private:
    std::unique_ptr<ControllerSimulator> sim;
};

void TestZilsimGarbage::init()
{
    sim = std::make_unique<ControllerSimulator>();
    sim->setModel(3);
    QVERIFY(sim->listenTcp(0));
    QVERIFY(sim->openSerial());
}

void TestZilsimGarbage::cleanup()
{
    sim.reset();
}

void TestZilsimGarbage::garbageThenGoodFrame_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("garbage");
    for (bool tcp : {true, false}) {
        const char *t = tcp ? "tcp" : "serial";
        for (int model : {0, 3}) {
            QTest::addRow("%s model %d random bytes", t, model) << tcp << model << randomBytes(7 + model, 64 * 1024);
            QTest::addRow("%s model %d random with many %%", t, model)
                << tcp << model << randomBytes(11, 8 * 1024).replace('A', '%').replace('B', '\r');
        }
        QTest::addRow("%s flood without CR", t) << tcp << 3 << ("%" + QByteArray(1 << 20, 'Z'));
        QTest::addRow("%s flood of CR", t) << tcp << 3 << QByteArray(100000, '\r');
        QTest::addRow("%s NUL bytes", t) << tcp << 3 << QByteArray(5000, '\0');
        QTest::addRow("%s bytes above 127", t) << tcp << 0 << QByteArray("%\x80\x81\xFE\xFF**\r\xC3\xA7", 10);
        QTest::addRow("%s truncated record frames", t)
            << tcp << 3 << QByteArray("%ZW\r%ZR001\r%DT001**\r%DR0010512\r%UR\r%ZW001%ZW001\r");
        QTest::addRow("%s truncated program frames", t)
            << tcp << 0 << QByteArray("%CM\r%CM05\r%RE\r%REC\r%RRTC\r%SEC0000\r");
        QTest::addRow("%s half a block then a new frame", t)
            << tcp << 0 << ("%CM050**\r%SEC0000" + QByteArray(20, '\r') + "%CM050**\r");
        QTest::addRow("%s NUL inside frames", t)
            << tcp << 3 << QByteArray("%ZW001\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00**\r%UR\x00\x00\x00**\r", 28);
    }
}

void TestZilsimGarbage::garbageThenGoodFrame()
{
    QFETCH(bool, tcp);
    QFETCH(int, model);
    QFETCH(QByteArray, garbage);
    sim->setModel(model);
    auto link = openSimLink(*sim, tcp);
    QVERIFY(link);
    link->write(garbage);
    link->write(Resync);
    drain(*link);
    QVERIFY(link->isOpen());

    if (model == 0) {
        const QByteArray ack = exchange(*link, "%CM060**\r", 28);
        QVERIFY2(ack.contains("%PICOKXXX"), ack.toPercentEncoding().constData());
    } else {
        QByteArray answer = exchange(*link, GoodFrame, ClockAnswerLength);
        answer = answer.mid(answer.indexOf("$UR001"));
        answer += readAtLeast(*link, ClockAnswerLength - answer.size());
        QVERIFY2(answer.startsWith("$UR001"), answer.toPercentEncoding().constData());
        QCOMPARE(answer.size(), ClockAnswerLength);
    }
}

void TestZilsimGarbage::frameLogIsCapped()
{
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    const int frames = ControllerSimulator::MaxLoggedFrames + 10;
    link->write(QByteArray("%\r").repeated(frames));
    QVERIFY(QTest::qWaitFor([&] {
        return sim->receivedFrames().size() == ControllerSimulator::MaxLoggedFrames
            && sim->receivedFrames().last() == "%\r";
    }, 20000));
    link->write(GoodFrame);
    QCOMPARE(readAtLeast(*link, ClockAnswerLength).size(), ClockAnswerLength);
    QCOMPARE(sim->receivedFrames().size(), ControllerSimulator::MaxLoggedFrames);
    QCOMPARE(sim->receivedFrames().last(), GoodFrame);
}

void TestZilsimGarbage::readerGoneWhileAnswerPending()
{
    ControllerSimulator::Faults faults;
    faults.answerDelayMs = 200;
    sim->setFaults(faults);
    for (bool tcp : {true, false}) {
        auto link = openSimLink(*sim, tcp);
        QVERIFY(link);
        link->write(GoodFrame);
        QTest::qWait(50);
        link.reset(); // the program closes the port before the answer
        QTest::qWait(300);
    }
    sim->setFaults({});
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    QCOMPARE(exchange(*link, GoodFrame, ClockAnswerLength).size(), ClockAnswerLength);
}

void TestZilsimGarbage::lateAnswerFloodIsBounded()
{
    ControllerSimulator::Faults faults;
    faults.answerDelayMs = 60000;
    faults.chunkSize = 1;
    sim->setFaults(faults);
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    link->write(GoodFrame.repeated(20000));
    QVERIFY(QTest::qWaitFor([&] { return sim->receivedFrames().size() == 20000; }, 10000));
    QCOMPARE(readFor(*link, 100), QByteArray());
    // Destroyed with a full queue of answers waiting: nothing may leak or fire.
    sim.reset();
    QTest::qWait(50);
}

void TestZilsimGarbage::serialReaderThatNeverReads()
{
    // A reader holds the port open and sends, but never reads: the answers
    // fill the pseudo-terminal and the simulator must neither block nor grow.
    const int fd = ::open(sim->serialDevicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    const QByteArray frames = GoodFrame.repeated(200);
    for (int round = 0; round < 20; ++round) {
        QVERIFY(::write(fd, frames.constData(), size_t(frames.size())) > 0);
        QTest::qWait(10);
    }
    QVERIFY(QTest::qWaitFor([&] { return sim->receivedFrames().size() >= 4000; }, 5000));
    auto link = openSimLink(*sim, true);
    QVERIFY(link);
    QCOMPARE(exchange(*link, GoodFrame, ClockAnswerLength).size(), ClockAnswerLength);
    ::close(fd);
}

QTEST_GUILESS_MAIN(TestZilsimGarbage)
#include "tst_zilsim_garbage.moc"
