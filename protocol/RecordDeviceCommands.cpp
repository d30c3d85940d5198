#include "protocol/RecordDeviceCommands.h"

#include "link/AwaitAnswer.h"
#include "link/DeviceLink.h"
#include "link/FrameEncoding.h"
#include "link/SendSteps.h"
#include "link/WholeSecondClock.h"
#include "schedule/NumberText.h"

#include <optional>

namespace {
const QByteArray RelayTestCommand = QByteArrayLiteral("%DT001");
const QByteArray SetClockCommand = QByteArrayLiteral("%DR001");
const QByteArray ReadClockCommand = QByteArrayLiteral("%UR001");
const QByteArray RelayTestLetters = QByteArrayLiteral("DT");
const QByteArray SetClockLetters = QByteArrayLiteral("DR");
const QByteArray ReadClockLetters = QByteArrayLiteral("UR");

constexpr int DeviceDrainPasses = 2001;
constexpr int RelayTestCopiesOverTcp = 10;
constexpr int SetClockCopiesOverTcp = 6;
constexpr int ReadClockCopiesOverTcp = 4;
constexpr int ShortAnswerMinChars = 9;
constexpr int ClockAnswerMinChars = 23;
constexpr int DeviceAnswerSeconds = 1;
// The relay rings while the window keeps running for this many passes.
constexpr int RelayTestPausePasses = 100001;
// The clock fields start after "$", "UR" and the unit field "001".
constexpr int ClockFieldsOffset = 6;
constexpr int ClockFieldChars = 14;

QByteArray twoDigits(int value)
{
    return FormatDecimal(qint16(value), 2).toLatin1();
}

struct DeviceAnswer
{
    int result = DeviceAnswerNone;
    QByteArray text;
    int dollarPosition = 0;
};

// Drains, sends (repeated over TCP) and waits one second; result 1 when the
// two characters after the first "$" (the first two of the text when there
// is no "$") are the expected letters, 0 for any other answer, -1 for none.
DeviceAnswer exchange(DeviceLink &link, const QByteArray &serialFrame, int tcpCopies, int minChars,
                      const QByteArray &letters)
{
    drainBeforeSend(link, DeviceDrainPasses);
    sendFrame(link, linkIsTcp(link) ? repeatedForTcp(serialFrame, tcpCopies) : serialFrame);
    const std::optional<QByteArray> text =
        AwaitAnswer(link, minChars, DeviceAnswerSeconds, WaitForm::Strict, LateAnswer::Used);
    DeviceAnswer answer;
    if (!text)
        return answer;
    answer.text = *text;
    answer.dollarPosition = answerPosition(*text, QByteArray(1, RecordAnswerStart));
    answer.result = answerField(*text, answer.dollarPosition + 1, int(letters.size())) == letters
        ? DeviceAnswerExpected
        : DeviceAnswerOther;
    return answer;
}

// The weekday number at the end of a clock answer: its leading number,
// which names a day only when it is a whole number from 1 to 7.
int weekdayFromText(const QByteArray &text)
{
    const double value = leadingValue(QString::fromLatin1(text));
    for (int day = 1; day <= 7; ++day) {
        if (value == day)
            return day;
    }
    return 0;
}
} // namespace

QByteArray relayTestFrame(qint16 seconds)
{
    return RelayTestCommand + twoDigits(seconds) + FrameEndMarker + FrameTerminator;
}

QByteArray deviceClockFrame(const QDateTime &local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    const QByteArray year = FormatDecimal(qint16(date.year()), 4).toLatin1().right(2);
    return SetClockCommand + twoDigits(date.day()) + twoDigits(date.month()) + year
        + twoDigits(time.hour()) + twoDigits(time.minute()) + twoDigits(time.second())
        + twoDigits(date.dayOfWeek()) + FrameEndMarker + FrameTerminator;
}

QByteArray readDeviceClockFrame()
{
    return ReadClockCommand + FrameEndMarker + FrameTerminator;
}

QString DayName(int dayOfWeek)
{
    switch (dayOfWeek) {
    case 1: return QStringLiteral(u"Pazartesi");
    case 2: return QStringLiteral(u"Salı");
    case 3: return QStringLiteral(u"Çarşamba");
    case 4: return QStringLiteral(u"Perşembe");
    case 5: return QStringLiteral(u"Cuma");
    case 6: return QStringLiteral(u"Cumartesi");
    case 7: return QStringLiteral(u"Pazar");
    default: return QStringLiteral(u"Tanımsız");
    }
}

int SendRelayTest(DeviceLink &link, qint16 seconds)
{
    const DeviceAnswer answer = exchange(link, relayTestFrame(seconds), RelayTestCopiesOverTcp,
                                         ShortAnswerMinChars, RelayTestLetters);
    if (answer.result != DeviceAnswerNone)
        DeviceLink::yieldTimes(RelayTestPausePasses);
    return answer.result;
}

int SendDeviceClock(DeviceLink &link)
{
    // One reading of the clock for every field of the frame.
    const QByteArray frame = deviceClockFrame(link.clock().currentDateTime());
    return exchange(link, frame, SetClockCopiesOverTcp, ShortAnswerMinChars, SetClockLetters).result;
}

int ReadDeviceClock(DeviceLink &link, DeviceClockReading &reading)
{
    const DeviceAnswer answer = exchange(link, readDeviceClockFrame(), ReadClockCopiesOverTcp,
                                         ClockAnswerMinChars, ReadClockLetters);
    if (answer.result != DeviceAnswerExpected)
        return answer.result;

    const QByteArray fields =
        answerField(answer.text, answer.dollarPosition + ClockFieldsOffset, ClockFieldChars);
    if (fields.size() < ClockFieldChars)
        return DeviceAnswerOther; // the letters fit but the clock text is cut short
    const auto part = [&](int index) { return QString::fromLatin1(fields.mid(2 * index, 2)); };
    reading.clockText = part(0) + u'/' + part(1) + QStringLiteral("/20") + part(2) + u' ' + part(3) + u':'
        + part(4) + u':' + part(5);
    reading.dayName = DayName(weekdayFromText(fields.mid(12, 2)));
    return DeviceAnswerExpected;
}
