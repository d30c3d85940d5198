#pragma once

#include "print/WeekPageFile.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QPainter;
class QRectF;

// The school year on one page, for the printer, PDF, PNG and SVG: twelve
// month rows of day cells, each coloured and lettered by what it rings.

// What a day cell can show, in the legend's order.
struct YearPageKey
{
    QString caption;     // a schedule's name, "Zil yok" for none
    bool silent = false; // nothing rings: hatched, without a colour of the palette
};

struct YearPagePeriod
{
    QString name;
    QDate from, to;          // both included
    QString schedule;        // as the legend names it
    QStringList controllers; // empty: every controller
};

struct YearPageContent
{
    QString siteName;
    QStringList headingLines; // under the title: the year, whose plan, the file, the day printed
    QDate first;              // the 1st of the first of twelve months
    // One entry a date from `first`: an index into `keys`, or DiffersKey.
    QList<int> days;
    QList<YearPageKey> keys;
    QList<YearPagePeriod> periods;

    static constexpr int DiffersKey = -1; // the controllers ring different schedules
};

// The legend's letter and colour of a key: letters A, B, ... in its order;
// colours from a palette in its order, so no schedule name is special.
QString yearPageLetter(const YearPageContent &content, int key);
QColor yearPageColour(const YearPageContent &content, int key);
// The palette's colour at a place (0 and up, round again past its end): the
// page's and the window's, so a schedule looks the same on both.
QColor yearPaletteColour(qsizetype place);

// "Yıllık Zil Planı – <site>"
QString yearPageTitle(const YearPageContent &content);

// Paints the page into `page` (device coordinates of the painter's device).
// Periods past the room left under the months are summed up in one line.
void paintYearPage(QPainter &painter, const QRectF &page, const YearPageContent &content);

// The page as a whole PDF, PNG or SVG file.
QByteArray renderYearPage(PageFormat format, const YearPageContent &content);
