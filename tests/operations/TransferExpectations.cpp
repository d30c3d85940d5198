#include "operations/TransferExpectations.h"

#include "ControllerSimulator.h"
#include "operations/ExpectedFrames.h"
#include "schedule/DateTimeValue.h"

#include <QTest>

int slotsFor(int model)
{
    return model == ModelV3Times64 ? 64 : 24;
}

QList<QByteArray> recordWriteFrames(const RingCalendar &calendar, int n, bool tcp)
{
    QList<QByteArray> frames;
    for (int day = 1; day <= 7; ++day) {
        for (int slot = 1; slot <= n; ++slot) {
            const TimeOfDay t = timeOfDay(calendar.ringTime(day, slot));
            frames.append(Expected::recordWrite(day, slot, calendar.timeUsed(day, slot) == 1 ? 1 : 0,
                                                calendar.ringDuration(day, slot), t.hour, t.minute, tcp));
        }
    }
    return frames;
}

QList<QByteArray> recordReadFrames(int n, bool tcp)
{
    QList<QByteArray> frames;
    for (int day = 1; day <= 7; ++day)
        for (int slot = 1; slot <= n; ++slot)
            frames.append(Expected::recordRead(day, slot, tcp));
    return frames;
}

QByteArray expectedImage(const RingCalendar &calendar, QByteArray image)
{
    for (int d = 0; d < 7; ++d) {
        for (int s = 0; s < 24; ++s) {
            const int e = 24 + 96 * d + 4 * s;
            const TimeOfDay t = timeOfDay(calendar.ringTime(d + 1, s + 1));
            image[e] = char(calendar.timeUsed(d + 1, s + 1));
            image[e + 1] = char((t.hour / 10) * 16 + t.hour % 10);
            image[e + 2] = char((t.minute / 10) * 16 + t.minute % 10);
            image[e + 3] = char(calendar.ringDuration(d + 1, s + 1));
        }
    }
    return image;
}

QList<QByteArray> blockWriteFrames(const QByteArray &image)
{
    QList<QByteArray> frames{Expected::programModeRequest(5)};
    for (int address = 0; address <= 1024; address += 32)
        frames.append(Expected::blockWrite('C', address, image));
    frames.append(Expected::blockWrite('F', 1024, image));
    return frames;
}

QList<QByteArray> blockReadFrames()
{
    QList<QByteArray> frames{Expected::programModeRequest(6)};
    for (int address = 0; address < 1024; address += 32)
        frames.append(Expected::blockRead('C', address));
    frames.append(Expected::blockRead('F', 1024));
    return frames;
}

QStringList percentTexts(const QString &prefix, const QList<int> &values)
{
    QStringList texts;
    for (int value : values)
        texts.append(prefix + QString::number(value));
    return texts;
}

QList<int> blockPercents()
{
    QList<int> values;
    for (int address = 0; address <= 1024; address += 32)
        values.append(address * 100 / 1024);
    return values;
}

QList<int> recordPercents(int n)
{
    QList<int> values;
    for (int k = 0; k < 7 * n; ++k)
        values.append(k * 100 / (7 * n));
    return values;
}

QStringList statusTexts(const QSignalSpy &spy)
{
    QStringList texts;
    for (const QList<QVariant> &arguments : spy)
        texts.append(arguments.at(0).toString());
    return texts;
}

void compareSlots(const RingCalendar &actual, const RingCalendar &expected, int n)
{
    for (int day = 1; day <= 7; ++day) {
        for (int slot = 1; slot <= n; ++slot) {
            const QString where = QStringLiteral("day %1 slot %2").arg(day).arg(slot);
            QVERIFY2(actual.timeUsed(day, slot) == expected.timeUsed(day, slot), qPrintable(where));
            QVERIFY2(actual.ringDuration(day, slot) == expected.ringDuration(day, slot), qPrintable(where));
            QVERIFY2(hourMinuteText(actual.ringTime(day, slot)) == hourMinuteText(expected.ringTime(day, slot)),
                     qPrintable(where));
        }
    }
}


void loadRecords(ControllerSimulator &simulator, const RingCalendar &calendar)
{
    for (int day = 1; day <= 7; ++day) {
        for (int slot = 1; slot <= 64; ++slot) {
            const TimeOfDay t = timeOfDay(calendar.ringTime(day, slot));
            simulator.setRecord(day, slot, {calendar.timeUsed(day, slot) == 1 ? 1 : 0,
                                            calendar.ringDuration(day, slot), t.hour, t.minute});
        }
    }
}
