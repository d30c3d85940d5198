#include "protocol/CalendarDumpCommand.h"

#include "link/AwaitAnswer.h"
#include "link/DeviceLink.h"
#include "link/FrameEncoding.h"
#include "link/SendSteps.h"
#include "protocol/ProgramModeCommands.h"

namespace {
const QByteArray MemoryBlockRead = QByteArrayLiteral("%RE");
const QByteArray DumpAnswerLetters = QByteArrayLiteral("RE");

constexpr int DumpDrainPasses = 5001;
constexpr int BlockBytes = 32;
// "%RE", the 32 data bytes and two more characters that are not examined.
constexpr int DumpAnswerMinChars = 37;
constexpr int DumpAnswerSeconds = 5;
} // namespace

QByteArray readMemoryBlockFrame(qint32 address, qint16 regionFlag)
{
    return MemoryBlockRead + regionLetter(regionFlag) + FormatHex4(address).toLatin1()
        + FrameEndMarker + FrameTerminator;
}

int ReadMemoryBlock(DeviceLink &link, qint32 address, qint16 regionFlag, ReplyData &reply)
{
    if (!link.channel())
        return ProgramCommandFailed;
    drainBeforeSend(link, DumpDrainPasses);
    if (!portCheckPasses(link))
        return ProgramCommandFailed;
    sendFrame(link, readMemoryBlockFrame(address, regionFlag));
    const std::optional<QByteArray> answer =
        AwaitAnswer(link, DumpAnswerMinChars, DumpAnswerSeconds, WaitForm::Strict, LateAnswer::Rejected);
    if (!answer)
        return ProgramCommandFailed;

    // Only the first "%" counts: the data bytes may hold "%" themselves.
    const int start = answerPosition(*answer, QByteArray(1, FrameStart));
    if (answerField(*answer, start + 1, int(DumpAnswerLetters.size())) != DumpAnswerLetters)
        return ProgramCommandFailed;
    const QByteArray data = answerField(*answer, start + 3, BlockBytes);
    if (data.size() < BlockBytes)
        return ProgramCommandFailed; // the answer stops inside the block

    ReplyData bytes;
    bytes.reserve(BlockBytes);
    for (char byte : data)
        bytes.append(int(quint8(byte)));
    reply = bytes;
    return ProgramCommandOk;
}
