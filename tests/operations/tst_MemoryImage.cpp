#include "operations/MemoryImage.h"
#include "operations/RecordAnswer.h"
#include "schedule/DateTimeValue.h"
#include "schedule/RingCalendar.h"

#include <QRandomGenerator>
#include <QTest>

class MemoryImageTest : public QObject
{
    Q_OBJECT

private slots:
    void fillLaysOutSlotEntries_data();
    void fillLaysOutSlotEntries();
    void fillLeavesBytesOutsideTheEntries();
    void applyReadsSlotEntries_data();
    void applyReadsSlotEntries();
    void applyLeavesSlotsAbove24AndTheModel();
    void blockDataCarries32BytesThen32Zeros();
    void storeBlockTakesByteValuesOnly();
    void recordAnswerFields_data();
    void recordAnswerFields();
    void failedRecordReads_data();
    void failedRecordReads();
    void anyBytesMakeAUsableSlot();
};

void MemoryImageTest::fillLaysOutSlotEntries_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("duration");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Monday slot 1, 07:45, 3 s") << 1 << 1 << 1 << 7 << 45 << 3 << 24 << QByteArray("\x01\x07\x45\x03", 4);
    QTest::newRow("Tuesday slot 1 at 120") << 2 << 1 << 0 << 19 << 5 << 30 << 120 << QByteArray("\x00\x19\x05\x1e", 4);
    QTest::newRow("Sunday slot 24 ends at 695") << 7 << 24 << 1 << 23 << 59 << 99 << 692 << QByteArray("\x01\x23\x59\x63", 4);
    QTest::newRow("used 2 goes in as it is") << 3 << 10 << 2 << 0 << 0 << 0 << 24 + 192 + 36 << QByteArray("\x02\x00\x00\x00", 4);
}

void MemoryImageTest::fillLaysOutSlotEntries()
{
    QFETCH(int, day);
    QFETCH(int, slot);
    QFETCH(int, used);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, duration);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    RingCalendar calendar;
    calendar.setTimeUsed(day, slot, qint16(used));
    calendar.setRingTime(day, slot, timeValue(hour, minute, 31)); // seconds are ignored
    calendar.setRingDuration(day, slot, qint16(duration));
    MemoryImage image;
    FillMemoryImage(image, calendar);
    QCOMPARE(MemoryImage::entryOffset(day - 1, slot - 1), offset);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(int(image.byte(offset + i)), int(quint8(bytes.at(i))));
}

void MemoryImageTest::fillLeavesBytesOutsideTheEntries()
{
    MemoryImage image;
    for (int offset : {0, 23, 27, 696, 1055, 1056, 8191})
        image.setByte(offset, 0xA5);
    image.setByte(24, 0x11);
    // Values that do not fit a byte leave the byte as it was.
    RingCalendar calendar;
    calendar.setTimeUsed(1, 1, 256);
    calendar.setRingDuration(1, 1, -1);
    calendar.setRingDuration(1, 2, 255);
    FillMemoryImage(image, calendar);
    for (int offset : {0, 23, 27, 696, 1055, 1056, 8191})
        QCOMPARE(int(image.byte(offset)), 0xA5);
    QCOMPARE(int(image.byte(24)), 0x11);
    QCOMPARE(int(image.byte(31)), 255);
    QCOMPARE(int(image.byte(695)), 0);
}

void MemoryImageTest::applyReadsSlotEntries_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("duration");
    QTest::addColumn<QString>("time"); // empty: the old time stays
    QTest::newRow("Monday 07:45") << 24 << QByteArray("\x01\x07\x45\x03", 4) << 1 << 3 << "07:45";
    QTest::newRow("hour 25 is no time") << 120 << QByteArray("\x00\x25\x10\x02", 4) << 0 << 2 << "";
    QTest::newRow("minute 60 is no time") << 24 << QByteArray("\x01\x10\x60\x05", 4) << 1 << 5 << "";
    QTest::newRow("hex letter is no digit") << 24 << QByteArray("\x01\x0A\x30\x05", 4) << 1 << 5 << "";
    QTest::newRow("used byte kept as it is") << 24 << QByteArray("\xFF\x23\x59\xFF", 4) << 255 << 255 << "23:59";
    QTest::newRow("midnight") << 692 << QByteArray("\x00\x00\x00\x00", 4) << 0 << 0 << "00:00";
}

void MemoryImageTest::applyReadsSlotEntries()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(int, used);
    QFETCH(int, duration);
    QFETCH(QString, time);
    const int entry = (offset - MemoryImage::FirstEntryOffset) / MemoryImage::EntryBytes;
    const int day = entry / 24 + 1, slot = entry % 24 + 1;
    MemoryImage image;
    for (int i = 0; i < 4; ++i)
        image.setByte(offset + i, quint8(bytes.at(i)));
    RingCalendar calendar;
    const double oldTime = timeValue(12, 34);
    calendar.setRingTime(day, slot, oldTime);
    ApplyMemoryImage(image, calendar);
    QCOMPARE(int(calendar.timeUsed(day, slot)), used);
    QCOMPARE(int(calendar.ringDuration(day, slot)), duration);
    QCOMPARE(hourMinuteText(calendar.ringTime(day, slot)), time.isEmpty() ? QStringLiteral("12:34") : time);
}

void MemoryImageTest::applyLeavesSlotsAbove24AndTheModel()
{
    RingCalendar calendar;
    calendar.DeviceVersion = 3;
    calendar.setTimeUsed(1, 25, 1);
    calendar.setRingDuration(7, 64, 9);
    calendar.setRingTime(4, 30, timeValue(8, 15));
    MemoryImage image;
    for (int offset = 0; offset < MemoryImage::Size; ++offset)
        image.setByte(offset, 0x09);
    ApplyMemoryImage(image, calendar);
    QCOMPARE(calendar.DeviceVersion, qint16(3));
    QCOMPARE(calendar.timeUsed(1, 25), qint16(1));
    QCOMPARE(calendar.ringDuration(7, 64), qint16(9));
    QCOMPARE(hourMinuteText(calendar.ringTime(4, 30)), QStringLiteral("08:15"));
    QCOMPARE(calendar.timeUsed(7, 24), qint16(9));
    QCOMPARE(hourMinuteText(calendar.ringTime(7, 24)), QStringLiteral("09:09"));
}

void MemoryImageTest::blockDataCarries32BytesThen32Zeros()
{
    MemoryImage image;
    for (int offset = 0; offset < MemoryImage::Size; ++offset)
        image.setByte(offset, quint8(offset % 251 + 1));
    const MemoryBlockData data = image.blockData(1024);
    for (int i = 0; i < 32; ++i)
        QCOMPARE(int(data[size_t(i)]), (1024 + i) % 251 + 1);
    for (int i = 32; i < 64; ++i)
        QCOMPARE(int(data[size_t(i)]), 0);
    // Addresses past the image give zeros, never a read out of bounds.
    const MemoryBlockData beyond = image.blockData(MemoryImage::Size - 8);
    QCOMPARE(int(beyond[7]), (MemoryImage::Size - 1) % 251 + 1);
    QCOMPARE(int(beyond[8]), 0);
}

void MemoryImageTest::storeBlockTakesByteValuesOnly()
{
    MemoryImage image;
    image.setByte(65, 0x77);
    image.setByte(66, 0x88);
    image.setByte(90, 0x99);
    ReplyData reply;
    reply << 0 << 300 << QStringLiteral("x") << 13;
    for (int i = 4; i < 26; ++i)
        reply << 255;
    image.storeBlock(64, reply); // 26 values: the rest of the block stays
    QCOMPARE(int(image.byte(64)), 0);
    QCOMPARE(int(image.byte(65)), 0x77);
    QCOMPARE(int(image.byte(66)), 0x88);
    QCOMPARE(int(image.byte(67)), 13);
    QCOMPARE(int(image.byte(89)), 255);
    QCOMPARE(int(image.byte(90)), 0x99);
}

void MemoryImageTest::recordAnswerFields_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("duration");
    QTest::addColumn<QString>("time"); // empty: the old time stays
    QTest::newRow("used, 05, 07:45") << QByteArray("$ZR001O0001050745**\r") << 1 << 5 << "07:45";
    QTest::newRow("used 0") << QByteArray("$ZR001O0000300000**\r") << 0 << 30 << "00:00";
    QTest::newRow("used 2 is not used") << QByteArray("$ZR001O0002122359**\r") << 0 << 12 << "23:59";
    QTest::newRow("noise before the marker") << QByteArray("x$Z$ZR001O0001101230") << 1 << 10 << "12:30";
    QTest::newRow("no marker: counted from the start") << QByteArray("abcdefghi1071015xxxx") << 1 << 7 << "10:15";
    QTest::newRow("letters in the fields") << QByteArray("$ZR001O000Xab25ZZ**\r") << 0 << 0 << "";
    QTest::newRow("hour 24") << QByteArray("$ZR001O0001022400**\r") << 1 << 2 << "";
    QTest::newRow("answer cut short") << QByteArray("$ZR001O0001") << 1 << 0 << "";
    QTest::newRow("blanks in the fields") << QByteArray("$ZR001O0001 4 907**") << 1 << 4 << "09:07";
}

void MemoryImageTest::recordAnswerFields()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, used);
    QFETCH(int, duration);
    QFETCH(QString, time);
    RingCalendar calendar;
    calendar.setTimeUsed(3, 5, 1);
    calendar.setRingDuration(3, 5, 17);
    calendar.setRingTime(3, 5, timeValue(6, 6));
    storeRecordAnswer(calendar, 3, 5, answer);
    QCOMPARE(int(calendar.timeUsed(3, 5)), used);
    QCOMPARE(int(calendar.ringDuration(3, 5)), duration);
    QCOMPARE(hourMinuteText(calendar.ringTime(3, 5)), time.isEmpty() ? QStringLiteral("06:06") : time);
    QCOMPARE(calendar.timeUsed(3, 6), qint16(0)); // nothing else touched
}

void MemoryImageTest::failedRecordReads_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("failed");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("ERROR") << QByteArray("ERROR") << true;
    QTest::newRow("TIMEOUT") << QByteArray("TIMEOUT") << true;
    QTest::newRow("lower case error is an answer") << QByteArray("error") << false;
    QTest::newRow("an answer") << QByteArray("$ZR001O0001050745**\r") << false;
}

void MemoryImageTest::failedRecordReads()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, failed);
    QCOMPARE(isFailedRecordRead(answer), failed);
}

void MemoryImageTest::anyBytesMakeAUsableSlot()
{
    // Whatever a controller sends, the slot ends up used or not, with a
    // length of at most two digits and a time of day.
    QRandomGenerator random(4711);
    static const char letters[] = "$ZR0123456789O -+.eE*\r\n\x00\xff";
    const QByteArray alphabet(letters, sizeof letters - 1);
    for (int round = 0; round < 3000; ++round) {
        QByteArray answer;
        const int length = int(random.bounded(40));
        for (int i = 0; i < length; ++i)
            answer.append(round % 2 ? char(random.bounded(256)) : alphabet.at(int(random.bounded(alphabet.size()))));
        if (round % 3 == 0)
            answer.insert(int(random.bounded(answer.size() + 1)), "$ZR001O");
        RingCalendar calendar;
        calendar.setRingTime(2, 2, timeValue(5, 5));
        storeRecordAnswer(calendar, 2, 2, answer);
        QVERIFY(calendar.timeUsed(2, 2) == 0 || calendar.timeUsed(2, 2) == 1);
        QVERIFY2(calendar.ringDuration(2, 2) >= -9 && calendar.ringDuration(2, 2) <= 99, answer.toHex().constData());
        const TimeOfDay t = timeOfDay(calendar.ringTime(2, 2));
        QVERIFY(t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second == 0);
    }
}

QTEST_GUILESS_MAIN(MemoryImageTest)
#include "tst_MemoryImage.moc"
