#include "operations/TransferProgress.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The index of the one lit arrow, -1 when none or several are lit, 6 when all are.
int litArrow(const TransferProgress &progress)
{
    int lit = -1, count = 0;
    for (int i = 0; i < TransferProgress::ArrowCount; ++i) {
        if (progress.arrowVisible(i)) {
            lit = i;
            ++count;
        }
    }
    if (count == TransferProgress::ArrowCount)
        return TransferProgress::ArrowCount;
    return count == 1 ? lit : -1;
}

} // namespace

class TransferProgressTest : public QObject
{
    Q_OBJECT

private slots:
    void otherDirectionKeepsTheArrowStill();
    void barNeverPassesItsMaximum_data();
    void barNeverPassesItsMaximum();
    void closeRulesAndArrowPictures();
    void timerTicksEvery200msWhileLoaded();
};

void TransferProgressTest::otherDirectionKeepsTheArrowStill()
{
    TransferProgress progress;
    progress.open(TransferProgress::ToController);
    progress.tick();
    progress.tick(); // next index 2
    progress.close();
    progress.open(7); // neither direction: the index stays and the arrow stands
    QCOMPARE(progress.ArrowIndex(), qint16(2));
    progress.tick();
    progress.tick();
    QCOMPARE(litArrow(progress), 2);
    QCOMPARE(progress.ArrowIndex(), qint16(2));
}

void TransferProgressTest::barNeverPassesItsMaximum_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("value");
    QTest::newRow("V1 blocks: 33 steps on 32") << 32 << 33 << 32;
    QTest::newRow("exactly full") << 168 << 168 << 168;
    QTest::newRow("half way") << 448 << 224 << 224;
    QTest::newRow("far beyond") << 3 << 1000 << 3;
    QTest::newRow("no steps at all") << 0 << 5 << 0;
    QTest::newRow("negative count") << -4 << 2 << 0;
}

void TransferProgressTest::barNeverPassesItsMaximum()
{
    QFETCH(int, maximum);
    QFETCH(int, steps);
    QFETCH(int, value);
    TransferProgress progress;
    progress.open(TransferProgress::ToController);
    progress.setStepCount(maximum);
    QCOMPARE(progress.value(), 0);
    for (int i = 0; i < steps; ++i)
        progress.step();
    QCOMPARE(progress.value(), value);
    QVERIFY(progress.value() <= progress.maximum());
    progress.resetBar();
    QCOMPARE(progress.value(), 0);
}

void TransferProgressTest::closeRulesAndArrowPictures()
{
    TransferProgress progress;
    QSignalSpy unloads(&progress, &TransferProgress::unloaded);
    QCOMPARE(progress.arrowPicture(), TransferProgress::ArrowPicture::Outlined);
    progress.open(TransferProgress::ToComputer);
    QCOMPARE(progress.arrowPicture(), TransferProgress::ArrowPicture::PointingLeft);
    QCOMPARE(progress.ArrowIndex(), qint16(5));
    // The close box is refused while the transfer runs ...
    QVERIFY(!progress.requestClose());
    QVERIFY(!progress.unload());
    QVERIFY(progress.isLoaded());
    QCOMPARE(unloads.count(), 0);
    QCOMPARE(progress.TransferRunning(), TransferProgress::Running);
    // ... and works after a cancel; the window stays until then.
    progress.cancel();
    QVERIFY(progress.cancelled());
    QCOMPARE(progress.TransferRunning(), TransferProgress::Stopped);
    QVERIFY(progress.isLoaded());
    QVERIFY(progress.requestClose());
    QVERIFY(!progress.isLoaded());
    QCOMPARE(unloads.count(), 1);

    progress.open(TransferProgress::ToController);
    QCOMPARE(progress.arrowPicture(), TransferProgress::ArrowPicture::PointingRight);
    QCOMPARE(progress.ArrowIndex(), qint16(0));
    progress.close();
    QCOMPARE(progress.TransferRunning(), TransferProgress::Stopped);
    QVERIFY(!progress.isLoaded());
    QCOMPARE(unloads.count(), 2);
    progress.close(); // a second close unloads nothing more
    progress.cancel(); // nor does a cancel after the end stop anything
    QCOMPARE(unloads.count(), 2);
    QCOMPARE(progress.TransferRunning(), TransferProgress::Stopped);
    progress.open(TransferProgress::ToController);
    QCOMPARE(progress.TransferRunning(), TransferProgress::Running);
}

void TransferProgressTest::timerTicksEvery200msWhileLoaded()
{
    TransferProgress progress;
    QSignalSpy ticks(&progress, &TransferProgress::arrowsChanged);
    progress.open(TransferProgress::ToController);
    // One real-time check: about five ticks a second, none after unloading.
    QTest::qWait(1100);
    QVERIFY2(ticks.count() >= 3 && ticks.count() <= 6, qPrintable(QString::number(ticks.count())));
    progress.close();
    const int afterClose = ticks.count();
    QTest::qWait(450);
    QCOMPARE(ticks.count(), afterClose);
}

QTEST_GUILESS_MAIN(TransferProgressTest)
#include "tst_TransferProgress.moc"
