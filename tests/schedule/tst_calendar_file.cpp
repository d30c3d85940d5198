#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"

#include "support/FileBytes.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

qint16 int16At(const QByteArray &b, qsizetype offset)
{
    return qFromLittleEndian<qint16>(b.constData() + offset);
}

double doubleAt(const QByteArray &b, qsizetype offset)
{
    const quint64 bits = qFromLittleEndian<quint64>(b.constData() + offset);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

RingCalendar sampleCalendar()
{
    RingCalendar c;
    c.DeviceVersion = 3;
    for (int day = 1; day <= DayCount; ++day)
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            c.setTimeUsed(day, slot, qint16((day + slot) % 2));
            c.setRingDuration(day, slot, qint16(day * 100 + slot));
            c.setRingTime(day, slot, timeValue(slot % 24, day * 7));
        }
    return c;
}
} // namespace

class TestCalendarFile : public QObject
{
    Q_OBJECT

private slots:
    void flatIndexRunsDayFastest();
    void layoutPutsEveryFieldAtItsOffset();
    void fullFileRoundTripsByteForByte();
    void shortFilesLoadWhatTheyHold_data();
    void shortFilesLoadWhatTheyHold();
    void missingFileIsCreatedEmptyAndLeavesRecordZero();
    void longerFileKeepsItsTailAfterSave();
    void arbitraryFilesNeverCrash();
    void saveIntoUnwritablePlaceReportsAndKeepsOldFile();
    void saveInterruptedMidwayLeavesOldFileWhole();
};

void TestCalendarFile::flatIndexRunsDayFastest()
{
    QCOMPARE(RingCalendar::flatIndex(1, 1), 0);
    QCOMPARE(RingCalendar::flatIndex(7, 1), 6);
    QCOMPARE(RingCalendar::flatIndex(1, 2), 7);
    QCOMPARE(RingCalendar::flatIndex(7, 64), 447);
    for (auto [day, slot] : {std::pair{0, 1}, {8, 1}, {1, 0}, {1, 65}, {-1, -1}})
        QCOMPARE(RingCalendar::flatIndex(day, slot), -1);

    RingCalendar c;
    c.setTimeUsed(8, 1, 5); // dropped, nothing else touched
    QCOMPARE(c, RingCalendar());
    QCOMPARE(c.ringDuration(0, 0), qint16(0));
}

void TestCalendarFile::layoutPutsEveryFieldAtItsOffset()
{
    RingCalendar c;
    c.DeviceVersion = 4;
    c.setTimeUsed(1, 1, 1);
    c.setTimeUsed(7, 64, -2);
    c.setRingDuration(2, 1, 30);
    c.setRingTime(1, 1, timeValue(7, 45));
    c.setRingTime(1, 2, timeValue(19, 5));
    c.setRingTime(7, 64, 45000.25);

    const QByteArray b = calendarToBytes(c);
    QCOMPARE(b.size(), qsizetype(5378));
    QCOMPARE(b.left(2), QByteArray::fromHex("0400"));
    QCOMPARE(int16At(b, 2), qint16(1));                   // Monday slot 1
    QCOMPARE(int16At(b, 2 + 2 * 447), qint16(-2));        // Sunday slot 64
    QCOMPARE(int16At(b, 898 + 2 * 1), qint16(30));        // Tuesday slot 1
    QCOMPARE(doubleAt(b, 1794), timeValue(7, 45));        // right after the durations, no gap
    QCOMPARE(doubleAt(b, 1794 + 8 * 7), timeValue(19, 5)); // Monday slot 2
    QCOMPARE(doubleAt(b, 1794 + 8 * 447), 45000.25);
    QCOMPARE(b.mid(1794 + 8 * 447), QByteArray::fromHex("0000000008f9e540"));
}

void TestCalendarFile::fullFileRoundTripsByteForByte()
{
    QTemporaryDir dir;
    const QString path = calendarFilePath(dir.path());
    QByteArray original(CalendarFileSize, '\0');
    auto *rng = QRandomGenerator::global();
    for (char &byte : original)
        byte = char(rng->bounded(256)); // NaN patterns and odd values included
    QVERIFY(writeFileBytes(path, original));

    RingCalendar c;
    LoadCalendar(c, path);
    QVERIFY(SaveCalendar(c, path).isEmpty());
    QCOMPARE(readFileBytes(path), original);
}

void TestCalendarFile::shortFilesLoadWhatTheyHold_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("mondaySlot1Used");
    QTest::newRow("empty") << QByteArray() << 0 << 0;
    QTest::newRow("one byte") << QByteArray::fromHex("04") << 4 << 0;
    QTest::newRow("model only") << QByteArray::fromHex("0400") << 4 << 0;
    QTest::newRow("half an element") << QByteArray::fromHex("030001") << 3 << 1;
    QTest::newRow("first used flag") << QByteArray::fromHex("01000100") << 1 << 1;
    QTest::newRow("model 7 kept as read") << QByteArray::fromHex("0700") << 7 << 0;
    QTest::newRow("negative model") << QByteArray::fromHex("ffff") << -1 << 0;
}

void TestCalendarFile::shortFilesLoadWhatTheyHold()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, model);
    QFETCH(int, mondaySlot1Used);
    QTemporaryDir dir;
    const QString path = calendarFilePath(dir.path());
    QVERIFY(writeFileBytes(path, bytes));

    RingCalendar c;
    LoadCalendar(c, path);
    QCOMPARE(int(c.DeviceVersion), model);
    QCOMPARE(int(c.timeUsed(1, 1)), mondaySlot1Used);
    for (int i = 1; i < SlotTotal; ++i) {
        QCOMPARE(c.TimeUsed[i], qint16(0));
        QCOMPARE(c.RingDuration[i], qint16(0));
        QCOMPARE(c.RingTime[i], 0.0);
    }
    QCOMPARE(readFileBytes(path), bytes); // loading never writes
}

void TestCalendarFile::missingFileIsCreatedEmptyAndLeavesRecordZero()
{
    QTemporaryDir dir;
    const QString path = calendarFilePath(dir.path());
    RingCalendar c;
    LoadCalendar(c, path);
    QCOMPARE(c, RingCalendar());
    QVERIFY(QFile::exists(path));
    QCOMPARE(QFileInfo(path).size(), qint64(0));

    QVERIFY(SaveCalendar(c, path).isEmpty());
    QCOMPARE(readFileBytes(path), QByteArray(CalendarFileSize, '\0'));
}

void TestCalendarFile::longerFileKeepsItsTailAfterSave()
{
    QTemporaryDir dir;
    const QString path = calendarFilePath(dir.path());
    QByteArray original = calendarToBytes(RingCalendar());
    QByteArray tail(622, '\0');
    for (int i = 0; i < tail.size(); ++i)
        tail[i] = char(i * 7 + 1);
    QVERIFY(writeFileBytes(path, original + tail));

    RingCalendar c;
    LoadCalendar(c, path);
    QCOMPARE(c, RingCalendar()); // the tail is never read
    const RingCalendar edited = sampleCalendar();
    QVERIFY(SaveCalendar(edited, path).isEmpty());

    const QByteArray saved = readFileBytes(path);
    QCOMPARE(saved.size(), qsizetype(6000));
    QCOMPARE(saved.left(CalendarFileSize), calendarToBytes(edited));
    QCOMPARE(saved.mid(CalendarFileSize), tail);
}

void TestCalendarFile::arbitraryFilesNeverCrash()
{
    // Every length from empty to well past the record, random content: NaN and
    // infinite times, negative and huge durations, used flags other than 0/1.
    QTemporaryDir dir;
    const QString path = calendarFilePath(dir.path());
    auto *rng = QRandomGenerator::global();
    for (int length : {0, 1, 2, 3, 897, 898, 1793, 1794, 1795, 5377, 5378, 5379, 9000, 70000}) {
        QByteArray bytes(length, '\0');
        for (char &byte : bytes)
            byte = char(rng->bounded(256));
        QVERIFY(writeFileBytes(path, bytes));
        RingCalendar c;
        LoadCalendar(c, path);
        for (double t : c.RingTime) {
            const TimeOfDay tod = timeOfDay(t);
            QVERIFY(tod.hour >= 0 && tod.hour < 24 && tod.minute >= 0 && tod.minute < 60);
        }
        QVERIFY(SaveCalendar(c, path).isEmpty());
        const QByteArray saved = readFileBytes(path);
        QCOMPARE(saved.size(), std::max<qsizetype>(length, CalendarFileSize));
        QCOMPARE(saved.left(std::min<qsizetype>(length, CalendarFileSize)),
                 bytes.left(std::min<qsizetype>(length, CalendarFileSize)));
        QCOMPARE(saved.mid(CalendarFileSize), bytes.mid(CalendarFileSize));
    }
}

void TestCalendarFile::saveIntoUnwritablePlaceReportsAndKeepsOldFile()
{
    QTemporaryDir dir;
    // A regular file where the directory should be: fails for root as well.
    const QString notADirectory = dir.filePath("plain-file");
    QVERIFY(writeFileBytes(notADirectory, "x"));
    QVERIFY(!SaveCalendar(sampleCalendar(), calendarFilePath(notADirectory)).isEmpty());
    QCOMPARE(readFileBytes(notADirectory), QByteArray("x"));

    // The file's own name taken by a directory: the old content cannot be
    // replaced, and the save says so.
    const QString path = calendarFilePath(dir.path());
    QVERIFY(QDir(dir.path()).mkdir("RingCalendar.dat"));
    QVERIFY(!SaveCalendar(sampleCalendar(), path).isEmpty());
    QVERIFY(QFileInfo(path).isDir());
}

void TestCalendarFile::saveInterruptedMidwayLeavesOldFileWhole()
{
    // A file-size limit below the record's size makes the write fail halfway,
    // as a full disk would.
    QTemporaryDir dir;
    const QString path = calendarFilePath(dir.path());
    const QByteArray original = calendarToBytes(sampleCalendar());
    QVERIFY(writeFileBytes(path, original));

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 3000;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

    const QString error = SaveCalendar(RingCalendar(), path);

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY2(!error.isEmpty(), "a save that could not be completed must be reported");
    QCOMPARE(readFileBytes(path), original);
    const QStringList leftovers = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(leftovers, QStringList{"RingCalendar.dat"});
}

QTEST_GUILESS_MAIN(TestCalendarFile)
#include "tst_calendar_file.moc"
