#include "print/WeekPageFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

QByteArray pdfBytes(const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading, WeekPageFit &fit)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(weekPageLayout());
        writer.setResolution(300);
        writer.setTitle(heading.title.isEmpty() ? QStringLiteral("Zil Takvimi") : heading.title);
        writer.setCreator(QStringLiteral("zilsistemi"));
        fit = paintWeekPage(writer, calendar, model, heading);
    }
    return buffer.data();
}

QByteArray pngBytes(const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading, WeekPageFit &fit)
{
    const QSize size = weekPageLayout().fullRectPixels(PageImageDotsPerInch).size();
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(PageImageDotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    fit = paintWeekPage(image, calendar, model, heading);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QByteArray svgBytes(const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading, WeekPageFit &fit)
{
    constexpr int SvgDotsPerInch = 300; // fonts keep their size: a raster rounds them to whole pixels
    const QRect rect = weekPageLayout().fullRectPixels(SvgDotsPerInch);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(SvgDotsPerInch);
    generator.setSize(rect.size());
    generator.setViewBox(rect);
    generator.setTitle(heading.title.isEmpty() ? QStringLiteral("Zil Takvimi") : heading.title);
    {
        QPainter painter(&generator);
        painter.fillRect(rect, Qt::white);
        fit = paintWeekPage(painter, rect, calendar, model, heading);
    }
    return buffer.data();
}

} // namespace

std::optional<PageFormat> pageFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pdf")
        return PageFormat::Pdf;
    if (suffix == u"png")
        return PageFormat::Png;
    if (suffix == u"svg")
        return PageFormat::Svg;
    return std::nullopt;
}

RenderedPage renderWeekPage(PageFormat format, const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading)
{
    RenderedPage page;
    switch (format) {
    case PageFormat::Pdf: page.bytes = pdfBytes(calendar, model, heading, page.fit); break;
    case PageFormat::Png: page.bytes = pngBytes(calendar, model, heading, page.fit); break;
    case PageFormat::Svg: page.bytes = svgBytes(calendar, model, heading, page.fit); break;
    }
    if (!page.fit.fits())
        page.bytes.clear();
    return page;
}
