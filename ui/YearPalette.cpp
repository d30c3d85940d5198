#include "ui/YearPalette.h"

#include "site/SiteModel.h"

#include <array>

namespace {
// Light enough for black day numbers, apart enough to tell at a glance.
constexpr std::array<QRgb, 10> Palette{0x9CC9F0, 0xF7C873, 0xE99A9A, 0xA7D89B, 0xC9A7E3, 0xF2A7CF, 0x8ED6CF, 0xE3D98A, 0xB9B9E8, 0xD8B48F};
} // namespace

QColor scheduleColour(const QStringList &schedules, const QString &schedule)
{
    if (schedule == OffScheduleName)
        return OffColour;
    const qsizetype place = schedules.indexOf(schedule);
    if (place < 0)
        return DiffersColour;
    return QColor::fromRgb(Palette[size_t(place) % Palette.size()]);
}
