#pragma once

#include <QFont>
#include <QPaintDevice>
#include <QString>

// What every printed page draws with.

// DejaVu Sans has every Turkish letter and is installed with the program.
inline const QString PageFontFamily = QStringLiteral("DejaVu Sans");

inline QFont pageFont(double pointSize, bool bold = false)
{
    QFont font(PageFontFamily);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // The same widths measured and drawn on every device, at any resolution.
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Millimetres to device pixels.
inline double mm(const QPaintDevice *device, double millimetres)
{
    return millimetres * device->logicalDpiX() / 25.4;
}
