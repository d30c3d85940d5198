#include "sitecmd/SitePlanText.h"

#include "operations/ClockText.h"
#include "schedule/DeviceModelNames.h"
#include "site/SitePlan.h"

#include <QFileInfo>

namespace {

QString isoDate(QDate date)
{
    return date.toString(Qt::ISODate);
}

QString dayText(const PlannedDay &day)
{
    return day.period.isEmpty() ? day.schedule : QStringLiteral("%1 (%2)").arg(day.schedule, day.period);
}

// Rows of cells, each column as wide as its widest cell, two blanks apart.
QString table(const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    QString text;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        text += line + u'\n';
    }
    return text;
}

} // namespace

QString siteCheckText(const Site &site, QDate today)
{
    QString text = QStringLiteral("%1: the site is sound%2\n")
                       .arg(site.path, site.name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(site.name));
    QList<QStringList> controllers{{QStringLiteral("controller"), QStringLiteral("link"), QStringLiteral("model"),
                                    QStringLiteral("schedule"), QStringLiteral("next change")}};
    for (const SiteController &controller : site.controllers) {
        const PlannedDay next = nextChange(site, controller, today);
        const QString change = next.date.isValid() ? isoDate(next.date) + u' ' + dayText(next) : QStringLiteral("none ahead");
        controllers.append({controller.name, controller.linkText, modelCaption(controller.model), controller.schedule, change});
    }
    text += u'\n' + table(controllers);
    QList<QStringList> schedules{{QStringLiteral("schedule"), QStringLiteral("slots"), QStringLiteral("text")}};
    for (const SiteSchedule &schedule : site.schedules) {
        schedules.append({schedule.name, QString::number(schedule.reading.slotCount()),
                          schedule.path.isEmpty() ? QStringLiteral("(every slot off)") : schedule.path});
    }
    text += u'\n' + table(schedules);
    text += QStringLiteral("\n%1 period(s); clock tolerance %2 s\n").arg(site.periods.size()).arg(site.clockToleranceSeconds);
    return text;
}

QString sitePlanText(const Site &site, QDate from, int days)
{
    QList<QStringList> rows;
    QStringList header{QStringLiteral("date")};
    for (const SiteController &controller : site.controllers)
        header << controller.name;
    rows.append(header);
    for (int i = 0; i < days; ++i) {
        const QDate date = from.addDays(i);
        QStringList row{isoDate(date) + u' ' + DayName(date.dayOfWeek())};
        for (const SiteController &controller : site.controllers)
            row << plannedDay(site, controller, date).caption();
        rows.append(row);
    }
    QString text = table(rows);
    text += QStringLiteral("\nThe week each controller must hold on %1:\n").arg(isoDate(from));
    for (const SiteController &controller : site.controllers) {
        const PlannedWeek week = plannedWeek(site, controller, from);
        text += QStringLiteral("\n%1 (%2):\n").arg(controller.name, modelCaption(controller.model));
        QList<QStringList> weekRows;
        for (const PlannedDay &day : week.days)
            weekRows.append({QStringLiteral("  ") + DayName(day.date.dayOfWeek()), isoDate(day.date), dayText(day)});
        text += table(weekRows);
    }
    return text;
}
