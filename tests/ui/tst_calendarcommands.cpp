// The editor's whole-record commands and the PC clock text, without a window.
#include "schedule/DateTimeValue.h"
#include "schedule/CalendarCommands.h"
#include "ui/PcClockText.h"

#include <QTest>

namespace {
// A record with something different in every slot, so a command that skips
// or misplaces a slot shows.
RingCalendar busyCalendar()
{
    RingCalendar calendar;
    calendar.DeviceVersion = ModelV3Times64;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, qint16((day + slot) % 2));
            calendar.setRingDuration(day, slot, qint16(day * 100 + slot));
            calendar.setRingTime(day, slot, day * 1000.0 + timeValue(slot % 24, day, 30));
        }
    }
    return calendar;
}
} // namespace

class CalendarCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void clearAllEmptiesEveryDayAndTakesTheWindowsModel()
    {
        RingCalendar calendar = busyCalendar();
        ClearAll(calendar, ModelV2IntervalTimer);
        QCOMPARE(calendar.DeviceVersion, qint16(ModelV2IntervalTimer));
        for (int i = 0; i < SlotTotal; ++i) {
            QCOMPARE(calendar.TimeUsed[i], qint16(0));
            QCOMPARE(calendar.RingDuration[i], qint16(3));
            QCOMPARE(calendar.RingTime[i], 0.0);
        }
    }

    void factoryDefaultRingsEightTimesEveryDayAndKeepsTheModel()
    {
        RingCalendar calendar = busyCalendar();
        FactoryDefault(calendar);
        QCOMPARE(calendar.DeviceVersion, qint16(ModelV3Times64));
        const QStringList expectedTimes = {"06:00", "08:00", "10:00", "12:00", "14:00", "16:00", "18:00", "20:00"};
        for (int day = 1; day <= DayCount; ++day) {
            for (int slot = 1; slot <= SlotsPerDay; ++slot) {
                const bool rings = slot <= 8;
                QCOMPARE(calendar.timeUsed(day, slot), qint16(rings ? 1 : 0));
                QCOMPARE(calendar.ringDuration(day, slot), qint16(3));
                const double expected = rings ? *parseTimeOfDay(expectedTimes[slot - 1]) : 0.0;
                QCOMPARE(calendar.ringTime(day, slot), expected);
            }
        }
        // Date part 0: the value is the fraction of the day alone.
        QCOMPARE(calendar.ringTime(7, 8), 20.0 / 24.0);
    }

    void copyFromMondayCopiesAll64SlotsIntoThatDayOnly()
    {
        const RingCalendar before = busyCalendar();
        RingCalendar calendar = before;
        CopyFromMonday(calendar, 6);
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            QCOMPARE(calendar.timeUsed(6, slot), before.timeUsed(1, slot));
            QCOMPARE(calendar.ringDuration(6, slot), before.ringDuration(1, slot));
            QCOMPARE(calendar.ringTime(6, slot), before.ringTime(1, slot));
            for (int day : {1, 2, 3, 4, 5, 7}) {
                QCOMPARE(calendar.ringDuration(day, slot), before.ringDuration(day, slot));
                QCOMPARE(calendar.ringTime(day, slot), before.ringTime(day, slot));
            }
        }
    }

    void copyFromMondayIgnoresDaysOutsideTheWeek()
    {
        for (int day : {0, 8, -1}) {
            RingCalendar calendar = busyCalendar();
            CopyFromMonday(calendar, day);
            QVERIFY2(calendar == busyCalendar(), qPrintable(QString::number(day)));
        }
    }

    void pcClockTextFollowsTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Turkish") << QLocale(QLocale::Turkish, QLocale::Turkey) << "05.12.2026 14:03:09, Cumartesi";
        QTest::newRow("US English") << QLocale(QLocale::English, QLocale::UnitedStates) << "05/12/2026 14:03:09, Saturday";
        QTest::newRow("C") << QLocale::c() << "05/12/2026 14:03:09, Saturday";
        QTest::newRow("Finnish time dots") << QLocale(QLocale::Finnish, QLocale::Finland) << "05.12.2026 14.03.09, lauantaina";
    }
    void pcClockTextFollowsTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        const QDateTime saturday(QDate(2026, 12, 5), QTime(14, 3, 9));
        QCOMPARE(pcClockText(saturday, locale), expected);
    }

    void pcClockTextPadsSmallNumbers()
    {
        const QDateTime morning(QDate(987, 1, 2), QTime(0, 0, 1));
        QCOMPARE(pcClockText(morning, QLocale::c()), QStringLiteral("02/01/0987 00:00:01, Tuesday"));
    }
};

QTEST_APPLESS_MAIN(CalendarCommandsTest)
#include "tst_calendarcommands.moc"
