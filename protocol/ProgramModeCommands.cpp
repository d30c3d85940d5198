#include "protocol/ProgramModeCommands.h"

#include "link/DeviceLink.h"
#include "protocol/Exchange.h"
#include "protocol/FrameEncoding.h"

namespace {
const QByteArray ProgramModeRequest = QByteArrayLiteral("%CM");
const QByteArray LoadModeCode = QByteArrayLiteral("05");
const QByteArray ReadModeCode = QByteArrayLiteral("06");
const QByteArray ProgramModeRequestEnd = QByteArrayLiteral("0**");
const QByteArray MemoryBlockWrite = QByteArrayLiteral("%SE");
const QByteArray MemoryBlockRead = QByteArrayLiteral("%RE");
const QByteArray DumpAnswerLetters = QByteArrayLiteral("RE");
const QByteArray ProgramAck = QByteArrayLiteral("PICOKXXX");

constexpr int AckAttempts = 5;

Reply ackReply(const std::optional<QByteArray> &answer)
{
    if (!answer)
        return Reply::NoAnswer;
    return isProgramAck(*answer) ? Reply::Accepted : Reply::Refused;
}
} // namespace

QByteArray regionLetter(MemoryRegion region)
{
    return region == MemoryRegion::F ? QByteArrayLiteral("F") : QByteArrayLiteral("C");
}

QByteArray programModeRequestFrame(ProgramMode mode)
{
    return ProgramModeRequest + (mode == ProgramMode::Load ? LoadModeCode : ReadModeCode) + ProgramModeRequestEnd + FrameTerminator;
}

QByteArray memoryBlockFrame(const MemoryBlockData &data, qint32 address, MemoryRegion region)
{
    QByteArray frame = MemoryBlockWrite + regionLetter(region) + FormatHex4(address).toLatin1();
    frame.append(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
    frame += FrameEndMarker;
    frame += FrameTerminator;
    return frame;
}

QByteArray readMemoryBlockFrame(qint32 address, MemoryRegion region)
{
    return MemoryBlockRead + regionLetter(region) + FormatHex4(address).toLatin1() + FrameEndMarker + FrameTerminator;
}

bool isProgramAck(const QByteArray &received)
{
    const int start = answerPosition(received, QByteArray(1, FrameStart));
    return answerField(received, start + 1, int(ProgramAck.size())) == ProgramAck;
}

Reply RequestProgramMode(DeviceLink &link, ProgramMode mode)
{
    const QByteArray frame = programModeRequestFrame(mode);
    if (!runExchange(link, Commands::ProgramModeRequest, frame))
        return Reply::NoAnswer;
    return WaitProgramAck(link, frame);
}

Reply WaitProgramAck(DeviceLink &link, const QByteArray &frame)
{
    Reply reply = Reply::NoAnswer;
    for (int attempt = 1; attempt <= AckAttempts; ++attempt) {
        reply = ackReply(awaitAnswer(link, Commands::ProgramAck));
        if (reply == Reply::Accepted)
            return reply;
        // The frame goes out again after every failed attempt, the last one
        // included, although nothing waits for that last copy.
        if (LinkChannel *channel = link.channel()) {
            channel->discardInput();
            channel->send(frame);
        }
    }
    return reply;
}

Reply WriteMemoryBlock(DeviceLink &link, const MemoryBlockData &data, qint32 address, MemoryRegion region)
{
    return ackReply(runExchange(link, Commands::BlockWrite, memoryBlockFrame(data, address, region)));
}

std::optional<MemoryBlock> ReadMemoryBlock(DeviceLink &link, qint32 address, MemoryRegion region)
{
    const std::optional<QByteArray> answer = runExchange(link, Commands::BlockRead, readMemoryBlockFrame(address, region));
    if (!answer)
        return std::nullopt;
    // Only the first "%" counts: the data bytes may hold "%" themselves.
    const std::optional<QByteArray> data = fieldsAfterLetters(*answer, DumpAnswerLetters, MemoryBlockBytes);
    if (!data)
        return std::nullopt;
    MemoryBlock block{};
    std::copy(data->cbegin(), data->cend(), block.begin());
    return block;
}
