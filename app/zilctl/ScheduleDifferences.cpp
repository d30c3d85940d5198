#include "ScheduleDifferences.h"

#include "schedule/DateTimeValue.h"

namespace {
QString ringsText(qint16 timeUsed)
{
    return timeUsed == 1 ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

QString SlotDifference::toString() const
{
    return QStringLiteral("day %1, slot %2, %3: file %4, controller %5").arg(day).arg(slot).arg(field, inFile, onController);
}

QList<SlotDifference> scheduleDifferences(const RingCalendar &file, const RingCalendar &controller, int slotsPerDay,
                                          const QList<HeldTime> &heldTimes)
{
    const auto controllerTime = [&](int day, int slot) {
        for (const HeldTime &held : heldTimes) {
            if (held.day == day && held.slot == slot)
                return held.text + QStringLiteral(" (no time of day)");
        }
        return hourMinuteText(controller.ringTime(day, slot));
    };
    QList<SlotDifference> differences;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= slotsPerDay; ++slot) {
            const auto compare = [&](const char *field, const QString &inFile, const QString &onController) {
                if (inFile != onController)
                    differences.append({day, slot, QLatin1String(field), inFile, onController});
            };
            compare("in_use", ringsText(file.timeUsed(day, slot)), ringsText(controller.timeUsed(day, slot)));
            compare("time", hourMinuteText(file.ringTime(day, slot)), controllerTime(day, slot));
            compare("seconds", QString::number(file.ringDuration(day, slot)), QString::number(controller.ringDuration(day, slot)));
        }
    }
    return differences;
}
