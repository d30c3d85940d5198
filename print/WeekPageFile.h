#pragma once

#include "print/WeekPage.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QPainter;
class QRectF;

enum class PageFormat { Pdf, Png, Svg };

// By the file name's extension, in any letter case: .pdf, .png, .svg.
std::optional<PageFormat> pageFormatOf(const QString &path);

// The PNG's resolution: A4 landscape is 1754 x 1240 pixels.
constexpr int PageImageDotsPerInch = 150;

struct RenderedPage
{
    QByteArray bytes; // empty when the week did not fit
    WeekPageFit fit;
};

// Draws one page into `rect`; false when nothing fit and no file should be made.
using PagePainter = std::function<bool(QPainter &painter, const QRectF &rect)>;

// An A4 landscape page as a whole PDF (fonts embedded), PNG or SVG file;
// empty when the painter drew nothing.
QByteArray renderPage(PageFormat format, const QString &title, const PagePainter &paint);

// The week's page as a whole PDF (fonts embedded), PNG or SVG file.
RenderedPage renderWeekPage(PageFormat format, const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading);
