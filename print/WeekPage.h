#pragma once

#include "schedule/DeviceModel.h"
#include "schedule/RingCalendar.h"

#include <QDate>
#include <QPageLayout>
#include <QString>
#include <QStringList>

class QPainter;
class QPaintDevice;
class QRectF;

// The week on one page, the same drawing for the printer, PDF, PNG and SVG.

// A day's rings are drawn at the largest size that fits, never smaller than
// 8 pt: about 2.8 mm capitals, read from an arm's length on a notice board.
constexpr double LargestEntryPointSize = 12.0;
constexpr double SmallestEntryPointSize = 8.0;
// Past one column a day the rings of a long day run on in further columns.
constexpr int MostColumnsPerDay = 4;
constexpr double PageMarginMillimetres = 8.0;

struct WeekPageHeading
{
    QString title;        // empty: "Zil Takvimi"
    QString scheduleName; // the schedule file's name
    QDate printedOn;
    QStringList extraLines; // more lines under the file's, e.g. the controller and the period
};

// A4 in landscape without margins: the page draws its own.
QPageLayout weekPageLayout();

// One day as the page lists it, in time order. Times models: the slots in
// use, "08:30  3 sn". Interval models: each interval with a slot in use,
// "08:30 – 09:10", an off end as "--:--". Empty when nothing rings.
QStringList dayEntries(const RingCalendar &calendar, DeviceModel model, int day);

struct WeekPageFit
{
    double pointSize = 0; // of the entries; 0 when the week does not fit
    int columnsPerDay = 0;
    int mostEntries = 0; // of any one day
    QString widestEntry;
    bool fits() const { return pointSize > 0; }
};

// Paints the page into `page` (device coordinates of the painter's device).
// When even the smallest size cannot hold the week nothing is drawn, and the
// result says so with the longest day and the widest entry.
WeekPageFit paintWeekPage(QPainter &painter, const QRectF &page, const RingCalendar &calendar, DeviceModel model,
                          const WeekPageHeading &heading);
// The same over the whole of a device (its paintable area for a printer).
WeekPageFit paintWeekPage(QPaintDevice &device, const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading);
