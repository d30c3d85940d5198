#pragma once

#include "print/WeekPage.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QIODevice;

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

// The page as a whole PDF (fonts embedded), PNG or SVG file.
RenderedPage renderWeekPage(PageFormat format, const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading);
