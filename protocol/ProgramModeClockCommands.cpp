#include "protocol/ProgramModeClockCommands.h"

#include "link/DeviceLink.h"
#include "link/WholeSecondClock.h"
#include "protocol/Exchange.h"
#include "protocol/FrameEncoding.h"
#include "protocol/ProgramModeCommands.h"
#include "schedule/NumberText.h"

namespace {
const QByteArray SetClockRequest = QByteArrayLiteral("%CM020**\r");
const QByteArray ReadClockRequest = QByteArrayLiteral("%CM030**\r");
const QByteArray ClockFrameStart = QByteArrayLiteral("%RRTC");
const QByteArray ClockAnswerLetters = QByteArrayLiteral("SRTC");

constexpr int YearBase = 2000;
constexpr int ClockDigits = 14;

// Drain, check the port and send the "%CM" request; true once acknowledged.
bool requestAcknowledged(DeviceLink &link, const QByteArray &request)
{
    return runExchange(link, Commands::ClockRequest, request) && WaitProgramAck(link, request) == Reply::Accepted;
}

int weekdayOf(const QString &text)
{
    return isNumeric(text) ? weekdayOfValue(leadingValue(text)) : 0;
}
} // namespace

QByteArray programModeClockFrame(const QDateTime &local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    const int year = date.year() < YearBase ? 0 : date.year() - YearBase;
    const int weekdayFromMonday = date.dayOfWeek() - 1; // this frame counts Monday as 00
    return ClockFrameStart + twoDigitField(date.day()) + twoDigitField(date.month()) + twoDigitField(year) + twoDigitField(time.hour()) +
           twoDigitField(time.minute()) + twoDigitField(time.second()) + twoDigitField(weekdayFromMonday) + FrameEndMarker +
           FrameTerminator;
}

Reply SetClockProgramMode(DeviceLink &link)
{
    if (!requestAcknowledged(link, SetClockRequest))
        return Reply::NoAnswer;
    // The time is read after the row's pause, right before the frame leaves.
    const auto frame = [&link] { return programModeClockFrame(link.clock().currentDateTime()); };
    const std::optional<QByteArray> answer = runExchange(link, Commands::ClockFrame, frame);
    if (!answer)
        return Reply::NoAnswer;
    return isProgramAck(*answer) ? Reply::Accepted : Reply::Refused;
}

std::optional<ClockReading> ReadClockProgramMode(DeviceLink &link)
{
    // After its acknowledgement the controller sends its clock unasked.
    if (!requestAcknowledged(link, ReadClockRequest))
        return std::nullopt;
    const std::optional<QByteArray> answer = awaitAnswer(link, Commands::ClockAnswer);
    if (!answer)
        return std::nullopt;

    const std::optional<QByteArray> digits = fieldsAfterLetters(*answer, ClockAnswerLetters, ClockDigits);
    if (!digits)
        return std::nullopt;
    return clockReadingFromDigits(*digits, weekdayOf(QString::fromLatin1(digits->mid(12, 2))));
}
