#include "print/WeekPage.h"

#include "print/PageFont.h"
#include "schedule/DateTimeValue.h"
#include "schedule/DayNames.h"
#include "schedule/DeviceModelNames.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

namespace {

constexpr double TitlePointSize = 20.0;
constexpr double SmallestTitlePointSize = 12.0;
constexpr double HeadingPointSize = 10.0;
constexpr double DayNamePointSize = 11.0;
constexpr double SizeStep = 0.5;
constexpr double DayPaddingMillimetres = 1.0;
constexpr double ColumnGapMillimetres = 2.0;

int minuteOfDay(double value)
{
    const TimeOfDay time = timeOfDay(value);
    return time.hour * 60 + time.minute;
}

struct Entry
{
    int minute;
    int slot;
    QString text;
};

QStringList sortedTexts(std::vector<Entry> entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return std::tie(a.minute, a.slot) < std::tie(b.minute, b.slot); });
    QStringList texts;
    for (const Entry &entry : entries)
        texts.append(entry.text);
    return texts;
}

struct Layout
{
    double pointSize;
    int columns;
};

// The largest size, then the fewest columns, that hold every day.
std::optional<Layout> fitEntries(QPaintDevice *device, const QSizeF &area, double columnGap, int mostEntries, const QStringList &allEntries)
{
    for (double size = LargestEntryPointSize; size >= SmallestEntryPointSize - 1e-9; size -= SizeStep) {
        const QFontMetricsF metrics(pageFont(size), device);
        double widest = metrics.horizontalAdvance(QStringLiteral("Zil yok"));
        for (const QString &entry : allEntries)
            widest = std::max(widest, metrics.horizontalAdvance(entry));
        for (int columns = 1; columns <= MostColumnsPerDay; ++columns) {
            const int rows = (mostEntries + columns - 1) / columns;
            const double columnWidth = (area.width() - (columns - 1) * columnGap) / columns;
            if (widest > columnWidth)
                break; // more columns are only narrower
            if (rows * metrics.lineSpacing() <= area.height())
                return Layout{size, columns};
        }
    }
    return std::nullopt;
}

// One line of the heading at its size, shrunk down to `smallest` and then
// shortened with an ellipsis, never cut at the page's edge.
double drawHeadingLine(QPainter &painter, const QString &text, double top, double left, double width, double size, double smallest,
                       bool bold)
{
    QFont font = pageFont(size, bold);
    QFontMetricsF metrics(font, painter.device());
    while (metrics.horizontalAdvance(text) > width && size > smallest) {
        size = std::max(smallest, size - SizeStep);
        font = pageFont(size, bold);
        metrics = QFontMetricsF(font, painter.device());
    }
    painter.setFont(font);
    painter.drawText(QPointF(left, top + metrics.ascent()), metrics.elidedText(text, Qt::ElideRight, width));
    return top + metrics.lineSpacing();
}

} // namespace

QPageLayout weekPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF());
}

QStringList dayEntries(const RingCalendar &calendar, DeviceModel model, int day)
{
    std::vector<Entry> entries;
    const int slotCount = shownRowCount(model);
    const auto inUse = [&](int slot) { return calendar.timeUsed(day, slot) == 1; };
    if (isIntervalModel(model)) {
        for (int start = 1; start + 1 <= slotCount; start += 2) {
            if (!inUse(start) && !inUse(start + 1))
                continue;
            const auto shown = [&](int slot) {
                return inUse(slot) ? hourMinuteText(calendar.ringTime(day, slot)) : QStringLiteral("--:--");
            };
            entries.push_back(
                {minuteOfDay(calendar.ringTime(day, start)), start, QStringLiteral("%1 – %2").arg(shown(start), shown(start + 1))});
        }
    } else {
        for (int slot = 1; slot <= slotCount; ++slot) {
            if (inUse(slot))
                entries.push_back(
                    {minuteOfDay(calendar.ringTime(day, slot)), slot,
                     QStringLiteral("%1  %2 sn").arg(hourMinuteText(calendar.ringTime(day, slot))).arg(calendar.ringDuration(day, slot))});
        }
    }
    return sortedTexts(std::move(entries));
}

WeekPageFit paintWeekPage(QPainter &painter, const QRectF &page, const RingCalendar &calendar, DeviceModel model,
                          const WeekPageHeading &heading)
{
    QPaintDevice *device = painter.device();
    const QRectF inside = page.adjusted(mm(device, PageMarginMillimetres), mm(device, PageMarginMillimetres),
                                        -mm(device, PageMarginMillimetres), -mm(device, PageMarginMillimetres));
    WeekPageFit fit;
    std::array<QStringList, DayCount> days;
    QStringList allEntries;
    for (int day = 1; day <= DayCount; ++day) {
        days[size_t(day - 1)] = dayEntries(calendar, model, day);
        allEntries += days[size_t(day - 1)];
        fit.mostEntries = std::max(fit.mostEntries, int(days[size_t(day - 1)].size()));
    }
    const QFontMetricsF measure(pageFont(SmallestEntryPointSize), device);
    for (const QString &entry : allEntries) {
        if (measure.horizontalAdvance(entry) > measure.horizontalAdvance(fit.widestEntry))
            fit.widestEntry = entry;
    }

    // The heading's height is known before drawing: its lines at full size.
    QStringList lines{QStringLiteral("Cihaz Modeli: %1").arg(modelCaption(model)),
                      QStringLiteral("Dosya: %1    Yazdırma tarihi: %2")
                          .arg(heading.scheduleName,
                               QLocale(QLocale::Turkish, QLocale::Turkey).toString(heading.printedOn, QStringLiteral("d MMMM yyyy")))};
    lines += heading.extraLines;
    const QFontMetricsF titleMetrics(pageFont(TitlePointSize, true), device);
    const QFontMetricsF lineMetrics(pageFont(HeadingPointSize), device);
    const QFontMetricsF dayMetrics(pageFont(DayNamePointSize, true), device);
    const double ruleGap = mm(device, 2.0);
    const double entriesTop = inside.top() + titleMetrics.lineSpacing() + lines.size() * lineMetrics.lineSpacing() + ruleGap * 2 +
                              dayMetrics.lineSpacing() + ruleGap;
    const double dayWidth = inside.width() / DayCount;
    const double padding = mm(device, DayPaddingMillimetres);
    const QSizeF entryArea(dayWidth - 2 * padding, inside.bottom() - entriesTop);
    const std::optional<Layout> layout = fitEntries(device, entryArea, mm(device, ColumnGapMillimetres), fit.mostEntries, allEntries);
    if (!layout)
        return fit;
    fit.pointSize = layout->pointSize;
    fit.columnsPerDay = layout->columns;

    painter.save();
    painter.setPen(QPen(Qt::black));
    double top = inside.top();
    const QString title = heading.title.isEmpty() ? QStringLiteral("Zil Takvimi") : heading.title;
    top = drawHeadingLine(painter, title, top, inside.left(), inside.width(), TitlePointSize, SmallestTitlePointSize, true);
    for (const QString &line : std::as_const(lines))
        top = drawHeadingLine(painter, line, top, inside.left(), inside.width(), HeadingPointSize, HeadingPointSize, false);
    top += ruleGap;
    painter.setPen(QPen(Qt::black, mm(device, 0.3), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(inside.left(), top), QPointF(inside.right(), top));
    top += ruleGap;

    painter.setPen(QPen(Qt::gray, mm(device, 0.2), Qt::SolidLine, Qt::FlatCap));
    for (int day = 1; day < DayCount; ++day)
        painter.drawLine(QPointF(inside.left() + day * dayWidth, top), QPointF(inside.left() + day * dayWidth, inside.bottom()));

    painter.setPen(QPen(Qt::black));
    painter.setFont(pageFont(DayNamePointSize, true));
    for (int day = 1; day <= DayCount; ++day) {
        const QString name = DayNames[size_t(day - 1)].toString();
        const double left = inside.left() + (day - 1) * dayWidth;
        painter.drawText(QPointF(left + (dayWidth - dayMetrics.horizontalAdvance(name)) / 2, top + dayMetrics.ascent()), name);
    }

    const QFont entryFont = pageFont(layout->pointSize);
    const QFontMetricsF entryMetrics(entryFont, painter.device());
    const double columnGap = mm(device, ColumnGapMillimetres);
    const double columnWidth = (entryArea.width() - (layout->columns - 1) * columnGap) / layout->columns;
    const int rows = std::max(1, (fit.mostEntries + layout->columns - 1) / layout->columns);
    // Room to spare opens the lines up a little, for reading from afar.
    const double linePitch = std::min(entryArea.height() / rows, entryMetrics.lineSpacing() * 1.4);
    painter.setFont(entryFont);
    for (int day = 1; day <= DayCount; ++day) {
        const double left = inside.left() + (day - 1) * dayWidth + padding;
        QStringList entries = days[size_t(day - 1)];
        if (entries.isEmpty())
            entries.append(QStringLiteral("Zil yok"));
        for (int i = 0; i < entries.size(); ++i) {
            const double x = left + (i / rows) * (columnWidth + columnGap);
            const double y = entriesTop + (i % rows) * linePitch + entryMetrics.ascent();
            painter.drawText(QPointF(x, y), entries[i]);
        }
    }
    painter.restore();
    return fit;
}

WeekPageFit paintWeekPage(QPaintDevice &device, const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading)
{
    QPainter painter(&device);
    if (!painter.isActive())
        return {}; // a printer that could not start: nothing drawn, the week not measured
    return paintWeekPage(painter, QRectF(0, 0, device.width(), device.height()), calendar, model, heading);
}
