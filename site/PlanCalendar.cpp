#include "site/PlanCalendar.h"

#include "site/SitePlan.h"

#include <QCryptographicHash>
#include <QMap>

#include <libical/ical.h>

namespace {

// What the printed week says of a day without bells.
const QString NoBellsCaption = QStringLiteral("Zil yok");
// UIDs are hashes; the domain only makes them look like the RFC's.
constexpr char UidDomain[] = "@zilsistemi.example.org";

icaltimetype icalDate(QDate date)
{
    icaltimetype t = icaltime_null_date();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    return t;
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

} // namespace

QString PlanRun::summary() const
{
    return period + QStringLiteral(" – ") + (schedule == OffScheduleName ? NoBellsCaption : schedule);
}

QList<PlanRun> planRuns(const Site &site, QDate from, QDate to, const QString &controller)
{
    QList<const SiteController *> controllers;
    for (const SiteController &c : site.controllers) {
        if (controller.isEmpty() || c.name == controller)
            controllers << &c;
    }
    QList<PlanRun> runs;
    QMap<QStringList, qsizetype> open; // period, schedule, controllers: the run that reached yesterday
    for (QDate date = from; date <= to; date = date.addDays(1)) {
        QMap<std::pair<QString, QString>, QStringList> today;
        for (const SiteController *c : std::as_const(controllers)) {
            const PlannedDay day = plannedDay(site, *c, date);
            if (day.schedule != c->schedule)
                today[{day.period, day.schedule}] << c->name;
        }
        for (auto it = today.cbegin(); it != today.cend(); ++it) {
            const QStringList key{it.key().first, it.key().second, it.value().join(u'\n')};
            const auto run = open.constFind(key);
            if (run != open.cend() && runs[*run].to == date.addDays(-1)) {
                runs[*run].to = date;
            } else {
                open[key] = runs.size();
                runs.append({it.key().first, it.key().second, it.value(), date, date, {}});
            }
        }
    }
    for (PlanRun &run : runs) {
        const QStringList identity{
            site.name, run.period, run.schedule, run.controllers.join(u','), run.from.toString(Qt::ISODate), run.to.toString(Qt::ISODate)};
        const QByteArray hash = QCryptographicHash::hash(utf8(identity.join(u'\n')), QCryptographicHash::Sha256).toHex();
        run.uid = QString::fromLatin1(hash.left(32) + UidDomain);
    }
    return runs;
}

QByteArray planCalendarText(const QList<PlanRun> &runs, const QString &productId, const QDateTime &now)
{
    icalcomponent *calendar = icalcomponent_new_vcalendar();
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid(utf8(productId).constData()));
    icalcomponent_add_property(calendar, icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype stamp = icaltime_from_timet_with_zone(time_t(now.toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone());
    for (const PlanRun &run : runs) {
        icalcomponent *event = icalcomponent_new_vevent();
        icalcomponent_add_property(event, icalproperty_new_uid(utf8(run.uid).constData()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
        icalcomponent_add_property(event, icalproperty_new_dtstart(icalDate(run.from)));
        icalcomponent_add_property(event, icalproperty_new_dtend(icalDate(run.to.addDays(1)))); // excluded
        icalcomponent_add_property(event, icalproperty_new_summary(utf8(run.summary()).constData()));
        icalcomponent_add_property(event, icalproperty_new_description(utf8(run.controllers.join(QStringLiteral(", "))).constData()));
        icalcomponent_add_component(calendar, event);
    }
    char *text = icalcomponent_as_ical_string_r(calendar);
    const QByteArray bytes(text);
    icalmemory_free_buffer(text);
    icalcomponent_free(calendar);
    return bytes;
}
