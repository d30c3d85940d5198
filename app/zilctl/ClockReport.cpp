#include "ClockReport.h"

#include "operations/ClockText.h"

CommandResult clockReadResult(const ClockReading &reading, const QDateTime &pcTime)
{
    const std::optional<QDateTime> controllerTime = clockDateTime(reading);
    QJsonObject details{{QStringLiteral("clock_text"), clockLabelText(reading)},
                        {QStringLiteral("weekday"), reading.weekday},
                        {QStringLiteral("day_name"), DayName(reading.weekday)},
                        {QStringLiteral("pc_time"), pcTime.toString(Qt::ISODate)}};
    QString offset = QStringLiteral("offset from the PC clock: unknown, the controller's fields make no date");
    if (controllerTime) {
        const qint64 seconds = pcTime.secsTo(*controllerTime);
        details.insert(QStringLiteral("clock"), controllerTime->toString(Qt::ISODate));
        details.insert(QStringLiteral("offset_seconds"), seconds);
        offset = QStringLiteral("offset from the PC clock: %1%2 s").arg(seconds > 0 ? QStringLiteral("+") : QString()).arg(seconds);
    } else {
        details.insert(QStringLiteral("clock"), QJsonValue::Null);
        details.insert(QStringLiteral("offset_seconds"), QJsonValue::Null);
    }
    return {ExitCode::Success, clockLabelText(reading) + u'\n' + offset, {}, details};
}
