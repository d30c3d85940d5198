#include "operations/MemoryImage.h"
#include "protocol/CalendarRecordCommands.h"
#include "schedule/CalendarCommands.h"
#include "schedule/CalendarFile.h"
#include "schedule/CalendarText.h"
#include "schedule/DateTimeValue.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <limits>

// The text form against schedules the window itself makes: its clearing commands, time picker, and both ways of receiving.
class TestCalendarText : public QObject
{
    Q_OBJECT

private slots:
    void exportThenImportGivesTheSameBytes_data()
    {
        QTest::addColumn<RingCalendar>("calendar");

        RingCalendar factory;
        factory.DeviceVersion = qint16(DeviceModel::V3Times64);
        FactoryDefault(factory);
        QTest::newRow("factory default") << factory;
        QTest::newRow("never loaded: all zero") << RingCalendar();
        for (qint16 model = 0; model < ModelCount; ++model) {
            RingCalendar cleared;
            ClearAll(cleared, DeviceModel(model));
            cleared.setTimeUsed(3, 2, 1);
            cleared.setRingTime(3, 2, timeValue(QTime(23, 59)));
            QTest::newRow(qPrintable(QStringLiteral("cleared, model %1").arg(model))) << cleared;
        }

        RingCalendar picker = factory; // dtTime_Change keeps the picker's seconds
        picker.setRingTime(2, 5, timeValue(7, 45, 30));
        picker.setRingTime(7, 64, timeValue(0, 0, 59));
        QTest::newRow("picker times with seconds") << picker;

        MemoryImage image; // a V1 receive takes each slot's bytes as they come
        for (int offset = 0; offset < MemoryImage::Size; ++offset)
            image.setByte(offset, quint8(QRandomGenerator::global()->bounded(256)));
        RingCalendar v1;
        ApplyMemoryImage(image, v1);
        QTest::newRow("V1 receive of random bytes") << v1;

        RingCalendar records; // a record receive takes two characters of length
        records.DeviceVersion = qint16(DeviceModel::V2Times24);
        for (const QByteArray answer : {"$ZR001O1011-91230**", "$ZR001O4201992359**"}) {
            const SlotReading slot = slotFromRecordAnswer(answer);
            const int day = answer.mid(7, 1).toInt(), index = answer.mid(8, 2).toInt();
            records.setTimeUsed(day, index, slot.used);
            records.setRingDuration(day, index, slot.duration);
            if (slot.time)
                records.setRingTime(day, index, *slot.time);
        }
        QCOMPARE(records.ringDuration(1, 1), qint16(-9));
        QTest::newRow("record receive, odd lengths") << records;

        RingCalendar carried = factory; // values an older file may carry
        carried.setRingTime(1, 1, 45123.25);
        carried.setRingTime(1, 2, -0.0);
        carried.setRingTime(1, 3, std::numeric_limits<double>::quiet_NaN());
        carried.setRingTime(1, 4, 1e300);
        carried.setRingTime(1, 5, timeValue(6, 0) + 1e-12);
        carried.setTimeUsed(1, 6, -32768);
        carried.setRingDuration(1, 6, 32767);
        QTest::newRow("carried from older files") << carried;
    }

    void exportThenImportGivesTheSameBytes()
    {
        QFETCH(RingCalendar, calendar);
        const CalendarTextReading reading = readCalendarText(calendarToText(calendar));
        QVERIFY2(reading.ok(), qPrintable(reading.problems.value(0).toString()));
        QCOMPARE(reading.slotCount(), SlotTotal);
        RingCalendar back = clearedCalendar(DeviceModel::V1);
        reading.applyTo(back);
        QCOMPARE(calendarToBytes(back), calendarToBytes(calendar));
    }

    // The header, off slots and whole minutes are zilctl export's to pin; here the picker's seconds and a stored value.
    void textReadsAsPeopleExpect()
    {
        RingCalendar calendar;
        calendar.setRingTime(2, 5, timeValue(7, 45, 30));
        calendar.setRingTime(2, 6, 45123.25);
        QVERIFY(calendarToText(calendar).contains("\n2,5,0,07:45:30,0\n2,6,0,06:00@0x40E6086800000000,0\n"));
    }

    void wrongLinesAreRefusedWithLineAndField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem"); // its line is the number after "line "
        const auto row = [](const char *name, const QString &text, const char *problem) {
            QTest::newRow(name) << text << QString(problem);
        };
        const QString head = QStringLiteral("# model: v3-64\nday,slot,in_use,time,seconds\n1,1,1,06:00,3\n");
        row("day 0", head + "0,1,1,06:00,3", "line 4, day: '0' is not a day from 1 to 7");
        row("day 8", head + "8,1,1,06:00,3", "line 4, day: '8' is not a day from 1 to 7");
        row("slot 65", head + "1,65,1,06:00,3", "line 4, slot: '65' is not a slot from 1 to 64");
        row("slot 1.5", head + "1,1.5,1,06:00,3", "line 4, slot: '1.5' is not a slot from 1 to 64");
        row("in_use yes", head + "1,2,yes,06:00,3", "line 4, in_use: 'yes' is not a whole number from -32768 to 32767 (1 rings)");
        row("time 24:00", head + "1,2,1,24:00,3", "line 4, time: '24:00' is not a time from 00:00 to 23:59");
        row("time 7.45", head + "1,2,1,7.45,3", "line 4, time: '7.45' is not a time from 00:00 to 23:59");
        row("stored time edited", head + "1,2,1,07:00@0x40E6086800000000,3",
            "line 4, time: '07:00@0x40E6086800000000' names 07:00 but its stored value rings at 06:00; write the new time without "
            "the @ part");
        row("seconds 3.5", head + "1,2,1,06:00,3.5", "line 4, seconds: '3.5' is not a whole number of seconds from -32768 to 32767");
        row("seconds 40000", head + "1,2,1,06:00,40000", "line 4, seconds: '40000' is not a whole number of seconds from -32768 to 32767");
        row("repeated cell", head + "\n01,1,0,07:00,3", "line 5: day 1 slot 1 is given again (first on line 3)");
        row("four cells", head + "1,2,1,06:00", "line 4: 4 cells where 5 belong (day,slot,in_use,time,seconds)");
        row("no header", "# model: v1\n1,1,1,06:00,3\n",
            "line 2, header: missing; the text must start with the line 'day,slot,in_use,time,seconds'");
        row("data before header", "1,1,1,06:00,3\nday,slot,in_use,time,seconds\n",
            "line 1, header: '1,1,1,06:00,3' comes before the header line");
        row("unknown model", "# model: V4\nday,slot,in_use,time,seconds\n",
            "line 1, model: 'V4' is not a model (V1, V2  (24 Zaman), V2  (Int. Timer), V3  (64 Zaman), V3  (Int. Timer), or v1, "
            "v2-24, v2-int, v3-64, v3-int)");
        row("model twice", head + "# Model: V1", "line 4, model: given again (first on line 1)");
    }

    void wrongLinesAreRefusedWithLineAndField()
    {
        QFETCH(QString, text);
        QFETCH(QString, problem);
        const CalendarTextReading reading = readCalendarText(text);
        QCOMPARE(reading.problems.size(), 1);
        QCOMPARE(reading.problems[0].line, problem.section(QRegularExpression("[ ,:]"), 1, 1).toInt());
        QCOMPARE(reading.problems[0].toString(), problem);
        RingCalendar untouched;
        reading.applyTo(untouched);
        QCOMPARE(untouched, RingCalendar());
    }

    void slotsLeftOutKeepTheCalendarsValues()
    {
        RingCalendar calendar;
        calendar.DeviceVersion = qint16(DeviceModel::V1);
        FactoryDefault(calendar);
        const CalendarTextReading reading = readCalendarText(QStringLiteral("\xFEFF# Model:  V2 (int. timer) \r\n"
                                                                            "Day, Slot, In_Use, Time, Seconds\r\n"
                                                                            "# a comment\r\n 3 , 2 , 0 , 7:05 , 12 \r\n"));
        QVERIFY2(reading.ok(), qPrintable(reading.problems.value(0).toString()));
        RingCalendar expected = calendar;
        expected.DeviceVersion = qint16(DeviceModel::V2IntervalTimer);
        expected.setTimeUsed(3, 2, 0);
        expected.setRingTime(3, 2, timeValue(7, 5));
        expected.setRingDuration(3, 2, 12);
        reading.applyTo(calendar);
        QCOMPARE(calendar, expected);
    }
};

QTEST_GUILESS_MAIN(TestCalendarText)
#include "tst_calendar_text.moc"
