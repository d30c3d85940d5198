#pragma once

#include "protocol/Reply.h"

#include <QByteArray>
#include <QtGlobal>
#include <array>

class DeviceLink;

// Program-mode controllers ("V1") are switched into a programming mode and
// then written and read in 32-byte blocks.

enum class ProgramMode { Load, Read }; // before a schedule send / receive
enum class MemoryRegion { C, F };      // "F" holds the closing write of a send

// A block write carries its 32 bytes and then 32 zero bytes.
using MemoryBlockData = std::array<quint8, 64>;

// "%CM" "05" "0**" CR to load, "%CM" "06" "0**" CR to read.
QByteArray programModeRequestFrame(ProgramMode mode);
// "%SE", region letter, the address in four hex digits, the 64 data bytes
// unescaped, "**", CR: 75 bytes.
QByteArray memoryBlockFrame(const MemoryBlockData &data, qint32 address, MemoryRegion region);
// "%RE", region letter, the address in four hex digits, "**", CR.
QByteArray readMemoryBlockFrame(qint32 address, MemoryRegion region);
QByteArray regionLetter(MemoryRegion region);
// "PICOKXXX" right after the first "%" (from the start when there is none).
bool isProgramAck(const QByteArray &received);

// Accepted once acknowledged.
Reply RequestProgramMode(DeviceLink &link, ProgramMode mode);
// Up to five waits for the acknowledgement, re-sending the frame after each
// one that fails (the fifth included, so a dead controller gets it six times).
Reply WaitProgramAck(DeviceLink &link, const QByteArray &frame);
Reply WriteMemoryBlock(DeviceLink &link, const MemoryBlockData &data, qint32 address, MemoryRegion region);
// The block's 32 bytes, read after the first "%" and its "RE"; nullopt for
// no answer, other letters, or an answer that stops inside the block.
std::optional<MemoryBlock> ReadMemoryBlock(DeviceLink &link, qint32 address, MemoryRegion region);
