#include "print/YearPage.h"

#include "print/PageFont.h"
#include "print/WeekPage.h"
#include "print/WeekPageFile.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <array>

namespace {

constexpr int MonthCount = 12;
constexpr int MostDaysInMonth = 31;
constexpr double TitlePointSize = 18.0;
constexpr double HeadingPointSize = 9.5;
constexpr double MonthPointSize = 9.0;
constexpr double DayNumberPointSize = 6.5;
constexpr double WeekdayPointSize = 4.5;
constexpr double LetterPointSize = 7.5;
constexpr double ListPointSize = 8.0;
constexpr double GapMillimetres = 2.0;
// Cells no flatter than this hold a weekday and a letter; no taller than
// the other keeps the periods room on a busy year.
constexpr double LowestRowMillimetres = 6.0;
constexpr double HighestRowMillimetres = 11.0;
constexpr int PeriodColumns = 3;

// Light enough under black letters and day numbers, apart from each other in
// colour, none of them grey; on paper the letters tell them apart in grey.
constexpr std::array<QRgb, 10> Palette{0x9CC9F0, 0xF7C873, 0xE99A9A, 0xA7D89B, 0xC9A7E3, 0xF2A7CF, 0x8ED6CF, 0xE3D98A, 0xB9B9E8, 0xD8B48F};
const QColor SilentColour(Qt::white);
const QColor DiffersColour(0xf0f0f0);
const QString DiffersLetter = QStringLiteral("≠");

const QLocale &turkish()
{
    static const QLocale locale(QLocale::Turkish, QLocale::Turkey);
    return locale;
}

QString dateText(QDate date)
{
    return turkish().toString(date, QStringLiteral("d MMMM yyyy"));
}

QString periodText(const YearPagePeriod &period)
{
    QString text = period.name + QStringLiteral(": ") + dateText(period.from);
    if (period.to != period.from)
        text += QStringLiteral(" – ") + dateText(period.to);
    text += QStringLiteral(", ") + period.schedule;
    if (!period.controllers.isEmpty())
        text += QStringLiteral(" (%1)").arg(period.controllers.join(QStringLiteral(", ")));
    return text;
}

// One cell's look: a colour, a hatch for silence, its letter.
void paintCell(QPainter &painter, const QRectF &cell, const YearPageContent &content, int key, const QString &weekday)
{
    QPaintDevice *device = painter.device();
    painter.fillRect(cell, yearPageColour(content, key));
    if (key >= 0 && key < content.keys.size() && content.keys[key].silent)
        painter.fillRect(cell, QBrush(QColor(0x909090), Qt::BDiagPattern));
    painter.setPen(QPen(QColor(0x707070), mm(device, 0.15)));
    painter.drawRect(cell);
    painter.setPen(Qt::black);
    if (!weekday.isEmpty()) {
        painter.setFont(pageFont(WeekdayPointSize));
        const QFontMetricsF metrics(painter.font(), device);
        painter.drawText(QPointF(cell.left() + mm(device, 0.5), cell.top() + mm(device, 0.3) + metrics.ascent()), weekday);
    }
    painter.setFont(pageFont(LetterPointSize, true));
    const QFontMetricsF metrics(painter.font(), device);
    const QString letter = yearPageLetter(content, key);
    painter.drawText(
        QPointF(cell.center().x() - metrics.horizontalAdvance(letter) / 2, cell.bottom() - metrics.descent() - mm(device, 0.3)), letter);
}

double drawLine(QPainter &painter, const QString &text, double top, const QRectF &inside, const QFont &font)
{
    const QFontMetricsF metrics(font, painter.device());
    painter.setFont(font);
    painter.drawText(QPointF(inside.left(), top + metrics.ascent()), metrics.elidedText(text, Qt::ElideRight, inside.width()));
    return top + metrics.lineSpacing();
}

struct LegendItem
{
    int key;
    QString caption;
};

} // namespace

QString yearPageLetter(const YearPageContent &content, int key)
{
    if (key < 0 || key >= content.keys.size())
        return DiffersLetter;
    if (content.keys[key].silent)
        return QStringLiteral("–");
    int letter = 0; // silent keys take no letter from the others
    for (int i = 0; i < key; ++i)
        letter += !content.keys[i].silent;
    return letter < 26 ? QString(QChar(u'A' + letter)) : QString::number(letter + 1);
}

QColor yearPageColour(const YearPageContent &content, int key)
{
    if (key < 0 || key >= content.keys.size())
        return DiffersColour;
    if (content.keys[key].silent)
        return SilentColour;
    int colour = 0;
    for (int i = 0; i < key; ++i)
        colour += !content.keys[i].silent;
    return yearPaletteColour(colour);
}

QColor yearPaletteColour(qsizetype place)
{
    return QColor::fromRgb(Palette[size_t(place) % Palette.size()]);
}

QString yearPageTitle(const YearPageContent &content)
{
    return content.siteName.isEmpty() ? QStringLiteral("Yıllık Zil Planı") : QStringLiteral("Yıllık Zil Planı – %1").arg(content.siteName);
}

void paintYearPage(QPainter &painter, const QRectF &page, const YearPageContent &content)
{
    QPaintDevice *device = painter.device();
    const double margin = mm(device, PageMarginMillimetres);
    const QRectF inside = page.adjusted(margin, margin, -margin, -margin);
    const double gap = mm(device, GapMillimetres);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false); // cell fills stay one flat colour
    painter.setPen(Qt::black);

    double top = drawLine(painter, yearPageTitle(content), inside.top(), inside, pageFont(TitlePointSize, true));
    for (const QString &line : content.headingLines)
        top = drawLine(painter, line, top, inside, pageFont(HeadingPointSize));
    top += gap / 2;
    painter.setPen(QPen(Qt::black, mm(device, 0.3)));
    painter.drawLine(QPointF(inside.left(), top), QPointF(inside.right(), top));
    top += gap;

    // What goes under the months is measured first: the months take the rest.
    const QFont listFont = pageFont(ListPointSize);
    const QFontMetricsF list(listFont, device);
    QList<LegendItem> legend;
    for (int key = 0; key < content.keys.size(); ++key)
        legend.append({key, content.keys[key].caption});
    if (content.days.contains(YearPageContent::DiffersKey))
        legend.append({YearPageContent::DiffersKey, QStringLiteral("Cihazlara göre farklı")});
    const double swatch = list.lineSpacing() * 1.3;
    QList<double> legendWidths;
    int legendRows = legend.isEmpty() ? 0 : 1;
    for (double x = 0; const LegendItem &item : std::as_const(legend)) {
        const double width = swatch + gap / 2 + list.horizontalAdvance(item.caption) + gap * 2;
        if (x > 0 && x + width > inside.width()) {
            ++legendRows;
            x = 0;
        }
        x += width;
        legendWidths << width;
    }
    const double legendHeight = legendRows * (swatch + gap / 2);
    const QFont monthFont = pageFont(MonthPointSize, true);
    const QFontMetricsF monthMetrics(monthFont, device);
    const QFontMetricsF numberMetrics(pageFont(DayNumberPointSize), device);
    const double numbersHeight = numberMetrics.lineSpacing();
    const double periodsTitle = content.periods.isEmpty() ? 0 : list.lineSpacing();
    const double fixed = numbersHeight + gap + legendHeight + gap + periodsTitle;
    const int periodRowsWanted = int((content.periods.size() + PeriodColumns - 1) / PeriodColumns);
    const double room = inside.bottom() - top - fixed;
    const double rowHeight = std::clamp((room - periodRowsWanted * list.lineSpacing()) / MonthCount, mm(device, LowestRowMillimetres),
                                        mm(device, HighestRowMillimetres));
    const int periodRows = std::clamp(int((room - rowHeight * MonthCount) / list.lineSpacing()), 0, periodRowsWanted);

    // The months, one row each: the month's name, then a cell for each of its days.
    double labelWidth = 0;
    for (int i = 0; i < MonthCount; ++i) {
        const QDate month = content.first.addMonths(i);
        labelWidth = std::max(labelWidth, monthMetrics.horizontalAdvance(turkish().standaloneMonthName(month.month()) +
                                                                         QStringLiteral(" %1").arg(month.year())));
    }
    labelWidth += gap;
    const double cellWidth = (inside.width() - labelWidth) / MostDaysInMonth;
    painter.setFont(pageFont(DayNumberPointSize));
    for (int day = 1; day <= MostDaysInMonth; ++day) {
        const QString number = QString::number(day);
        painter.drawText(QPointF(inside.left() + labelWidth + (day - 0.5) * cellWidth - numberMetrics.horizontalAdvance(number) / 2,
                                 top + numberMetrics.ascent()),
                         number);
    }
    top += numbersHeight;
    for (int i = 0; i < MonthCount; ++i) {
        const QDate month = content.first.addMonths(i);
        const double rowTop = top + i * rowHeight;
        painter.setPen(Qt::black);
        painter.setFont(monthFont);
        painter.drawText(QPointF(inside.left(), rowTop + (rowHeight + monthMetrics.ascent() - monthMetrics.descent()) / 2),
                         turkish().standaloneMonthName(month.month()) + QStringLiteral(" %1").arg(month.year()));
        for (int day = 1; day <= month.daysInMonth(); ++day) {
            const QDate date(month.year(), month.month(), day);
            const qint64 index = content.first.daysTo(date);
            if (index < 0 || index >= content.days.size())
                continue;
            const QRectF cell(inside.left() + labelWidth + (day - 1) * cellWidth, rowTop, cellWidth, rowHeight);
            paintCell(painter, cell, content, content.days[index], turkish().dayName(date.dayOfWeek(), QLocale::ShortFormat));
        }
    }
    top += MonthCount * rowHeight + gap;

    // The legend: each key's cell as the months show it, and its name.
    double x = inside.left();
    for (qsizetype i = 0; i < legend.size(); ++i) {
        if (x > inside.left() && x + legendWidths[i] > inside.right()) {
            x = inside.left();
            top += swatch + gap / 2;
        }
        paintCell(painter, QRectF(x, top, swatch, swatch), content, legend[i].key, {});
        painter.setFont(listFont);
        painter.drawText(QPointF(x + swatch + gap / 2, top + (swatch + list.ascent() - list.descent()) / 2), legend[i].caption);
        x += legendWidths[i];
    }
    if (!legend.isEmpty())
        top += swatch + gap / 2;
    top += gap;

    // The periods with their dates, in columns down the page.
    if (!content.periods.isEmpty()) {
        top = drawLine(painter, QStringLiteral("Dönemler"), top, inside, pageFont(ListPointSize, true));
        painter.setFont(listFont);
        const double columnWidth = (inside.width() - (PeriodColumns - 1) * gap) / PeriodColumns;
        const qsizetype shown = std::min<qsizetype>(content.periods.size(), qsizetype(periodRows) * PeriodColumns);
        const bool cut = shown < content.periods.size();
        for (qsizetype i = 0; i < shown; ++i) {
            QString text = periodText(content.periods[i]);
            if (cut && i == shown - 1)
                text = QStringLiteral("… ve %1 dönem daha").arg(content.periods.size() - shown + 1);
            const double left = inside.left() + (i / std::max(1, periodRows)) * (columnWidth + gap);
            const double y = top + (i % std::max(1, periodRows)) * list.lineSpacing() + list.ascent();
            painter.drawText(QPointF(left, y), list.elidedText(text, Qt::ElideRight, columnWidth));
        }
    }
    painter.restore();
}

QByteArray renderYearPage(PageFormat format, const YearPageContent &content)
{
    return renderPage(format, yearPageTitle(content), [&](QPainter &painter, const QRectF &rect) {
        paintYearPage(painter, rect, content);
        return true;
    });
}
