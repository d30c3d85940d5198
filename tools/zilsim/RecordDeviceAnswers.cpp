#include "RecordDeviceAnswers.h"

#include "ControllerState.h"
#include "WireFields.h"

namespace zilsim {

namespace {

constexpr char Accepted = 'O';
constexpr char Refused = 'N';

// Length of one copy of each frame body, "%" to "**".
constexpr int RecordWriteLength = 18; // "%ZW001" d ss u dd HH MM "**"
constexpr int RecordReadLength = 11;  // "%ZR001" d ss "**"
constexpr int RelayTestLength = 10;   // "%DT001" ss "**"
constexpr int ClockSetLength = 22;    // "%DR001" + 14 digits + "**"
constexpr int ClockReadLength = 8;    // "%UR001**"

Answer single(const QByteArray &bytes)
{
    return Answer{AnswerPiece{0, bytes}};
}

// "$" + letters + "001" + status, then CR LF: the 9 characters the program
// waits for.
QByteArray shortAnswer(const QByteArray &letters, char status)
{
    return "$" + letters + "001" + status + "\r\n";
}

// The first copy of the body, when it is complete and closed by "**".
QByteArray firstCopy(const QByteArray &frame, int length)
{
    const QByteArray body = frame.chopped(1);
    if (body.size() < length)
        return {};
    const QByteArray copy = body.left(length);
    return copy.endsWith("**") ? copy : QByteArray();
}

Answer recordWrite(const QByteArray &frame, ControllerState &state, bool wrongStatus)
{
    const QByteArray copy = firstCopy(frame, RecordWriteLength);
    const int day = decimalField(copy, 6, 1);
    const int slot = decimalField(copy, 7, 2);
    const int used = decimalField(copy, 9, 1);
    const int duration = decimalField(copy, 10, 2);
    // Hour and minute travel as the hex digits of packed-decimal bytes,
    // which are their decimal digits.
    const int hour = decimalField(copy, 12, 2);
    const int minute = decimalField(copy, 14, 2);
    const bool valid = day >= 1 && day <= ControllerState::Days && slot >= 1 && slot <= state.slotsPerDay() && (used == 0 || used == 1) &&
                       duration >= 0 && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
    if (!valid || wrongStatus)
        return single(shortAnswer("ZW", Refused));
    state.record(day, slot) = {used, duration, hour, minute};
    return single(shortAnswer("ZW", Accepted));
}

Answer recordRead(const QByteArray &frame, ControllerState &state, bool wrongStatus)
{
    // "$ZR001" status, the day and slot asked for, used, duration, hour,
    // minute, "**" CR: 20 characters.
    const QByteArray copy = firstCopy(frame, RecordReadLength);
    const int day = decimalField(copy, 6, 1);
    const int slot = decimalField(copy, 7, 2);
    const bool valid = day >= 1 && day <= ControllerState::Days && slot >= 1 && slot <= state.slotsPerDay();
    if (!valid || wrongStatus) {
        const QByteArray asked = valid ? copy.mid(6, 3) : QByteArrayLiteral("000");
        return single("$ZR001" + QByteArray(1, Refused) + asked + "0000000**\r");
    }
    const ControllerSimulator::SlotRecord &r = state.record(day, slot);
    return single("$ZR001" + QByteArray(1, Accepted) + copy.mid(6, 3) + QByteArray(1, r.used == 1 ? '1' : '0') + twoDigits(r.duration) +
                  twoDigits(r.hour) + twoDigits(r.minute) + "**\r");
}

Answer relayTest(const QByteArray &frame, ControllerState &state, bool wrongStatus)
{
    if (wrongStatus)
        return single(shortAnswer("ER", Accepted));
    const int seconds = decimalField(firstCopy(frame, RelayTestLength), 6, 2);
    if (seconds < 0)
        return single(shortAnswer("DT", Refused));
    ++state.relayTests;
    state.lastRelaySeconds = seconds;
    return single(shortAnswer("DT", Accepted));
}

Answer clockSet(const QByteArray &frame, ControllerState &state, bool wrongStatus)
{
    if (wrongStatus)
        return single(shortAnswer("ER", Accepted));
    // The record devices count Monday as 01.
    const QByteArray copy = firstCopy(frame, ClockSetLength);
    const QDateTime value = parseClockDigits(copy.mid(6, 14), 1);
    if (!value.isValid())
        return single(shortAnswer("DR", Refused));
    state.clock.set(value);
    return single(shortAnswer("DR", Accepted));
}

Answer clockRead(const QByteArray &frame, ControllerState &state, bool wrongStatus)
{
    if (firstCopy(frame, ClockReadLength).isEmpty())
        return {};
    // "$UR001" + 14 digits + "**" CR: the 23 characters the program waits for.
    const QByteArray letters = wrongStatus ? QByteArrayLiteral("ER") : QByteArrayLiteral("UR");
    return single("$" + letters + "001" + clockDigits(state.clock.now()) + "**\r");
}

} // namespace

Answer answerRecordFrame(const QByteArray &frame, ControllerState &state, bool wrongStatus)
{
    if (frame.size() < 7 || !frame.endsWith('\r') || frame.mid(3, 3) != "001")
        return {};
    const QByteArray command = frame.left(3);
    if (command == "%ZW")
        return recordWrite(frame, state, wrongStatus);
    if (command == "%ZR")
        return recordRead(frame, state, wrongStatus);
    if (command == "%DT")
        return relayTest(frame, state, wrongStatus);
    if (command == "%DR")
        return clockSet(frame, state, wrongStatus);
    if (command == "%UR")
        return clockRead(frame, state, wrongStatus);
    return {};
}

} // namespace zilsim
