#include "protocol/RecordDeviceCommands.h"

#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"
#include "protocol/Exchange.h"
#include "protocol/FrameEncoding.h"
#include "schedule/NumberText.h"

namespace {
const QByteArray RelayTestCommand = QByteArrayLiteral("%DT001");
const QByteArray SetClockCommand = QByteArrayLiteral("%DR001");
const QByteArray ReadClockCommand = QByteArrayLiteral("%UR001");
const QByteArray RelayTestLetters = QByteArrayLiteral("DT");
const QByteArray SetClockLetters = QByteArrayLiteral("DR");
const QByteArray ReadClockLetters = QByteArrayLiteral("UR");

// The clock fields start after "$", "UR" and the unit field "001".
constexpr int ClockFieldsOffset = 6;
constexpr int ClockFieldChars = 14;

Reply replyOf(const std::optional<QByteArray> &text, const QByteArray &letters)
{
    if (!text)
        return Reply::NoAnswer;
    const int dollar = answerPosition(*text, QByteArray(1, RecordAnswerStart));
    return answerField(*text, dollar + 1, int(letters.size())) == letters ? Reply::Accepted : Reply::Refused;
}

// The weekday number at the end of a clock answer: its leading number.
int weekdayFromText(const QByteArray &text)
{
    return weekdayOfValue(leadingValue(QString::fromLatin1(text)));
}
} // namespace

QByteArray relayTestFrame(qint16 seconds)
{
    return RelayTestCommand + twoDigitField(seconds) + FrameEndMarker + FrameTerminator;
}

QByteArray deviceClockFrame(const QDateTime &local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    const QByteArray year = FormatDecimal(qint16(date.year()), 4).toLatin1().right(2);
    return SetClockCommand + twoDigitField(date.day()) + twoDigitField(date.month()) + year + twoDigitField(time.hour()) +
           twoDigitField(time.minute()) + twoDigitField(time.second()) + twoDigitField(date.dayOfWeek()) + FrameEndMarker + FrameTerminator;
}

QByteArray readDeviceClockFrame()
{
    return ReadClockCommand + FrameEndMarker + FrameTerminator;
}

Reply SendRelayTest(DeviceLink &link, qint16 seconds)
{
    return replyOf(runExchange(link, Commands::RelayTest, relayTestFrame(seconds)), RelayTestLetters);
}

Reply SendDeviceClock(DeviceLink &link)
{
    // One reading of the clock for every field of the frame, taken after the
    // pause before sending, so the time is not a second stale.
    const auto frame = [&link] { return deviceClockFrame(link.clock().currentDateTime()); };
    return replyOf(runExchange(link, Commands::SetDeviceClock, frame), SetClockLetters);
}

std::optional<ClockReading> ReadDeviceClock(DeviceLink &link)
{
    const std::optional<QByteArray> text = runExchange(link, Commands::ReadDeviceClock, readDeviceClockFrame());
    if (replyOf(text, ReadClockLetters) != Reply::Accepted)
        return std::nullopt;
    const int dollar = answerPosition(*text, QByteArray(1, RecordAnswerStart));
    const QByteArray fields = answerField(*text, dollar + ClockFieldsOffset, ClockFieldChars);
    if (fields.size() < ClockFieldChars)
        return std::nullopt; // the letters fit but the clock text is cut short
    return clockReadingFromDigits(fields, weekdayFromText(fields.mid(12, 2)));
}
