#include "link/AwaitAnswer.h"
#include "support/CommandBench.h"

#include <QtTest>

// The answer wait on the fake clock: each sleep moves the fake time 100 ms.
class AwaitAnswerTest : public QObject
{
    Q_OBJECT

private slots:
    void timeOutEndsWhenTheClockPassesTheDeadline_data()
    {
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("strict");
        QTest::addColumn<qint64>("endMs");
        // A strict N-second wait lasts more than N-1 and at most N seconds.
        QTest::newRow("strict 2 s from 10:00:00.9") << qint64(36000900) << 2 << true << qint64(36002000);
        QTest::newRow("strict 2 s from 10:00:00.0") << qint64(36000000) << 2 << true << qint64(36002000);
        QTest::newRow("strict 1 s from .5") << qint64(500) << 1 << true << qint64(1000);
        // An inclusive one lasts more than N and at most N+1 seconds.
        QTest::newRow("inclusive 1 s from .0") << qint64(0) << 1 << false << qint64(2000);
        QTest::newRow("inclusive 1 s from .9") << qint64(900) << 1 << false << qint64(2000);
        QTest::newRow("strict 0 s never waits") << qint64(400) << 0 << true << qint64(400);
    }
    void timeOutEndsWhenTheClockPassesTheDeadline()
    {
        QFETCH(qint64, startMs);
        QFETCH(int, seconds);
        QFETCH(bool, strict);
        QFETCH(qint64, endMs);

        CommandBench bench(LinkTransport::Serial, startMs);
        QVERIFY(!AwaitAnswer(bench.link, 1, seconds, strict ? WaitForm::Strict : WaitForm::Inclusive,
                             LateAnswer::Used));
        QCOMPARE(bench.clock.ms(), endMs);
        // Every pass but the last sleeps: the wait never spins.
        QCOMPARE(qint64(bench.clock.sleepCount()), (endMs - startMs) / bench.clock.step());
    }

    void answerInTheLastPass_data()
    {
        QTest::addColumn<bool>("strict");
        QTest::addColumn<int>("late");
        QTest::addColumn<qint64>("arrivesAtMs");
        QTest::addColumn<bool>("answered");
        // Started at 0.5 s: strict 2 s has its last pass at 2.0 s, inclusive
        // 1 s at 2.0 s; a pass before that at 1.9 s.
        QTest::newRow("strict, last pass, used") << true << int(LateAnswer::Used) << qint64(2000) << true;
        QTest::newRow("strict, last pass, rejected") << true << int(LateAnswer::Rejected) << qint64(2000) << false;
        QTest::newRow("strict, pass before, rejected form") << true << int(LateAnswer::Rejected) << qint64(1900) << true;
        QTest::newRow("inclusive, last pass, rejected") << false << int(LateAnswer::Rejected) << qint64(2000) << false;
        QTest::newRow("inclusive, last pass, used") << false << int(LateAnswer::Used) << qint64(2000) << true;
        QTest::newRow("inclusive, pass before") << false << int(LateAnswer::Rejected) << qint64(1900) << true;
        QTest::newRow("strict, after the last pass") << true << int(LateAnswer::Used) << qint64(2100) << false;
    }
    void answerInTheLastPass()
    {
        QFETCH(bool, strict);
        QFETCH(int, late);
        QFETCH(qint64, arrivesAtMs);
        QFETCH(bool, answered);

        CommandBench bench(LinkTransport::Tcp, 500);
        bench.device.deliverAt(arrivesAtMs, "$ZW001O!!");
        const auto answer = AwaitAnswer(bench.link, 9, strict ? 2 : 1,
                                        strict ? WaitForm::Strict : WaitForm::Inclusive, LateAnswer(late));
        QCOMPARE(bool(answer), answered);
        if (answered)
            QCOMPARE(*answer, QByteArray("$ZW001O!!"));
        // A rejected late answer is still taken out of the buffer.
        if (arrivesAtMs <= 2000)
            QCOMPARE(bench.device.pendingBytes(), qint64(0));
    }

    void answerNeedsTheMinimumCount()
    {
        CommandBench bench(LinkTransport::Serial);
        bench.device.deliverAt(200, "%PICOKXXX");
        bench.device.deliverAt(700, QByteArray(18, 'x')); // 27 characters in all
        QVERIFY(!AwaitAnswer(bench.link, 28, 1, WaitForm::Inclusive, LateAnswer::Rejected));
        QCOMPARE(bench.device.pendingBytes(), qint64(27)); // never read
        QCOMPARE(bench.clock.ms(), 2000);
    }

    void answerReturnsEverythingWaitingAtOnce()
    {
        CommandBench bench(LinkTransport::Tcp);
        bench.device.deliverAt(300, "$ZW001N");
        bench.device.deliverAt(600, "xx$ZW001O");
        const auto answer = AwaitAnswer(bench.link, 9, 2, WaitForm::Strict, LateAnswer::Used);
        QVERIFY(answer);
        QCOMPARE(*answer, QByteArray("$ZW001Nxx$ZW001O"));
        QCOMPARE(bench.clock.ms(), 600); // returned in the pass that saw it, no sleep after
    }

    void noChannelOrClosedDuringTheWait()
    {
        FakeClock clock;
        DeviceLink closed(clock);
        QVERIFY(!AwaitAnswer(closed, 1, 5, WaitForm::Strict, LateAnswer::Used));
        QCOMPARE(clock.ms(), 0); // a time-out at once
        CommandBench bench(LinkTransport::Serial);
        QTimer::singleShot(0, &bench.link, [&bench] { bench.link.CloseLink(); });
        QVERIFY(!AwaitAnswer(bench.link, 1, 5, WaitForm::Strict, LateAnswer::Used));
        QVERIFY(bench.clock.ms() < 5000);
    }

    // A few waits on the real clock, to show the system clock's sleep ends
    // the wait on the whole-second deadline.
    void realClockStrictWait()
    {
        SystemWholeSecondClock clock;
        DeviceLink link(clock);
        FakeClock unused;
        ScriptedChannel device(unused, LinkTransport::Serial);
        device.attachTo(link);

        QElapsedTimer timer;
        const qint64 startSecond = clock.now();
        timer.start();
        QVERIFY(!AwaitAnswer(link, 1, 1, WaitForm::Strict, LateAnswer::Used));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed <= 1100, qPrintable(QString::number(elapsed)));
        QVERIFY(clock.now() >= startSecond + 1);
    }
};

QTEST_GUILESS_MAIN(AwaitAnswerTest)
#include "tst_await_answer.moc"
