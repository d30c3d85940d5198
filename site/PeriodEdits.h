#pragma once

#include "schedule/Result.h"

#include <QDate>
#include <QString>
#include <QStringList>

// A period as the operator or a script gives it.
struct PeriodDraft
{
    QString name;
    QDate from, to;          // both included; one day when equal
    QString schedule;        // a name of the [schedules] table, or "off"
    QStringList controllers; // empty: every controller
};

// Each edits the site file as text: only the period's own [[periods]] block
// is written (added at the end, replaced, or deleted), and every other byte
// stays as it was. The result is read again and checked as `site check`
// checks a file before it replaces the old one atomically; a refused edit
// leaves the file untouched and says why.
Result<> addPeriod(const QString &sitePath, const PeriodDraft &period);
Result<> changePeriod(const QString &sitePath, const QString &name, const PeriodDraft &period);
Result<> removePeriod(const QString &sitePath, const QString &name);
