#include "site/CalendarPeriods.h"

#include "schedule/WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <memory>

#include <libical/ical.h>

namespace {

// Past these a file is not a calendar of school days: it is refused rather
// than followed for minutes.
constexpr int MostRuleSteps = 100000;  // occurrences all its rules yield up to the end of the window
constexpr int MostOccurrences = 20000; // periods one file gives
constexpr qsizetype MostProblems = 20; // of one file; a file of junk has one a line

struct ComponentFree
{
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
struct ParserFree
{
    void operator()(icalparser *p) const { icalparser_free(p); }
};
struct IteratorFree
{
    void operator()(icalrecur_iterator *i) const { icalrecur_iterator_free(i); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

QDate dateOf(const icaltimetype &t)
{
    return QDate(t.year, t.month, t.day);
}

// Seconds since the epoch for a time with a zone; a floating time is
// counted as if it were UTC, which keeps differences and wall dates right.
qint64 secondsOf(const icaltimetype &t)
{
    return t.zone ? qint64(icaltime_as_timet_with_zone(t, t.zone)) : qint64(icaltime_as_timet(t));
}

// A line of the file as RFC 5545 unfolds it, and the line it starts on.
struct TextLine
{
    QByteArray text;
    int line = 0;
};

// The library reads the file a line at a time, so that a line it cannot
// read is known by its number; folded lines are joined first.
QList<TextLine> unfoldedLines(const QByteArray &bytes)
{
    QList<TextLine> lines;
    const QList<QByteArray> physical = bytes.split('\n');
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QByteArray text = physical[i];
        if (text.endsWith('\r'))
            text.chop(1);
        if (!lines.isEmpty() && (text.startsWith(' ') || text.startsWith('\t')))
            lines.last().text += text.mid(1);
        else if (!text.isEmpty())
            lines.append({text, int(i + 1)});
    }
    return lines;
}

class CalendarReader
{
public:
    CalendarReader(const QString &shownPath, const QTimeZone &zone, DateSpan window, CalendarReading &reading)
        : m_path(shownPath), m_zone(zone), m_window(window), m_reading(reading)
    {
    }

    void read(const QByteArray &bytes)
    {
        if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
            return problem(int(bytes.left(nul).count('\n') + 1), QStringLiteral("holds a NUL byte: this is no calendar text"));
        std::vector<Component> calendars;
        parse(bytes, calendars);
        if (!m_reading.problems.isEmpty())
            return;
        if (calendars.empty())
            return problem(0, QStringLiteral("is no iCalendar file: it has no BEGIN:VCALENDAR"));
        std::vector<icalcomponent *> events;
        for (const Component &calendar : calendars) {
            for (icalcomponent *e = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT); e;
                 e = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT))
                events.push_back(e);
        }
        if (events.empty())
            return problem(0, QStringLiteral("holds no event (VEVENT)"));
        collectReplaced(events);
        for (size_t i = 0; i < events.size() && m_reading.problems.isEmpty(); ++i)
            readEvent(events[i], i < m_eventLines.size() ? m_eventLines[i] : 0);
        if (!m_reading.problems.isEmpty())
            m_reading.events.clear();
    }

private:
    void problem(int line, const QString &message)
    {
        if (m_reading.problems.size() < MostProblems)
            m_reading.problems.append({{m_path, line}, message});
    }

    void parse(const QByteArray &bytes, std::vector<Component> &calendars)
    {
        const std::unique_ptr<icalparser, ParserFree> parser(icalparser_new());
        std::vector<Component> roots;
        QList<TextLine> refused;
        int lastLine = 0;
        for (TextLine &line : unfoldedLines(bytes)) {
            lastLine = line.line;
            if (line.text.compare("BEGIN:VEVENT", Qt::CaseInsensitive) == 0)
                m_eventLines.push_back(line.line);
            if (icalcomponent *root = icalparser_add_line(parser.get(), line.text.data()))
                roots.emplace_back(root);
            if (icalparser_get_state(parser.get()) == ICALPARSER_ERROR)
                refused.append(line);
        }
        // A component left open is closed by the parser, which still owns it.
        if (icalcomponent *open = icalparser_clean(parser.get()))
            problem(lastLine,
                    QStringLiteral("ends before its END:%1").arg(QString::fromUtf8(icalcomponent_kind_to_string(icalcomponent_isa(open)))));
        // The library writes what it could not read into the calendar, as
        // X-LIC-ERROR properties; each names the text it refused.
        QStringList errors;
        for (const Component &root : roots)
            collectErrors(root.get(), errors);
        for (const TextLine &line : std::as_const(refused)) {
            QString message = QStringLiteral("the calendar library cannot read this line: %1").arg(QString::fromUtf8(line.text.left(80)));
            for (qsizetype i = 0; i < errors.size(); ++i) {
                const QString tail = errors[i].mid(errors[i].lastIndexOf(QStringLiteral(": ")) + 2);
                if (QString::fromUtf8(line.text).contains(tail)) {
                    message = errors.takeAt(i);
                    break;
                }
            }
            problem(line.line, message);
        }
        for (const QString &error : std::as_const(errors))
            problem(0, error);
        for (Component &root : roots) {
            if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT)
                calendars.push_back(std::move(root));
        }
    }

    static void collectErrors(icalcomponent *component, QStringList &errors)
    {
        for (icalproperty *p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
             p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY))
            errors << QString::fromUtf8(icalproperty_get_xlicerror(p)).simplified();
        for (icalcomponent *c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
            collectErrors(c, errors);
    }

    // The time of a property with the zone its TZID names, from the file's
    // VTIMEZONE or else the library's own zones; nullopt for an unknown zone.
    static std::optional<icaltimetype> zoned(icalcomponent *event, icalproperty *property, icaltimetype t)
    {
        icalparameter *tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
        if (t.is_date || icaltime_is_utc(t) || !tzid)
            return t;
        const char *id = icalparameter_get_tzid(tzid);
        icaltimezone *zone = nullptr;
        for (icalcomponent *c = event; c && !zone; c = icalcomponent_get_parent(c))
            zone = icalcomponent_get_timezone(c, id);
        if (!zone)
            zone = icaltimezone_get_builtin_timezone_from_tzid(id);
        if (!zone)
            zone = icaltimezone_get_builtin_timezone(id);
        if (!zone)
            return std::nullopt;
        return icaltime_set_timezone(&t, zone);
    }

    // The same instant however it is written; a date stands for itself.
    static QString instantKey(const icaltimetype &t)
    {
        if (t.is_date)
            return dateOf(t).toString(Qt::ISODate);
        return t.zone ? QString::number(secondsOf(t)) : QString::fromUtf8(icaltime_as_ical_string(t));
    }

    // Overriding instances (RECURRENCE-ID) take the place of the ones of
    // their series; a cancelled one takes it away.
    void collectReplaced(const std::vector<icalcomponent *> &events)
    {
        for (icalcomponent *event : events) {
            icalproperty *id = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
            if (id && icalcomponent_get_uid(event)) {
                if (const auto t = zoned(event, id, icalproperty_get_recurrenceid(id)))
                    m_replaced[QString::fromUtf8(icalcomponent_get_uid(event))] << instantKey(*t);
            }
        }
    }

    struct Length
    {
        int days = 1;       // an all-day event
        qint64 seconds = 0; // a timed one
    };

    void readEvent(icalcomponent *event, int line)
    {
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
            return;
        if (icalproperty *transp = icalcomponent_get_first_property(event, ICAL_TRANSP_PROPERTY);
            transp && icalproperty_get_transp(transp) == ICAL_TRANSP_TRANSPARENT)
            return;
        const QString name = QString::fromUtf8(icalcomponent_get_summary(event)).trimmed();
        if (name.isEmpty())
            return problem(line, QStringLiteral("the event has no SUMMARY, which names its period"));
        const QString what = QStringLiteral("event \"%1\"").arg(name);
        icalproperty *startProperty = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        if (!startProperty)
            return problem(line, QStringLiteral("%1 has no DTSTART (or one that is no date)").arg(what));
        const std::optional<icaltimetype> start = zoned(event, startProperty, icalproperty_get_dtstart(startProperty));
        if (!start)
            return problem(line, QStringLiteral("%1: DTSTART names a time zone that neither the file nor the library knows").arg(what));
        const std::optional<Length> length = lengthOf(event, *start, what, line);
        if (!length)
            return;

        QSet<QString> excluded = m_replaced.value(QString::fromUtf8(icalcomponent_get_uid(event)));
        if (icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
            excluded.clear(); // an override is its own single instance
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
            if (const auto t = zoned(event, p, icalproperty_get_exdate(p)))
                excluded << instantKey(*t);
        }
        QSet<QString> seen;
        const auto add = [&](icaltimetype at, Length l) {
            const QString key = instantKey(at);
            if (seen.contains(key) || excluded.contains(key) || excluded.contains(dateOf(at).toString(Qt::ISODate)))
                return;
            seen << key;
            const auto [from, to] = datesOf(at, l);
            if (to >= m_window.first && from <= m_window.last)
                m_reading.events.append({name, from, to, line});
        };
        const qsizetype firstOccurrence = m_reading.events.size();
        add(*start, *length);
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
            const std::unique_ptr<icalrecur_iterator, IteratorFree> it(icalrecur_iterator_new(icalproperty_get_rrule(p), *start));
            if (!it)
                return problem(line, QStringLiteral("%1: the calendar library cannot expand its RRULE").arg(what));
            for (icaltimetype at = icalrecur_iterator_next(it.get()); !icaltime_is_null_time(at); at = icalrecur_iterator_next(it.get())) {
                if (++m_ruleSteps > MostRuleSteps)
                    return problem(line, QStringLiteral("%1 repeats more than %2 times before %3: not a calendar of days")
                                             .arg(what)
                                             .arg(MostRuleSteps)
                                             .arg(m_window.last.toString(Qt::ISODate)));
                if (!at.is_date)
                    at.zone = start->zone;
                // Plain dates first, a day apart for the zones: most steps lie outside the window.
                const QDate date = dateOf(at);
                if (date > m_window.last.addDays(1))
                    break;
                if (date.addDays(length->days + length->seconds / 86400 + 1) >= m_window.first)
                    add(at, *length);
            }
        }
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
            Length l = *length;
            icaltimetype at = rdate.time;
            if (icaltime_is_null_time(at)) { // a PERIOD: its own start and length
                at = rdate.period.start;
                const qint64 end = icaltime_is_null_time(rdate.period.end) ? secondsOf(at) + icaldurationtype_as_int(rdate.period.duration)
                                                                           : secondsOf(rdate.period.end);
                l.seconds = end - secondsOf(at);
            }
            if (const auto t = zoned(event, p, at); t && !icaltime_is_null_time(at))
                add(*t, l);
            else
                return problem(line, QStringLiteral("%1 has an RDATE that is no date").arg(what));
        }
        std::sort(m_reading.events.begin() + firstOccurrence, m_reading.events.end(),
                  [](const CalendarEvent &a, const CalendarEvent &b) { return a.from < b.from; });
        if (m_reading.events.size() > MostOccurrences)
            problem(
                line,
                QStringLiteral("gives more than %1 days' events before %2").arg(MostOccurrences).arg(m_window.last.toString(Qt::ISODate)));
    }

    // DTEND is excluded: an all-day event to the next date is one day long.
    std::optional<Length> lengthOf(icalcomponent *event, const icaltimetype &start, const QString &what, int line)
    {
        Length length;
        icalproperty *endProperty = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
        icalproperty *durationProperty = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
        if (endProperty) {
            const std::optional<icaltimetype> end = zoned(event, endProperty, icalproperty_get_dtend(endProperty));
            if (!end || icaltime_is_null_time(*end)) {
                problem(line, QStringLiteral("%1: DTEND is no date, or names an unknown time zone").arg(what));
                return std::nullopt;
            }
            length.days = int(dateOf(start).daysTo(dateOf(*end)));
            length.seconds = secondsOf(*end) - secondsOf(start);
        } else if (durationProperty) {
            length.seconds = icaldurationtype_as_int(icalproperty_get_duration(durationProperty));
            length.days = int(length.seconds / 86400);
        } else if (!start.is_date) {
            length.seconds = 0; // an instant: the date it falls on
        }
        if (length.seconds < 0 || (start.is_date && length.days < 0)) {
            problem(line, QStringLiteral("%1 ends before it begins").arg(what));
            return std::nullopt;
        }
        length.days = std::max(length.days, 1);
        return length;
    }

    std::pair<QDate, QDate> datesOf(const icaltimetype &at, Length length) const
    {
        if (at.is_date)
            return {dateOf(at), dateOf(at).addDays(length.days - 1)};
        const qint64 begin = secondsOf(at);
        const qint64 end = begin + std::max<qint64>(length.seconds - 1, 0); // ending at midnight touches no more
        if (!at.zone)
            return {QDateTime::fromSecsSinceEpoch(begin, Qt::UTC).date(), QDateTime::fromSecsSinceEpoch(end, Qt::UTC).date()};
        return {QDateTime::fromSecsSinceEpoch(begin, m_zone).date(), QDateTime::fromSecsSinceEpoch(end, m_zone).date()};
    }

    QString m_path;
    QTimeZone m_zone;
    DateSpan m_window;
    CalendarReading &m_reading;
    std::vector<int> m_eventLines;
    QHash<QString, QSet<QString>> m_replaced; // by UID
    int m_ruleSteps = 0;
};

// The file as the site names it, relative when the site was.
QString shownPath(const QString &sitePath, const QString &absolute)
{
    return QFileInfo(sitePath).isRelative() ? QDir().relativeFilePath(absolute) : absolute;
}

} // namespace

DateSpan schoolYear(QDate date)
{
    const QDate start(date.month() >= 9 ? date.year() : date.year() - 1, 9, 1);
    return {start, start.addYears(1).addDays(-1)};
}

DateSpan schoolYearsAround(QDate first, QDate last)
{
    return {schoolYear(first).first.addYears(-1), schoolYear(last).last.addYears(1)};
}

CalendarReading readCalendarText(const QByteArray &bytes, const QString &shownPath, const QTimeZone &zone, DateSpan window)
{
    CalendarReading reading;
    CalendarReader(shownPath, zone, window, reading).read(bytes);
    return reading;
}

void expandCalendarPeriods(Site &site, const QString &sitePath, DateSpan window, QList<SiteProblem> &problems)
{
    const QTimeZone zone = site.timeZone.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(site.timeZone.toUtf8());
    QList<SitePeriod> periods;
    for (const SitePeriod &period : std::as_const(site.periods)) {
        if (period.calendarFile.isEmpty()) {
            periods.append(period);
            continue;
        }
        const QString shown = shownPath(sitePath, period.calendarFile);
        const auto refuse = [&](const QString &why) {
            problems.append({period.where, QStringLiteral("period \"%1\": %2 %3").arg(period.name, shown, why)});
        };
        const QFileInfo info(period.calendarFile);
        if (!info.exists()) {
            refuse(QStringLiteral("does not exist"));
        } else if (info.isDir()) {
            refuse(QStringLiteral("is a folder, not a calendar file"));
        } else if (const Result<QByteArray> bytes =
                       readCappedFile(period.calendarFile, LargestCalendarFile, QStringLiteral("a calendar of holidays"));
                   !bytes) {
            refuse(bytes.error());
        } else {
            const CalendarReading reading = readCalendarText(*bytes, shown, zone, window);
            problems += reading.problems;
            for (const CalendarEvent &event : reading.events) {
                SitePeriod p = period;
                p.name = event.name;
                p.from = event.from;
                p.to = event.to;
                periods.append(p);
            }
        }
    }
    site.periods = periods;
}
