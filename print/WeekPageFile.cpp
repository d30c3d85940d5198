#include "print/WeekPageFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

QByteArray pdfBytes(const QString &title, const PagePainter &paint, bool &drawn)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(weekPageLayout());
        writer.setResolution(300);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("zilsistemi"));
        QPainter painter(&writer);
        drawn = painter.isActive() && paint(painter, QRectF(0, 0, writer.width(), writer.height()));
    }
    return buffer.data();
}

QByteArray pngBytes(const PagePainter &paint, bool &drawn)
{
    const QSize size = weekPageLayout().fullRectPixels(PageImageDotsPerInch).size();
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(PageImageDotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawn = painter.isActive() && paint(painter, QRectF(0, 0, image.width(), image.height()));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QByteArray svgBytes(const QString &title, const PagePainter &paint, bool &drawn)
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
    generator.setTitle(title);
    {
        QPainter painter(&generator);
        painter.fillRect(rect, Qt::white);
        drawn = paint(painter, rect);
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

QByteArray renderPage(PageFormat format, const QString &title, const PagePainter &paint)
{
    bool drawn = false;
    QByteArray bytes;
    switch (format) {
    case PageFormat::Pdf: bytes = pdfBytes(title, paint, drawn); break;
    case PageFormat::Png: bytes = pngBytes(paint, drawn); break;
    case PageFormat::Svg: bytes = svgBytes(title, paint, drawn); break;
    }
    return drawn ? bytes : QByteArray();
}

RenderedPage renderWeekPage(PageFormat format, const RingCalendar &calendar, DeviceModel model, const WeekPageHeading &heading)
{
    RenderedPage page;
    page.bytes = renderPage(format, heading.title.isEmpty() ? QStringLiteral("Zil Takvimi") : heading.title,
                            [&](QPainter &painter, const QRectF &rect) {
                                page.fit = paintWeekPage(painter, rect, calendar, model, heading);
                                return page.fit.fits();
                            });
    return page;
}
