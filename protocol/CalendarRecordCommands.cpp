#include "protocol/CalendarRecordCommands.h"

#include "protocol/Exchange.h"
#include "protocol/FrameEncoding.h"
#include "schedule/DateTimeValue.h"
#include "schedule/NumberText.h"

namespace {
const QByteArray RecordWrite = QByteArrayLiteral("%ZW001");
const QByteArray RecordRead = QByteArrayLiteral("%ZR001");
const QByteArray WriteAnswerStart(Commands::RecordWrite.marker);
const QByteArray ReadAnswerStart(Commands::RecordRead.marker);
const QByteArray StatusCarriedOut = QByteArrayLiteral("O");

// "$", two letters and "001" come before the status character.
constexpr int StatusOffset = 6;
// Fields of a read answer, 1-based from its "$ZR".
constexpr int UsedAt = 10;
constexpr int DurationAt = 11;
constexpr int HourAt = 13;
constexpr int MinuteAt = 15;

QByteArray field(qint16 value, qint16 width)
{
    return FormatDecimal(value, width).toLatin1();
}

// The status character of the first answer starting with `answerStart`. A
// text without one is read from its first character, so it counts only when
// it starts with the answer's letters; otherwise there is no status.
QByteArray statusOf(const QByteArray &received, const QByteArray &answerStart)
{
    const int position = answerPosition(received, answerStart);
    if (position == 0 && !received.startsWith(answerStart.mid(1)))
        return {};
    return answerField(received, position + StatusOffset, 1);
}

QString fieldText(const QByteArray &answer, int position, int length)
{
    return QString::fromLatin1(answerField(answer, position, length));
}
} // namespace

QByteArray writeCalendarRecordFrame(qint16 day, qint16 slot, qint16 used, qint16 duration, qint16 hourByte, qint16 minuteByte)
{
    return RecordWrite + field(day, 1) + field(slot, 2) + field(used, 1) + field(duration, 2) + FormatHex2(hourByte).toLatin1() +
           FormatHex2(minuteByte).toLatin1() + FrameEndMarker + FrameTerminator;
}

QByteArray readCalendarRecordFrame(qint16 day, qint16 slot)
{
    return RecordRead + field(day, 1) + field(slot, 2) + FrameEndMarker + FrameTerminator;
}

Reply WriteCalendarRecord(DeviceLink &link, qint16 day, qint16 slot, qint16 used, qint16 duration, qint16 hourByte, qint16 minuteByte)
{
    const QByteArray frame = writeCalendarRecordFrame(day, slot, used, duration, hourByte, minuteByte);
    const std::optional<QByteArray> answer = runExchange(link, Commands::RecordWrite, frame);
    if (!answer)
        return Reply::NoAnswer;
    return statusOf(*answer, WriteAnswerStart) == StatusCarriedOut ? Reply::Accepted : Reply::Refused;
}

std::optional<SlotReading> ReadCalendarRecord(DeviceLink &link, qint16 day, qint16 slot)
{
    const std::optional<QByteArray> answer = runExchange(link, Commands::RecordRead, readCalendarRecordFrame(day, slot));
    if (!answer || statusOf(*answer, ReadAnswerStart) != StatusCarriedOut)
        return std::nullopt;
    // An answer that stops inside its fields carries no slot, not a cut one.
    const int p = answerPosition(*answer, ReadAnswerStart);
    if (answerField(*answer, p + MinuteAt, 2).size() < 2)
        return std::nullopt;
    return slotFromRecordAnswer(*answer);
}

SlotReading slotFromRecordAnswer(const QByteArray &answer)
{
    const int p = answerPosition(answer, ReadAnswerStart);
    SlotReading slot;
    slot.used = leadingValue(fieldText(answer, p + UsedAt, 1)) == 1.0 ? 1 : 0;
    slot.duration = wholeValue(leadingValue(fieldText(answer, p + DurationAt, 2))).value_or(0);
    const QString hour = fieldText(answer, p + HourAt, 2);
    const QString minute = fieldText(answer, p + MinuteAt, 2);
    slot.timeText = hour + u':' + minute;
    if (hour.size() == 2 && minute.size() == 2) // one digit of a cut field is no time
        slot.time = parseTimeOfDay(slot.timeText + QLatin1String(":00"));
    return slot;
}
