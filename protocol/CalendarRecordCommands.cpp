#include "protocol/CalendarRecordCommands.h"

#include "link/AwaitAnswer.h"
#include "link/DeviceLink.h"
#include "link/FrameEncoding.h"
#include "link/SendSteps.h"

namespace {
const QByteArray RecordWrite = QByteArrayLiteral("%ZW001");
const QByteArray RecordRead = QByteArrayLiteral("%ZR001");
const QByteArray WriteAnswerStart = QByteArrayLiteral("$ZW");
const QByteArray ReadAnswerStart = QByteArrayLiteral("$ZR");
const QByteArray StatusCarriedOut = QByteArrayLiteral("O");

constexpr int RecordDrainPasses = 1001;
constexpr int WriteCopiesOverTcp = 3;
constexpr int ReadCopiesOverTcp = 4;
constexpr int WriteAnswerMinChars = 9;
constexpr int ReadAnswerMinChars = 20;
constexpr int RecordAnswerSeconds = 2;
// "$", two letters and "001" come before the status character.
constexpr int StatusOffset = 6;

QByteArray field(qint16 value, qint16 width)
{
    return FormatDecimal(value, width).toLatin1();
}

// Sends the frame on the open transport and waits for the answer: nullopt
// on a time-out. An answer complete in the last pass still counts.
std::optional<QByteArray> exchange(DeviceLink &link, const QByteArray &serialFrame, int tcpCopies,
                                   int minChars)
{
    drainBeforeSend(link, RecordDrainPasses);
    sendFrame(link, linkIsTcp(link) ? repeatedForTcp(serialFrame, tcpCopies) : serialFrame);
    return AwaitAnswer(link, minChars, RecordAnswerSeconds, WaitForm::Strict, LateAnswer::Used);
}

// The status character of the first answer starting with `answerStart`;
// empty when the text holds no such answer, which is never taken as status.
QByteArray statusOf(const QByteArray &received, const QByteArray &answerStart)
{
    const int position = answerPosition(received, answerStart);
    if (position == 0)
        return {};
    return answerField(received, position + StatusOffset, 1);
}
} // namespace

QByteArray writeCalendarRecordFrame(qint16 day, qint16 slot, qint16 used, qint16 duration,
                                    qint16 hourByte, qint16 minuteByte)
{
    return RecordWrite + field(day, 1) + field(slot, 2) + field(used, 1) + field(duration, 2)
        + FormatHex2(hourByte).toLatin1() + FormatHex2(minuteByte).toLatin1() + FrameEndMarker
        + FrameTerminator;
}

QByteArray readCalendarRecordFrame(qint16 day, qint16 slot)
{
    return RecordRead + field(day, 1) + field(slot, 2) + FrameEndMarker + FrameTerminator;
}

int WriteCalendarRecord(DeviceLink &link, qint16 day, qint16 slot, qint16 used, qint16 duration,
                        qint16 hourByte, qint16 minuteByte)
{
    const QByteArray frame = writeCalendarRecordFrame(day, slot, used, duration, hourByte, minuteByte);
    const std::optional<QByteArray> answer =
        exchange(link, frame, WriteCopiesOverTcp, WriteAnswerMinChars);
    if (!answer)
        return RecordWriteNoAnswer;
    return statusOf(*answer, WriteAnswerStart) == StatusCarriedOut ? RecordWriteAccepted
                                                                    : RecordWriteRefused;
}

QByteArray ReadCalendarRecord(DeviceLink &link, qint16 day, qint16 slot)
{
    const std::optional<QByteArray> answer =
        exchange(link, readCalendarRecordFrame(day, slot), ReadCopiesOverTcp, ReadAnswerMinChars);
    if (!answer)
        return RecordReadTimeout;
    return statusOf(*answer, ReadAnswerStart) == StatusCarriedOut ? *answer : RecordReadError;
}
