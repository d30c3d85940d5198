#pragma once

#include "operations/HeldTime.h"
#include "protocol/ProgramModeCommands.h"
#include "protocol/Reply.h"
#include "schedule/DeviceModel.h"
#include "schedule/RingCalendar.h"

#include <QList>
#include <QtGlobal>
#include <array>

// The byte image of a "V1" controller's schedule memory. Block sends and
// receives share one image for the whole run, so the bytes around the slot
// entries travel back to the controller as they were last read from it.
class MemoryImage
{
public:
    static constexpr int Size = 8192;
    static constexpr int BlockSize = MemoryBlockBytes;
    static constexpr qint32 LastBlockAddress = 1024; // 33 blocks: offsets 0..1055
    static constexpr int BlockCount = LastBlockAddress / BlockSize + 1;
    static constexpr int SlotsPerDay = facts(DeviceModel::V1).slotsCarried;
    static constexpr int FirstEntryOffset = 24;
    static constexpr int EntryBytes = 4;
    static constexpr int DayBytes = 96;
    // A day's entries fill its bytes exactly, and the week's lie within the
    // blocks a transfer moves.
    static_assert(DayBytes == SlotsPerDay * EntryBytes, "the model table's slot count must fit the controller's day");
    static_assert(FirstEntryOffset + DayCount * DayBytes <= LastBlockAddress + BlockSize, "the entries lie in the blocks sent");

    // Offset of the entry of day index 0..6 (Monday first), slot index 0..23.
    static constexpr int entryOffset(int dayIndex, int slotIndex)
    {
        return FirstEntryOffset + DayBytes * dayIndex + EntryBytes * slotIndex;
    }

    quint8 byte(int offset) const;
    void setByte(int offset, quint8 value);

    // The block at `address` as a block write carries it: its 32 bytes, then
    // 32 zero bytes.
    MemoryBlockData blockData(qint32 address) const;
    // Takes the 32 bytes of a block read.
    void storeBlock(qint32 address, const MemoryBlock &block);

private:
    std::array<quint8, Size> m_bytes{};
};

// Writes the slot entries from the schedule; a value that does not fit a
// byte leaves that byte as it was.
void FillMemoryImage(MemoryImage &image, const RingCalendar &calendar);
// Takes slots 1..24 of every day from the image; a time that is no time of
// day keeps the slot's old time, and is listed as held.
QList<HeldTime> ApplyMemoryImage(const MemoryImage &image, RingCalendar &calendar);
