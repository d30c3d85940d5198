#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The PC clock label: "dd/MM/yyyy HH:mm:ss, dddd" with the locale's date and
// time separators and its full weekday name.
QString pcClockText(const QDateTime &now, const QLocale &locale);
