#include "protocol/ProgramModeClockCommands.h"

#include "link/AwaitAnswer.h"
#include "link/DeviceLink.h"
#include "link/FrameEncoding.h"
#include "link/SendSteps.h"
#include "link/WholeSecondClock.h"
#include "protocol/ProgramModeCommands.h"

namespace {
const QByteArray SetClockRequest = QByteArrayLiteral("%CM020**\r");
const QByteArray ReadClockRequest = QByteArrayLiteral("%CM030**\r");
const QByteArray ClockFrameStart = QByteArrayLiteral("%RRTC");
const QByteArray ClockAnswerLetters = QByteArrayLiteral("SRTC");

constexpr int ClockDrainPasses = 5001;
constexpr int ClockFrameAckMinChars = 28;
// "%SRTC", 14 clock digits and two characters that are not examined.
constexpr int ClockAnswerMinChars = 21;
constexpr int ClockAnswerSeconds = 5;
// After the request is acknowledged the controller gets until the clock
// passes start + 1 second before the clock frame follows.
constexpr int PauseBeforeClockFrameSeconds = 1;
constexpr int YearBase = 2000;
constexpr int ClockDigits = 14;
constexpr int ClockFields = 7;

QByteArray twoDigits(int value)
{
    return FormatDecimal(qint16(value), 2).toLatin1();
}

void pauseBeforeClockFrame(DeviceLink &link)
{
    WholeSecondClock &clock = link.clock();
    const qint64 deadline = clock.now() + PauseBeforeClockFrameSeconds;
    while (clock.now() <= deadline) {
        DeviceLink::yieldOnce();
        discardInputOnce(link);
        if (clock.now() > deadline)
            break;
        clock.sleepUntilEventOrNextSecond();
    }
}

// Drain, check the port and send the "%CM" request; true once acknowledged.
bool requestAcknowledged(DeviceLink &link, const QByteArray &request)
{
    if (!link.channel())
        return false;
    drainBeforeSend(link, ClockDrainPasses);
    if (!portCheckPasses(link))
        return false;
    sendFrame(link, request);
    return WaitProgramAck(link, request) == ProgramCommandOk;
}
} // namespace

QByteArray programModeClockFrame(const QDateTime &local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    const int year = date.year() < YearBase ? 0 : date.year() - YearBase;
    const int weekdayFromMonday = date.dayOfWeek() - 1; // this frame counts Monday as 00
    return ClockFrameStart + twoDigits(date.day()) + twoDigits(date.month()) + twoDigits(year)
        + twoDigits(time.hour()) + twoDigits(time.minute()) + twoDigits(time.second())
        + twoDigits(weekdayFromMonday) + FrameEndMarker + FrameTerminator;
}

int SetClockProgramMode(DeviceLink &link)
{
    if (!requestAcknowledged(link, SetClockRequest))
        return ProgramCommandFailed;
    pauseBeforeClockFrame(link);
    sendFrame(link, programModeClockFrame(link.clock().currentDateTime()));
    const std::optional<QByteArray> answer = AwaitAnswer(
        link, ClockFrameAckMinChars, ClockAnswerSeconds, WaitForm::Strict, LateAnswer::Rejected);
    return answer && isProgramAck(*answer) ? ProgramCommandOk : ProgramCommandFailed;
}

int ReadClockProgramMode(DeviceLink &link, ReplyData &reply)
{
    // After its acknowledgement the controller sends its clock unasked.
    if (!requestAcknowledged(link, ReadClockRequest))
        return ProgramCommandFailed;
    const std::optional<QByteArray> answer = AwaitAnswer(
        link, ClockAnswerMinChars, ClockAnswerSeconds, WaitForm::Strict, LateAnswer::Rejected);
    if (!answer)
        return ProgramCommandFailed;

    const int start = answerPosition(*answer, QByteArray(1, FrameStart));
    if (answerField(*answer, start + 1, int(ClockAnswerLetters.size())) != ClockAnswerLetters)
        return ProgramCommandFailed;
    const QByteArray digits = answerField(*answer, start + 5, ClockDigits);
    if (digits.size() < ClockDigits)
        return ProgramCommandFailed; // the answer stops inside the clock text

    ReplyData fields;
    for (int index = 0; index < ClockFields; ++index)
        fields.append(QString::fromLatin1(digits.mid(2 * index, 2)));
    fields.append(QVariant()); // the eighth element stays empty
    reply = fields;
    return ProgramCommandOk;
}
