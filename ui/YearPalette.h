#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

// The year's colours: a schedule takes the palette's colour of its place in
// the [schedules] table, so no schedule name is special; "off" and days on
// which the controllers differ have colours of their own.
QColor scheduleColour(const QStringList &schedules, const QString &schedule);
inline const QColor OffColour{0xB0, 0xB0, 0xB0};
inline const QColor DiffersColour{0xFF, 0xFF, 0xFF};
inline const QColor TodayColour{0xD0, 0x00, 0x00};
