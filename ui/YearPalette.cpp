#include "ui/YearPalette.h"

#include "print/YearPage.h"
#include "site/SiteModel.h"

QColor scheduleColour(const QStringList &schedules, const QString &schedule)
{
    if (schedule == OffScheduleName)
        return OffColour;
    const qsizetype place = schedules.indexOf(schedule);
    if (place < 0)
        return DiffersColour;
    return yearPaletteColour(place);
}
