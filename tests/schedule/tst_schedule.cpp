// The schedule record, its two files, and the number and time readers.
#include "schedule/CalendarCommands.h"
#include "schedule/CalendarFile.h"
#include "schedule/DateTimeValue.h"
#include "schedule/NumberText.h"
#include "schedule/SettingsFile.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
const double NaN = qQNaN(), Inf = qInf();
constexpr int Refused = -1;                // the row's input must be refused
using SlotRow = std::tuple<int, int, int>; // day, slot, flat index

// Different bytes at every offset for every seed, so a shifted field shows.
QByteArray patternBytes(qsizetype size, int seed)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 256 + seed);
    return bytes;
}

// Something different in every slot of every array.
RingCalendar busyCalendar()
{
    RingCalendar calendar;
    calendar.DeviceVersion = qint16(DeviceModel::V3Times64);
    for (int i = 0; i < 448; ++i) {
        calendar.TimeUsed[i] = qint16(1000 + i);
        calendar.RingDuration[i] = qint16(-1 - i);
        calendar.RingTime[i] = i / 10.0;
    }
    return calendar;
}
} // namespace

class TestSchedule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Each array's element lands at its computed offset, little-endian, and nowhere else; and reads back.
    void slotsAndFileLayout_data()
    {
        QTest::addColumn<SlotRow>("row");
        for (auto [day, slot, flat] : {std::tuple{1, 1, 0}, {7, 1, 6}, {1, 2, 7}, {2, 3, 15}, {7, 64, 447}})
            QTest::addRow("day %d slot %d", day, slot) << SlotRow{day, slot, flat};
        for (auto [day, slot] : {std::pair{0, 1}, {8, 1}, {1, 0}, {1, 65}, {-1, 1}, {1, -1}})
            QTest::addRow("day %d slot %d", day, slot) << SlotRow{day, slot, Refused};
    }
    void slotsAndFileLayout()
    {
        QFETCH(SlotRow, row);
        const auto [day, slot, flat] = row;
        QCOMPARE(RingCalendar::flatIndex(day, slot), flat);
        RingCalendar calendar;
        calendar.DeviceVersion = 0x0102;
        calendar.setTimeUsed(day, slot, -292);
        calendar.setRingDuration(day, slot, 0x1234);
        calendar.setRingTime(day, slot, 45000.25);
        QByteArray image(5378, '\0');
        image.replace(0, 2, QByteArray::fromHex("0201"));
        if (flat != Refused) { // out of range, writes are dropped
            image.replace(2 + 2 * flat, 2, QByteArray::fromHex("dcfe"));
            image.replace(898 + 2 * flat, 2, QByteArray::fromHex("3412"));
            image.replace(1794 + 8 * flat, 8, QByteArray::fromHex("0000000008f9e540"));
        }
        QCOMPARE(calendarToBytes(calendar), image);
        RingCalendar read;
        overlayCalendarBytes(read, image);
        QVERIFY(read == calendar);
        using Slot = std::tuple<qint16, qint16, double>;
        QCOMPARE(Slot(read.timeUsed(day, slot), read.ringDuration(day, slot), read.ringTime(day, slot)),
                 flat == Refused ? Slot(0, 0, 0.0) : Slot(-292, 0x1234, 45000.25)); // reads out of range give 0
    }

    // Any length: what the file holds is read, the rest keeps its value; a save keeps the tail.
    void loadAndSaveAnyLength_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 2, 3, 897, 898, 899, 1793, 1794, 1795, 5377, 5378, 5379, 6000})
            QTest::addRow("%d bytes", length) << length;
    }
    void loadAndSaveAnyLength()
    {
        QFETCH(int, length);
        QTemporaryDir dir;
        const QString path = calendarFilePath(dir.path());
        const QByteArray file = patternBytes(length, 2); // NaN and huge times, odd flags
        QVERIFY(writeFileBytes(path, file));
        RingCalendar calendar;
        overlayCalendarBytes(calendar, patternBytes(5378, 1));
        LoadCalendar(calendar, path);
        QCOMPARE(calendarToBytes(calendar), file.left(5378) + patternBytes(5378, 1).mid(length));
        QCOMPARE(readFileBytes(path), file); // loading never writes
        overlayCalendarBytes(calendar, patternBytes(5378, 3));
        QCOMPARE(SaveCalendar(calendar, path).error(), QString());
        QCOMPARE(readFileBytes(path), patternBytes(5378, 3) + file.mid(5378));
    }

    void missingOrBlockedFiles()
    {
        QTemporaryDir dir;
        RingCalendar calendar = busyCalendar();
        RingerSettings settings{7, 2};
        LoadCalendar(calendar, calendarFilePath(dir.path())); // missing: created empty, the record kept
        LoadSettings(settings, settingsFilePath(dir.path()));
        QVERIFY(calendar == busyCalendar() && settings == (RingerSettings{7, 2}));
        QCOMPARE(readFileBytes(calendarFilePath(dir.path())) + readFileBytes(settingsFilePath(dir.path())), QByteArray());

        QVERIFY(QDir(dir.path()).mkpath("blocked/RingCalendar.dat/kept") && writeFileBytes(dir.filePath("plain"), "x"));
        // A directory in the way, a folder that is not there, a file where the folder should be.
        for (const QString &path :
             {dir.filePath("blocked/RingCalendar.dat"), dir.filePath("missing/RingCalendar.dat"), dir.filePath("plain/RingCalendar.dat")})
            QVERIFY2(!SaveCalendar(busyCalendar(), path), qPrintable(path));
        QVERIFY(!SaveSettings(RingerSettings{2, 0}, dir.filePath("missing/Ringer.ini")));
        QVERIFY(QFileInfo(dir.filePath("blocked/RingCalendar.dat/kept")).isDir());
        QCOMPARE(readFileBytes(dir.filePath("plain")), QByteArray("x"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"blocked", "plain", "RingCalendar.dat", "Ringer.ini"})); // and nothing left behind
    }

    // "file in hex|PortNo|Reserved|file after a save", loaded over PortNo 7 and Reserved 2, which the bytes a file lacks keep.
    void settingsFile_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row : {"|7|2|07000200", "05|5|2|05000200", "020007|2|5|02000500", "03000000|3|0|03000000", "00000500|0|5|00000500",
                                "10000000|16|0|10000000", "11000600|1|5|01000500", "ffffffff|1|-1|0100ffff", "ff7f0080|1|-32768|01000080",
                                "0300040041424344|3|4|0300040041424344"})
            QTest::newRow(row) << QString(row);
    }
    void settingsFile()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        QTemporaryDir dir;
        const QString path = settingsFilePath(dir.path());
        QVERIFY(writeFileBytes(path, QByteArray::fromHex(f[0].toLatin1())));
        RingerSettings settings{7, 2};
        LoadSettings(settings, path);
        QCOMPARE(std::pair(int(settings.PortNo), int(settings.Reserved)), std::pair(f[1].toInt(), f[2].toInt()));
        QCOMPARE(SaveSettings(settings, path).error(), QString());
        QCOMPARE(readFileBytes(path).toHex(), f[3].toLatin1());
    }

    // "text|leading value", with "|n" when the whole text is a number (in the C locale).
    void isNumericAndLeadingValue_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row :
             {"15|15|n", " -3.5 |-3.5|n", " \t\r\n1 2 |12", ".5|0.5|n",  "5.|5|n",    "2,5|2",   "30sn|30",    "abc|0",  "|0",
              "   |0",   "+4|4|n",        "5-3|5",          "1e2|100|n", "1E2|100|n", "1d2|100", "1e-1|0.1|n", "12e|12", "12e-|12",
              "e5|0",    "1e2e3|100",     "1e2.5|100",      "1e999|0",   ".|0",       "-|0",     "1.2.3|1.2"})
            QTest::newRow(QByteArray(row).toPercentEncoding(" |")) << QString(row);
    }
    void isNumericAndLeadingValue()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        QCOMPARE(isNumeric(f[0]), f.size() > 2);
        QCOMPARE(leadingValue(f[0]), f[1].toDouble());
    }

    void wholeValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("whole");
        for (auto [value, whole] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {30.4, 30}, {32767.4, 32767}, {-32768.5, -32768}})
            QTest::addRow("%g", value) << value << whole;
        for (double value : {32767.5, -32768.6, NaN, Inf, -Inf})
            QTest::addRow("%g", value) << value << Refused;
    }
    void wholeValue()
    {
        QFETCH(double, value);
        QFETCH(int, whole);
        QCOMPARE(::wholeValue(value) ? int(*::wholeValue(value)) : Refused, whole);
    }

    // "text|lower bound|stored". Typed: kept from 1, else 3. Picker and "Uygula": kept from 2, else 2.
    void ringDurationFromText_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row : {"1|1|1", "1|2|2", "0.99|1|3", "1.5|1|2", "2.5|2|2", "30|1|30", "29.6|2|30", "30.4|2|2", "30.01|1|3",
                                "31|1|3", "  7 |1|7", "|1|3", "abc|2|2", "-3|1|3", "1e30|1|3"})
            QTest::newRow(row) << QString(row);
    }
    void ringDurationFromText()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        const int lowerBound = f[1].toInt();
        QCOMPARE(int(::ringDurationFromText(f[0], lowerBound, lowerBound == 1 ? 3 : 2)), f[2].toInt());
    }

    void timeOfDay_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QTime>("time");
        for (auto [value, time] : {std::pair{46000 + 27930 / 86400.0, QTime(7, 45, 30)}, // on a date
                                   {86399 / 86400.0, QTime(23, 59, 59)},
                                   {-1.25, QTime(6, 0)},
                                   {-657433.5, QTime(12, 0)},
                                   {2958465.5, QTime(12, 0)}})
            QTest::addRow("%.10g", value) << value << time;
        // 0.9999999999 rounds up to midnight; the rest lie outside the dates a time can be on.
        for (double value : {0.0, 0.9999999999, -657434.5, 2958466.5, 1e300, NaN, Inf, -Inf})
            QTest::addRow("%.10g", value) << value << QTime(0, 0);
    }
    void timeOfDay()
    {
        QFETCH(double, value);
        QFETCH(QTime, time);
        const TimeOfDay t = ::timeOfDay(value);
        QCOMPARE(QTime(t.hour, t.minute, t.second), time);
        QCOMPARE(toQTime(value), time);
        QCOMPARE(hourMinuteText(value), time.toString("HH:mm"));
    }

    void parseTimeOfDay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");
        for (auto [text, seconds] :
             {std::pair{"07:45", 27900}, {"7:5", 25500}, {" 06:00 ", 21600}, {"00:00:00", 0}, {"09:59:59", 35999}, {"23:59:59", 86399}})
            QTest::addRow("'%s'", text) << QString(text) << seconds;
        for (const char *text :
             {"24:00", "12:60", "12:00:60", "0A:00", "1/:00", "-1:00", "007:45", "12:", "12:00:", "", ":", "0745", "1:2:3:4"})
            QTest::addRow("'%s'", text) << QString(text) << Refused;
    }
    void parseTimeOfDay()
    {
        QFETCH(QString, text);
        QFETCH(int, seconds);
        const std::optional<double> value = ::parseTimeOfDay(text);
        QCOMPARE(value ? *value * 86400 : double(Refused), double(seconds)); // date part 0
        // A picker's time gives the same value; an invalid one reads as midnight.
        QCOMPARE(timeValue(value ? QTime(0, 0).addSecs(seconds) : QTime()), value.value_or(0.0));
    }

    void calendarCommands()
    {
        RingCalendar calendar = busyCalendar(), expected;
        expected.RingDuration.fill(3);
        expected.DeviceVersion = qint16(DeviceModel::V2IntervalTimer); // the window's model
        ClearAll(calendar, DeviceModel::V2IntervalTimer);
        QVERIFY(calendar == expected);

        calendar = busyCalendar();
        expected.DeviceVersion = qint16(DeviceModel::V3Times64); // kept
        for (int day = 1; day <= 7; ++day)
            for (int slot = 1; slot <= 8; ++slot) { // 06:00, 08:00 .. 20:00
                expected.setTimeUsed(day, slot, 1);
                expected.setRingTime(day, slot, timeValue(4 + 2 * slot, 0));
            }
        FactoryDefault(calendar);
        QVERIFY(calendar == expected);

        for (int day : {2, 7, 1, 0, 8}) { // Monday itself and days outside the week change nothing
            calendar = expected = busyCalendar();
            for (int slot = 1; slot <= 64 && day >= 2 && day <= 7; ++slot) {
                expected.setTimeUsed(day, slot, calendar.timeUsed(1, slot));
                expected.setRingDuration(day, slot, calendar.ringDuration(1, slot));
                expected.setRingTime(day, slot, calendar.ringTime(1, slot));
            }
            CopyFromMonday(calendar, day);
            QVERIFY2(calendar == expected, qPrintable(QString("day %1").arg(day)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSchedule)
#include "tst_schedule.moc"
