#include "schedule/DateTimeValue.h"
#include "schedule/NumberText.h"

#include <QTest>
#include <cmath>
#include <limits>

class TestScheduleValues : public QObject
{
    Q_OBJECT

private slots:
    void timeOfDayOfAnyValue_data();
    void timeOfDayOfAnyValue();
    void parseTimeOfDay_data();
    void parseTimeOfDay();
    void hourMinuteTextDropsSeconds();
    void leadingValue_data();
    void leadingValue();
    void wholeValueRoundsHalvesToEven_data();
    void wholeValueRoundsHalvesToEven();
    void ringDurationRules_data();
    void ringDurationRules();
};

void TestScheduleValues::timeOfDayOfAnyValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("midnight") << 0.0 << 0 << 0 << 0;
    QTest::newRow("07:45:30 on a date") << 46000.0 + timeValue(7, 45, 30) << 7 << 45 << 30;
    QTest::newRow("noon before 1899") << -1.5 << 12 << 0 << 0;
    QTest::newRow("23:59:59") << timeValue(23, 59, 59) << 23 << 59 << 59;
    QTest::newRow("rounds up to midnight") << 0.9999999999 << 0 << 0 << 0;
    QTest::newRow("NaN") << std::nan("") << 0 << 0 << 0;
    QTest::newRow("+inf") << inf << 0 << 0 << 0;
    QTest::newRow("-inf") << -inf << 0 << 0 << 0;
    QTest::newRow("beyond year 9999") << 1e300 << 0 << 0 << 0;
    QTest::newRow("before year 100") << -1e7 << 0 << 0 << 0;
}

void TestScheduleValues::timeOfDayOfAnyValue()
{
    QFETCH(double, value);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    const TimeOfDay t = timeOfDay(value);
    QCOMPARE(t.hour, hour);
    QCOMPARE(t.minute, minute);
    QCOMPARE(t.second, second);
}

void TestScheduleValues::parseTimeOfDay_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");

    QTest::newRow("07:45:00") << "07:45:00" << true << 7 << 45;
    QTest::newRow("00:00") << "00:00" << true << 0 << 0;
    QTest::newRow("23:59:00") << "23:59:00" << true << 23 << 59;
    QTest::newRow("single digits") << "7:5" << true << 7 << 5;
    QTest::newRow("blanks around") << " 06:00:00 " << true << 6 << 0;
    QTest::newRow("hour 25") << "25:10:00" << false << 0 << 0;
    QTest::newRow("hour 24") << "24:00:00" << false << 0 << 0;
    QTest::newRow("minute 60") << "12:60:00" << false << 0 << 0;
    QTest::newRow("hex digit") << "0A:00:00" << false << 0 << 0;
    QTest::newRow("letters") << "ab:cd:00" << false << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0;
    QTest::newRow("colon only") << ":" << false << 0 << 0;
    QTest::newRow("no colon") << "0745" << false << 0 << 0;
    QTest::newRow("too many fields") << "1:2:3:4" << false << 0 << 0;
    QTest::newRow("three digits") << "007:45:00" << false << 0 << 0;
    QTest::newRow("sign") << "-1:00:00" << false << 0 << 0;
}

void TestScheduleValues::parseTimeOfDay()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, hour);
    QFETCH(int, minute);
    const auto value = ::parseTimeOfDay(text);
    QCOMPARE(value.has_value(), valid);
    if (valid) {
        QCOMPARE(*value, timeValue(hour, minute));
        QCOMPARE(std::trunc(*value), 0.0);
    }
}

void TestScheduleValues::hourMinuteTextDropsSeconds()
{
    QCOMPARE(hourMinuteText(45000 + timeValue(7, 45, 30)), QString("07:45"));
    QCOMPARE(hourMinuteText(timeValue(19, 5)), QString("19:05"));
    QCOMPARE(hourMinuteText(std::nan("")), QString("00:00"));
}

void TestScheduleValues::leadingValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "15" << 15.0;
    QTest::newRow("leading zero") << "05" << 5.0;
    QTest::newRow("blanks skipped") << "  1 2 " << 12.0;
    QTest::newRow("decimal point") << "2.5" << 2.5;
    QTest::newRow("comma stops") << "2,5" << 2.0;
    QTest::newRow("trailing letters") << "30sn" << 30.0;
    QTest::newRow("letters first") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("exponent") << "1e2" << 100.0;
    QTest::newRow("unfinished exponent") << "12e" << 12.0;
    QTest::newRow("overflowing exponent") << "1e999" << 0.0;
    QTest::newRow("dot only") << "." << 0.0;
    QTest::newRow("two points") << "1.2.3" << 1.2;
    QTest::newRow("huge") << "99999999999999999999" << 1e20;
}

void TestScheduleValues::leadingValue()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(::leadingValue(text), value);
}

void TestScheduleValues::wholeValueRoundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("whole"); // 99999 = does not fit
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("30.4") << 30.4 << 30;
    QTest::newRow("32767.4") << 32767.4 << 32767;
    QTest::newRow("32767.5") << 32767.5 << 99999;
    QTest::newRow("-32768.5") << -32768.5 << -32768;
    QTest::newRow("-32769") << -32769.0 << 99999;
    QTest::newRow("NaN") << std::nan("") << 99999;
}

void TestScheduleValues::wholeValueRoundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(int, whole);
    const auto result = wholeValue(value);
    if (whole == 99999)
        QVERIFY(!result);
    else
        QCOMPARE(int(result.value()), whole);
}

void TestScheduleValues::ringDurationRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lowerBound");
    QTest::addColumn<int>("fallback");
    QTest::addColumn<int>("stored");
    QTest::newRow("1 typed") << "1" << 1 << 3 << 1;
    QTest::newRow("1 by picker") << "1" << 2 << 2 << 2;
    QTest::newRow("30") << "30" << 1 << 3 << 30;
    QTest::newRow("30.4 above 30") << "30.4" << 2 << 2 << 2;
    QTest::newRow("29.6 rounds up") << "29.6" << 2 << 2 << 30;
    QTest::newRow("30.6 out of range") << "30.6" << 1 << 3 << 3;
    QTest::newRow("0.5 below 1") << "0.5" << 1 << 3 << 3;
    QTest::newRow("1.5 to even") << "1.5" << 1 << 3 << 2;
    QTest::newRow("2.5 to even") << "2.5" << 2 << 2 << 2;
    QTest::newRow("45") << "45" << 1 << 3 << 3;
    QTest::newRow("empty") << "" << 2 << 2 << 2;
    QTest::newRow("letters") << "abc" << 1 << 3 << 3;
    QTest::newRow("blanks") << "  7 " << 1 << 3 << 7;
    QTest::newRow("negative") << "-3" << 1 << 3 << 3;
    QTest::newRow("huge") << "1e30" << 2 << 2 << 2;
}

void TestScheduleValues::ringDurationRules()
{
    QFETCH(QString, text);
    QFETCH(int, lowerBound);
    QFETCH(int, fallback);
    QFETCH(int, stored);
    QCOMPARE(int(ringDurationFromText(text, lowerBound, qint16(fallback))), stored);
}

QTEST_GUILESS_MAIN(TestScheduleValues)
#include "tst_schedule_values.moc"
