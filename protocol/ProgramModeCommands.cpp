#include "protocol/ProgramModeCommands.h"

#include "link/AwaitAnswer.h"
#include "link/DeviceLink.h"
#include "link/FrameEncoding.h"
#include "link/SendSteps.h"

namespace {
const QByteArray ProgramModeRequest = QByteArrayLiteral("%CM");
const QByteArray LoadModeCode = QByteArrayLiteral("05");
const QByteArray ReadModeCode = QByteArrayLiteral("06");
const QByteArray ProgramModeRequestEnd = QByteArrayLiteral("0**");
const QByteArray MemoryBlockWrite = QByteArrayLiteral("%SE");
const QByteArray ProgramAck = QByteArrayLiteral("PICOKXXX");

constexpr int RequestPausePasses = 1001;
constexpr int BlockDrainPasses = 5001;
constexpr int AckAttempts = 5;
// The acknowledgement is "%PICOKXXX" padded to 28 characters.
constexpr int AckMinChars = 28;
constexpr int AckWaitSeconds = 1;
constexpr int BlockAnswerSeconds = 5;
} // namespace

QByteArray regionLetter(qint16 regionFlag)
{
    return regionFlag != 0 ? QByteArrayLiteral("F") : QByteArrayLiteral("C");
}

QByteArray programModeRequestFrame(qint16 mode)
{
    return ProgramModeRequest + (mode == ProgramModeLoad ? LoadModeCode : ReadModeCode)
        + ProgramModeRequestEnd + FrameTerminator;
}

QByteArray memoryBlockFrame(const MemoryBlockData &data, qint32 address, qint16 regionFlag)
{
    QByteArray frame = MemoryBlockWrite + regionLetter(regionFlag) + FormatHex4(address).toLatin1();
    frame.append(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
    frame += FrameEndMarker;
    frame += FrameTerminator;
    return frame;
}

bool isProgramAck(const QByteArray &received)
{
    const int start = answerPosition(received, QByteArray(1, FrameStart));
    return answerField(received, start + 1, int(ProgramAck.size())) == ProgramAck;
}

int RequestProgramMode(DeviceLink &link, qint16 mode)
{
    if (!link.channel())
        return ProgramCommandFailed;
    DeviceLink::yieldTimes(RequestPausePasses);
    if (!portCheckPasses(link))
        return ProgramCommandFailed;
    const QByteArray frame = programModeRequestFrame(mode);
    sendFrame(link, frame);
    return WaitProgramAck(link, frame) == ProgramCommandOk ? ProgramCommandOk : ProgramCommandFailed;
}

int WaitProgramAck(DeviceLink &link, const QByteArray &frame)
{
    for (int attempt = 1; attempt <= AckAttempts; ++attempt) {
        const std::optional<QByteArray> answer =
            AwaitAnswer(link, AckMinChars, AckWaitSeconds, WaitForm::Inclusive, LateAnswer::Rejected);
        if (answer && isProgramAck(*answer))
            return ProgramCommandOk;
        // The frame goes out again after every failed attempt, the last one
        // included, although nothing waits for that last copy.
        discardInputOnce(link);
        sendFrame(link, frame);
    }
    return ProgramCommandFailed;
}

int WriteMemoryBlock(DeviceLink &link, const MemoryBlockData &data, qint32 address, qint16 regionFlag)
{
    if (!link.channel())
        return ProgramCommandFailed;
    drainBeforeSend(link, BlockDrainPasses);
    if (!portCheckPasses(link))
        return ProgramCommandFailed;
    sendFrame(link, memoryBlockFrame(data, address, regionFlag));
    const std::optional<QByteArray> answer =
        AwaitAnswer(link, AckMinChars, BlockAnswerSeconds, WaitForm::Strict, LateAnswer::Rejected);
    return answer && isProgramAck(*answer) ? ProgramCommandOk : ProgramCommandFailed;
}
