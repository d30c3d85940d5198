#include "ProgramModeAnswers.h"

#include "ControllerState.h"
#include "WireFields.h"

namespace zilsim {

namespace {

constexpr int AckLength = 28;
constexpr int BlockDataLength = 32;     // stored per block write, sent per dump
constexpr int ClockAnswerPauseMs = 250; // the program reads the acknowledgement first

QByteArray padded(QByteArray text)
{
    // Padding, then CR LF, to the length of an acknowledgement.
    while (text.size() < AckLength - 2)
        text += ' ';
    return text + "\r\n";
}

Answer single(const QByteArray &bytes)
{
    return Answer{AnswerPiece{0, bytes}};
}

bool hasTail(const QByteArray &frame)
{
    return frame.endsWith("**\r");
}

Answer modeRequest(const QByteArray &frame, ControllerState &state, SessionState &session, bool wrongStatus, bool noAck)
{
    // "%CM" + three-digit code + "**" CR
    if (frame.size() != 9 || !hasTail(frame))
        return {};
    const QByteArray code = frame.mid(3, 3);
    if (code != "050" && code != "060" && code != "020" && code != "030")
        return {};
    session.programMode = false;
    session.awaitingClockSet = false;
    if (noAck)
        return {};
    if (wrongStatus && code != "030")
        return single(programModeRefusal());

    if (code == "050" || code == "060") {
        session.programMode = true;
        return single(programModeAck());
    }
    if (code == "020") {
        session.awaitingClockSet = true;
        return single(programModeAck());
    }
    // "030": acknowledge, then send the clock. A wrong status spoils the
    // clock answer, not the acknowledgement, so that the program gets as far
    // as checking the clock letters.
    const QByteArray letters = wrongStatus ? QByteArrayLiteral("%NRTC") : QByteArrayLiteral("%SRTC");
    return Answer{AnswerPiece{0, programModeAck()}, AnswerPiece{ClockAnswerPauseMs, letters + clockDigits(state.clock.now()) + "\r\n"}};
}

// The block address of a well-formed block write or dump received in
// program mode, or -1 for a frame the controller ignores.
int blockAddress(const QByteArray &frame, qsizetype frameSize, const SessionState &session)
{
    if (!session.programMode || frame.size() != frameSize || !hasTail(frame))
        return -1;
    const char region = frame.at(3);
    const int address = hexField(frame, 4, 4);
    if ((region != 'C' && region != 'F') || address < 0 || address + BlockDataLength > ControllerState::MemorySize)
        return -1;
    return address;
}

Answer blockWrite(const QByteArray &frame, ControllerState &state, const SessionState &session, bool wrongStatus)
{
    // "%SE" + region + 4 hex + 64 data bytes + "**" CR, 75 bytes
    const int address = blockAddress(frame, 75, session);
    if (address < 0)
        return {};
    if (wrongStatus)
        return single(programModeRefusal());
    state.memory.replace(address, BlockDataLength, frame.mid(8, BlockDataLength));
    return single(programModeAck());
}

Answer dump(const QByteArray &frame, const ControllerState &state, const SessionState &session, bool wrongStatus)
{
    // "%RE" + region + 4 hex + "**" CR, 11 characters
    const int address = blockAddress(frame, 11, session);
    if (address < 0)
        return {};
    const QByteArray letters = wrongStatus ? QByteArrayLiteral("%ER") : QByteArrayLiteral("%RE");
    return single(letters + state.memory.mid(address, BlockDataLength) + "\r\n");
}

Answer clockSet(const QByteArray &frame, ControllerState &state, SessionState &session, bool wrongStatus)
{
    // "%RRTC" + 14 digits + "**" CR, only right after an acknowledged "%CM020".
    if (!session.awaitingClockSet || frame.size() != 22 || !hasTail(frame))
        return {};
    session.awaitingClockSet = false;
    // The set frame counts Monday as 00.
    const QDateTime value = parseClockDigits(frame.mid(5, 14), 0);
    if (!value.isValid() || wrongStatus)
        return single(programModeRefusal());
    state.clock.set(value);
    return single(programModeAck());
}

} // namespace

QByteArray programModeAck()
{
    return padded("%PICOKXXX");
}

QByteArray programModeRefusal()
{
    return padded("%PICNOXXX");
}

Answer answerProgramModeFrame(const QByteArray &frame, ControllerState &state, SessionState &session, bool wrongStatus, bool noAck)
{
    if (frame.startsWith("%CM"))
        return modeRequest(frame, state, session, wrongStatus, noAck);

    // Only the frame right after "%CM020" may set the clock.
    const bool clockSetAllowed = session.awaitingClockSet;
    session.awaitingClockSet = false;
    if (frame.startsWith("%SE"))
        return blockWrite(frame, state, session, wrongStatus);
    if (frame.startsWith("%RE"))
        return dump(frame, state, session, wrongStatus);
    if (frame.startsWith("%RRTC")) {
        session.awaitingClockSet = clockSetAllowed;
        return clockSet(frame, state, session, wrongStatus);
    }
    return {};
}

} // namespace zilsim
