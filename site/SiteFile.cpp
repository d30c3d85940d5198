#include "site/SiteFile.h"

#include "link/LinkOptions.h"
#include "schedule/DeviceModelNames.h"
#include "schedule/SettingsFile.h"
#include "schedule/WholeFile.h"
#include "site/CalendarPeriods.h"
#include "site/SiteScheduleTexts.h"
#include "site/TomlGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTimeZone>
#include <string_view>

#include <toml++/toml.h>

namespace {

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Reads one table of the file, keeping its problems with their places.
class SiteReader
{
public:
    SiteReader(const QString &path, const SerialPortMap &ports, QList<SiteProblem> &problems)
        : m_path(path), m_ports(ports), m_problems(problems)
    {
    }

    SitePosition at(const toml::source_region &source) const { return {m_path, int(source.begin.line), int(source.begin.column)}; }
    void problem(const toml::source_region &source, const QString &message) { m_problems.append({at(source), message}); }

    // Every key of `table` must be one of `known`.
    void onlyKeys(const toml::table &table, const QString &where, std::initializer_list<std::string_view> known)
    {
        for (auto &&[key, node] : table) {
            if (std::find(known.begin(), known.end(), key.str()) == known.end())
                problem(key.source(), QStringLiteral("unknown key '%1' in %2").arg(qs(key.str()), where));
        }
    }

    std::optional<QString> string(const toml::table &table, std::string_view key, const QString &where, bool required)
    {
        const toml::node *node = table.get(key);
        if (!node) {
            if (required)
                problem(table.source(), QStringLiteral("%1 has no '%2'").arg(where, qs(key)));
            return std::nullopt;
        }
        if (!node->is_string()) {
            problem(node->source(), QStringLiteral("'%1' of %2 must be a text in quotes").arg(qs(key), where));
            return std::nullopt;
        }
        return qs(node->as_string()->get());
    }

    std::optional<QDate> date(const toml::table &table, std::string_view key, const QString &where)
    {
        const toml::node *node = table.get(key);
        if (!node)
            return std::nullopt;
        if (const auto *value = node->as_date()) {
            const toml::date d = value->get();
            const QDate date(d.year, d.month, d.day);
            if (date.isValid())
                return date;
        }
        problem(node->source(), QStringLiteral("'%1' of %2 is not a date; write one as 2027-01-11, without quotes").arg(qs(key), where));
        return std::nullopt;
    }

    const QString &path() const { return m_path; }
    const SerialPortMap &ports() const { return m_ports; }

private:
    QString m_path;
    const SerialPortMap &m_ports;
    QList<SiteProblem> &m_problems;
};

void readSchedules(const toml::table &root, SiteReader &reader, Site &site)
{
    const toml::node *node = root.get("schedules");
    if (!node)
        return;
    const toml::table *table = node->as_table();
    if (!table) {
        reader.problem(node->source(), QStringLiteral("'schedules' must be a table: [schedules]"));
        return;
    }
    const QDir base = QFileInfo(reader.path()).absoluteDir();
    for (auto &&[key, value] : *table) {
        const QString name = qs(key.str());
        if (name == OffScheduleName) {
            reader.problem(key.source(), QStringLiteral("schedule \"off\" always exists (every slot off) and cannot be given a file"));
            continue;
        }
        if (!value.is_string() || value.as_string()->get().empty()) {
            reader.problem(value.source(), QStringLiteral("schedule \"%1\" must name a schedule text file, in quotes").arg(name));
            continue;
        }
        SiteSchedule schedule;
        schedule.name = name;
        schedule.path = QDir::cleanPath(base.absoluteFilePath(qs(value.as_string()->get())));
        schedule.where = reader.at(value.source());
        site.schedules.append(schedule);
    }
}

void readLink(const toml::table &table, SiteReader &reader, SiteController &controller, const QString &where)
{
    const toml::node *tcp = table.get("tcp");
    const toml::node *serial = table.get("serial");
    if (!tcp == !serial) {
        reader.problem(table.source(), QStringLiteral("%1 needs one of 'tcp' and 'serial', not %2")
                                           .arg(where, tcp ? QStringLiteral("both") : QStringLiteral("neither")));
        return;
    }
    if (tcp) {
        if (!tcp->is_string()) {
            reader.problem(tcp->source(), QStringLiteral("'tcp' of %1 must be an address in quotes, \"HOST\" or \"HOST:PORT\"").arg(where));
            return;
        }
        const QString text = qs(tcp->as_string()->get());
        const Result<LinkSettings> parsed = parseTcpTarget(text);
        if (!parsed) {
            reader.problem(tcp->source(), QStringLiteral("'tcp' of %1: %2").arg(where, parsed.error()));
            return;
        }
        controller.linkKey = linkIdentity(*parsed);
        controller.linkOption = QStringLiteral("--tcp=") + text;
        controller.linkText = QStringLiteral("tcp ") + text;
        return;
    }
    QString text;
    if (const auto *number = serial->as_integer()) {
        if (number->get() < 1 || number->get() > SerialPortCount) {
            reader.problem(
                serial->source(),
                QStringLiteral("'serial' of %1: %2 is not a port number from 1 to %3").arg(where).arg(number->get()).arg(SerialPortCount));
            return;
        }
        text = QString::number(number->get());
    } else if (serial->is_string() && !serial->as_string()->get().empty()) {
        text = qs(serial->as_string()->get());
    } else {
        reader.problem(serial->source(), QStringLiteral("'serial' of %1 must be a device in quotes or a port number").arg(where));
        return;
    }
    const Result<LinkSettings> parsed = parseSerialTarget(text, reader.ports());
    if (!parsed) {
        reader.problem(serial->source(), QStringLiteral("'serial' of %1: %2").arg(where, parsed.error()));
        return;
    }
    controller.linkKey = linkIdentity(*parsed);
    controller.linkOption = QStringLiteral("--serial=") + text;
    controller.linkText = QStringLiteral("serial ") + text;
}

const toml::array *arrayOfTables(const toml::table &root, std::string_view key, SiteReader &reader)
{
    const toml::node *node = root.get(key);
    if (!node)
        return nullptr;
    const toml::array *array = node->as_array();
    if (!array || !array->is_array_of_tables()) {
        reader.problem(node->source(), QStringLiteral("'%1' must be written as [[%1]] sections").arg(qs(key)));
        return nullptr;
    }
    return array;
}

void readControllers(const toml::table &root, SiteReader &reader, Site &site)
{
    const toml::array *array = arrayOfTables(root, "controllers", reader);
    if (!array || array->empty()) {
        if (!root.get("controllers") || array)
            reader.problem(root.source(), QStringLiteral("the site names no controller: add a [[controllers]] section"));
        return;
    }
    QSet<QString> names;
    for (const toml::node &node : *array) {
        const toml::table &table = *node.as_table();
        const QString where = QStringLiteral("a controller");
        reader.onlyKeys(table, where, {"name", "tcp", "serial", "model", "schedule"});
        SiteController controller;
        controller.where = reader.at(table.source());
        const std::optional<QString> name = reader.string(table, "name", where, true);
        controller.name = name.value_or(QString());
        if (name && name->isEmpty())
            reader.problem(table.get("name")->source(), QStringLiteral("a controller's 'name' is empty"));
        const QString named = controller.name.isEmpty() ? where : QStringLiteral("controller \"%1\"").arg(controller.name);
        if (!controller.name.isEmpty() && names.contains(controller.name))
            reader.problem(table.get("name")->source(), QStringLiteral("controller \"%1\" is named twice").arg(controller.name));
        names.insert(controller.name);
        readLink(table, reader, controller, named);
        // Two controllers on one link would be worked at once, each in the other's way.
        for (const SiteController &other : std::as_const(site.controllers)) {
            if (!controller.linkKey.isEmpty() && other.linkKey == controller.linkKey)
                reader.problem(table.source(),
                               QStringLiteral("%1 has the link of controller \"%2\" (%3)").arg(named, other.name, other.linkText));
        }
        if (const std::optional<QString> model = reader.string(table, "model", named, true)) {
            if (const std::optional<DeviceModel> known = modelFromName(*model))
                controller.model = *known;
            else
                reader.problem(table.get("model")->source(),
                               QStringLiteral("'%1' is not a model (%2)").arg(*model, modelNameList(true, QStringLiteral(", "))));
        }
        controller.schedule = reader.string(table, "schedule", named, true).value_or(QString());
        site.controllers.append(controller);
    }
}

// A period whose dates are the events of an iCalendar file, read once the
// whole site is.
void readCalendarKey(const toml::table &table, SiteReader &reader, SitePeriod &period, const QString &where)
{
    for (const char *dates : {"date", "from", "to"}) {
        if (table.get(dates))
            reader.problem(table.get(dates)->source(),
                           QStringLiteral("%1 takes its dates from 'ics'; '%2' does not go with it").arg(where, QLatin1String(dates)));
    }
    const std::optional<QString> file = reader.string(table, "ics", where, true);
    if (file && file->isEmpty())
        reader.problem(table.get("ics")->source(), QStringLiteral("'ics' of %1 must name a calendar file").arg(where));
    else if (file)
        period.calendarFile = QDir::cleanPath(QFileInfo(reader.path()).absoluteDir().absoluteFilePath(*file));
}

void readPeriods(const toml::table &root, SiteReader &reader, Site &site)
{
    const toml::array *array = arrayOfTables(root, "periods", reader);
    if (!array)
        return;
    for (const toml::node &node : *array) {
        const toml::table &table = *node.as_table();
        reader.onlyKeys(table, QStringLiteral("a period"), {"name", "from", "to", "date", "ics", "schedule", "controllers"});
        SitePeriod period;
        period.where = reader.at(table.source());
        period.name = reader.string(table, "name", QStringLiteral("a period"), true).value_or(QString());
        const QString where = period.name.isEmpty() ? QStringLiteral("a period") : QStringLiteral("period \"%1\"").arg(period.name);
        const bool oneDay = table.get("date");
        if (table.get("ics")) {
            readCalendarKey(table, reader, period, where);
        } else if (oneDay && (table.get("from") || table.get("to"))) {
            reader.problem(table.get("date")->source(),
                           QStringLiteral("%1 gives 'date' together with 'from'/'to'; one day takes 'date' alone").arg(where));
        } else if (oneDay) {
            const std::optional<QDate> date = reader.date(table, "date", where);
            period.from = period.to = date.value_or(QDate());
        } else if (!table.get("from") || !table.get("to")) {
            reader.problem(table.source(), QStringLiteral("%1 needs 'from' and 'to', 'date' for one day, or 'ics'").arg(where));
        } else {
            const std::optional<QDate> from = reader.date(table, "from", where);
            const std::optional<QDate> to = reader.date(table, "to", where);
            if (from && to && *to < *from)
                reader.problem(table.get("to")->source(), QStringLiteral("%1 ends (%2) before it begins (%3)")
                                                              .arg(where, to->toString(Qt::ISODate), from->toString(Qt::ISODate)));
            period.from = from.value_or(QDate());
            period.to = to.value_or(QDate());
        }
        period.schedule = reader.string(table, "schedule", where, true).value_or(QString());
        if (const toml::node *names = table.get("controllers")) {
            const toml::array *list = names->as_array();
            if (!list || list->empty()) {
                reader.problem(
                    names->source(),
                    QStringLiteral("'controllers' of %1 must list controller names: [\"blok-a\"]; leave it out for every controller")
                        .arg(where));
                list = nullptr;
            }
            for (qsizetype i = 0; list && i < qsizetype(list->size()); ++i) {
                const toml::node &name = *list->get(size_t(i));
                if (!name.is_string()) {
                    reader.problem(name.source(),
                                   QStringLiteral("'controllers' of %1 holds something other than a name in quotes").arg(where));
                    continue;
                }
                const QString controller = qs(name.as_string()->get());
                if (!site.controller(controller))
                    reader.problem(name.source(),
                                   QStringLiteral("%1 names controller \"%2\", which the site does not have").arg(where, controller));
                period.controllers.append(controller);
            }
        }
        site.periods.append(period);
    }
}

// Every schedule name used must be "off" or one of [schedules].
void checkScheduleNames(const toml::table &root, SiteReader &reader, const Site &site)
{
    const auto check = [&](const QString &name, const toml::node *node, const QString &where) {
        if (!node || !node->is_string())
            return; // missing, or not a text: refused where it was read
        if (name.isEmpty())
            reader.problem(node->source(), QStringLiteral("'schedule' of %1 is empty; name one of [schedules] or \"off\"").arg(where));
        else if (!site.schedule(name))
            reader.problem(
                node->source(),
                QStringLiteral("%1 names schedule \"%2\", which [schedules] does not have (nor is it \"off\")").arg(where, name));
    };
    const toml::array *controllers = root.get("controllers") ? root.get("controllers")->as_array() : nullptr;
    for (qsizetype i = 0; i < site.controllers.size() && controllers; ++i)
        check(site.controllers[i].schedule, (*controllers)[size_t(i)].as_table()->get("schedule"),
              QStringLiteral("controller \"%1\"").arg(site.controllers[i].name));
    const toml::array *periods = root.get("periods") ? root.get("periods")->as_array() : nullptr;
    for (qsizetype i = 0; i < site.periods.size() && periods; ++i)
        check(site.periods[i].schedule, (*periods)[size_t(i)].as_table()->get("schedule"),
              QStringLiteral("period \"%1\"").arg(site.periods[i].name));
}

void readRoot(const toml::table &root, SiteReader &reader, Site &site)
{
    reader.onlyKeys(root, QStringLiteral("the site"),
                    {"name", "clock_tolerance_seconds", "timezone", "schedules", "controllers", "periods"});
    site.name = reader.string(root, "name", QStringLiteral("the site"), false).value_or(QString());
    const std::optional<QString> zone = reader.string(root, "timezone", QStringLiteral("the site"), false);
    if (zone && !QTimeZone::isTimeZoneIdAvailable(zone->toUtf8()))
        reader.problem(root.get("timezone")->source(), QStringLiteral("'%1' is not a time zone such as \"Europe/Istanbul\"").arg(*zone));
    else
        site.timeZone = zone.value_or(QString());
    if (const toml::node *tolerance = root.get("clock_tolerance_seconds")) {
        const auto *seconds = tolerance->as_integer();
        if (!seconds || seconds->get() < 0 || seconds->get() > 86400)
            reader.problem(tolerance->source(),
                           QStringLiteral("'clock_tolerance_seconds' must be a whole number of seconds from 0 to 86400"));
        else
            site.clockToleranceSeconds = int(seconds->get());
    }
    site.schedules.append({OffScheduleName, {}, {}, {}});
    readSchedules(root, reader, site);
    readControllers(root, reader, site);
    readPeriods(root, reader, site);
    checkScheduleNames(root, reader, site);
}

} // namespace

SiteReading readSiteText(const QByteArray &text, const QString &path, DateSpan window, const SerialPortMap &ports)
{
    SiteReading reading;
    Site site;
    site.path = QFileInfo(path).absoluteFilePath();
    SiteReader reader(path, ports, reading.problems);
    if (const std::optional<TomlTrap> trap = findTomlReaderTrap(std::string_view(text.constData(), size_t(text.size())))) {
        reading.problems.append({{path, trap->line, trap->column}, trap->message});
        return reading;
    }
    try {
        const toml::table root = toml::parse(std::string_view(text.constData(), size_t(text.size())), path.toStdString());
        readRoot(root, reader, site);
    } catch (const toml::parse_error &error) {
        reader.problem(error.source(), qs(error.description()));
        return reading;
    } catch (const std::exception &error) {
        reading.problems.append({{path}, QStringLiteral("cannot be read as TOML: %1").arg(QString::fromLocal8Bit(error.what()))});
        return reading;
    }
    // In the order of the file, whatever part of the reading found them.
    std::stable_sort(reading.problems.begin(), reading.problems.end(), [](const SiteProblem &a, const SiteProblem &b) {
        return std::pair(a.where.line, a.where.column) < std::pair(b.where.line, b.where.column);
    });
    if (!window.first.isValid())
        window = schoolYearsAround(QDate::currentDate(), QDate::currentDate());
    expandCalendarPeriods(site, path, window, reading.problems);
    // The texts are read all the same; slots are matched to models only when
    // every name holds.
    readScheduleTexts(site, reading.problems);
    if (reading.problems.isEmpty())
        reading.site = site;
    return reading;
}

SiteReading readSiteFile(const QString &path, DateSpan window, const SerialPortMap &ports)
{
    const QFileInfo info(path);
    const auto refused = [&](const QString &message) { return SiteReading{std::nullopt, {{{path}, message}}}; };
    if (!info.exists())
        return refused(QStringLiteral("no such file"));
    if (info.isDir())
        return refused(QStringLiteral("is a folder, not a site file"));
    const Result<QByteArray> bytes = readCappedFile(path, LargestSiteFile, QStringLiteral("a site file"));
    if (!bytes)
        return refused(bytes.error());
    return readSiteText(*bytes, path, window, ports);
}
