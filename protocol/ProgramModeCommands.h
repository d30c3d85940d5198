#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>

class DeviceLink;

// Program-mode controllers ("V1") are switched into a programming mode and
// then written in 32-byte blocks. Results: 1 = acknowledged, 2 = failed.
inline constexpr int ProgramCommandOk = 1;
inline constexpr int ProgramCommandFailed = 2;

inline constexpr qint16 ProgramModeLoad = 5; // before a schedule send
inline constexpr qint16 ProgramModeRead = 6; // before a schedule receive

using MemoryBlockData = std::array<quint8, 64>;

// "F" when the region flag is not 0, else "C".
QByteArray regionLetter(qint16 regionFlag);

// "%CM" "05" "0**" CR for mode 5, "%CM" "06" "0**" CR for any other mode.
QByteArray programModeRequestFrame(qint16 mode);
// "%SE", region letter ("F" when the flag is not 0, else "C"), the address
// in four hex digits, the 64 data bytes unescaped, "**", CR: 75 bytes.
QByteArray memoryBlockFrame(const MemoryBlockData &data, qint32 address, qint16 regionFlag);
// "PICOKXXX" right after the first "%" (from the start when there is none).
bool isProgramAck(const QByteArray &received);

int RequestProgramMode(DeviceLink &link, qint16 mode);
// Up to five waits for the acknowledgement, re-sending the frame after each
// one that fails (the fifth included, so a dead controller gets it six times).
int WaitProgramAck(DeviceLink &link, const QByteArray &frame);
int WriteMemoryBlock(DeviceLink &link, const MemoryBlockData &data, qint32 address, qint16 regionFlag);
