#pragma once

#include "ControllerClock.h"
#include "ControllerSimulator.h"

#include <QByteArray>
#include <array>

namespace zilsim {

// Everything the controller keeps, whichever link it is reached by.
struct ControllerState
{
    static constexpr int MemorySize = 8192;
    static constexpr int Days = 7;
    static constexpr int MaxSlotsPerDay = 64;

    int model = 0; // 0 = "V1", 1..4 = record devices
    QByteArray memory = QByteArray(MemorySize, '\0');
    std::array<ControllerSimulator::SlotRecord, Days * MaxSlotsPerDay> records{};
    ControllerClock clock;
    int relayTests = 0;
    int lastRelaySeconds = 0;

    // "V3  (64 Zaman)" holds 64 slots a day, the other record models 24.
    int slotsPerDay() const { return model == 3 ? 64 : 24; }

    static bool validSlot(int day, int slot) { return day >= 1 && day <= Days && slot >= 1 && slot <= MaxSlotsPerDay; }
    ControllerSimulator::SlotRecord &record(int day, int slot) { return records[std::size_t((day - 1) * MaxSlotsPerDay + (slot - 1))]; }
};

} // namespace zilsim
