#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <array>
#include <optional>

// Controller models, in the order of the model buttons; the schedule file
// stores the number.
enum class DeviceModel : qint16 { V1, V2Times24, V2IntervalTimer, V3Times64, V3IntervalTimer };
inline constexpr int ModelCount = 5;

// How a model's schedule travels: blocks of memory in a programming mode
// ("V1"), or one record command a slot.
enum class ModelFamily : quint8 { ProgramMode, Records };

// The serial line a model talks on. The line never uses flow control.
struct LineSettings
{
    enum class Parity : quint8 { None, Even, Odd, Mark, Space };
    enum class StopBits : quint8 { One, OneAndHalf, Two };

    qint32 baudRate = 9600;
    Parity parity = Parity::Odd;
    quint8 dataBits = 8;
    StopBits stopBits = StopBits::One;

    bool operator==(const LineSettings &) const = default;
};

// What a model is, one row a model; everything that asks "which model?" reads it.
struct ModelFacts
{
    DeviceModel model;
    QStringView caption;   // the window's button, the "# model:" line
    QStringView shortName; // typed on a command line
    ModelFamily family;
    int slotsCarried;  // slots a day sent to and read from the controller
    int rowsShown;     // editor rows, from the first
    int intervalPairs; // start/end label pairs; interval models show no ring lengths
    LineSettings line;
    bool relayTest;
};

namespace ModelTable {
inline constexpr LineSettings Line9600{9600, LineSettings::Parity::Odd, 8, LineSettings::StopBits::One};
inline constexpr LineSettings Line38400{38400, LineSettings::Parity::Odd, 8, LineSettings::StopBits::One};
using enum ModelFamily;

// caption, short name, family, slots carried, rows shown, interval pairs, line, relay test.
inline constexpr std::array<ModelFacts, ModelCount> Rows{{
    {DeviceModel::V1, u"V1", u"v1", ProgramMode, 24, 24, 0, Line9600, false},
    {DeviceModel::V2Times24, u"V2  (24 Zaman)", u"v2-24", Records, 24, 24, 0, Line38400, true},
    {DeviceModel::V2IntervalTimer, u"V2  (Int. Timer)", u"v2-int", Records, 24, 2, 1, Line38400, true},
    {DeviceModel::V3Times64, u"V3  (64 Zaman)", u"v3-64", Records, 64, 64, 0, Line38400, true},
    {DeviceModel::V3IntervalTimer, u"V3  (Int. Timer)", u"v3-int", Records, 24, 16, 8, Line38400, true},
}};

constexpr bool rowsInOrder()
{
    for (int i = 0; i < ModelCount; ++i) {
        if (int(Rows[size_t(i)].model) != i)
            return false;
    }
    return true;
}
static_assert(rowsInOrder(), "each model's row sits at its number");
} // namespace ModelTable

constexpr const ModelFacts &facts(DeviceModel model)
{
    return ModelTable::Rows[size_t(model)];
}

// The editor's rows 1 .. shownRowCount are the model's slots; the printed
// page lists the same.
constexpr int shownRowCount(DeviceModel model)
{
    return facts(model).rowsShown;
}

// Interval models pair their slots: slot 2k - 1 starts interval k, slot 2k
// ends it; they keep no ring length.
constexpr bool isIntervalModel(DeviceModel model)
{
    return facts(model).intervalPairs > 0;
}

// The model a stored number names; nullopt outside 0..4.
std::optional<DeviceModel> modelFromNumber(int number);

// "38400,o,8,1": baud, parity letter, data bits, stop bits.
QString lineSettingsText(const LineSettings &line);
