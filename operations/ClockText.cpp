#include "operations/ClockText.h"

#include "protocol/RecordDeviceCommands.h"
#include "schedule/NumberText.h"

QString programModeClockText(const ReplyData &reply)
{
    const auto field = [&reply](int i) { return reply.value(i).toString(); };
    const QString weekday = field(6);
    const int dayOfWeek = isNumeric(weekday) ? wholeValue(leadingValue(weekday)).value_or(0) : 0;
    return field(0) + u'/' + field(1) + QLatin1String("/20") + field(2) + u' ' + field(3) + u':' + field(4)
        + u':' + field(5) + QLatin1String(", ") + DayName(dayOfWeek);
}
