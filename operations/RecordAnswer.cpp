#include "operations/RecordAnswer.h"

#include "link/FrameEncoding.h"
#include "protocol/CalendarRecordCommands.h"
#include "schedule/DateTimeValue.h"
#include "schedule/NumberText.h"
#include "schedule/RingCalendar.h"

#include <QString>

namespace {

const QByteArray RecordReadMarker = QByteArrayLiteral("$ZR");
constexpr int UsedAt = 10;
constexpr int DurationAt = 11;
constexpr int HourAt = 13;
constexpr int MinuteAt = 15;

// Characters travel one a byte.
QString fieldText(const QByteArray &answer, int position, int length)
{
    return QString::fromLatin1(answerField(answer, position, length));
}

} // namespace

bool isFailedRecordRead(const QByteArray &answer)
{
    return answer.isEmpty() || answer == RecordReadError || answer == RecordReadTimeout;
}

void storeRecordAnswer(RingCalendar &calendar, int day, int slot, const QByteArray &answer)
{
    const int p = answerPosition(answer, RecordReadMarker);
    const bool used = leadingValue(fieldText(answer, p + UsedAt, 1)) == 1.0;
    calendar.setTimeUsed(day, slot, used ? 1 : 0);
    calendar.setRingDuration(day, slot, wholeValue(leadingValue(fieldText(answer, p + DurationAt, 2))).value_or(0));
    const QString time = fieldText(answer, p + HourAt, 2) + u':' + fieldText(answer, p + MinuteAt, 2) + QLatin1String(":00");
    if (const auto value = parseTimeOfDay(time))
        calendar.setRingTime(day, slot, *value);
}
