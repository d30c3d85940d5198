#include "sitecmd/SiteCommandLine.h"

#include "CommandLine.h"
#include "sitecmd/SiteYearCommands.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

constexpr int MostDays = 366;
constexpr int MostJobs = 64;
constexpr int LongestDeadline = 24 * 3600;
constexpr int LongestCalendarDays = 3660; // ten school years

// Which options a verb takes besides --json.
enum OptionUse { UsesDate = 1, UsesDays = 2, UsesController = 4, UsesApply = 8, UsesMetrics = 16, UsesRange = 32 };

struct VerbInfo
{
    SiteVerb verb;
    const char *name;
    int options;
};

constexpr VerbInfo Verbs[] = {
    {SiteVerb::Check, "check", 0},
    {SiteVerb::Plan, "plan", UsesDate | UsesDays},
    {SiteVerb::Status, "status", UsesDate | UsesController | UsesMetrics},
    {SiteVerb::Apply, "apply", UsesDate | UsesController | UsesApply | UsesMetrics},
    {SiteVerb::Print, "print", UsesDate},
    {SiteVerb::Ics, "ics", UsesRange},
};

struct SiteOptions
{
    QCommandLineOption json{QStringLiteral("json"), QStringLiteral("One JSON object on standard output.")};
    QCommandLineOption date{QStringLiteral("date"), QStringLiteral("The date to plan for (default today)."), QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption days{QStringLiteral("days"), QStringLiteral("plan: how many dates (default %1).").arg(DefaultPlanDays),
                            QStringLiteral("N")};
    QCommandLineOption jobs{QStringLiteral("jobs"), QStringLiteral("Controllers worked at a time (default %1).").arg(DefaultJobs),
                            QStringLiteral("N")};
    QCommandLineOption only{QStringLiteral("only"), QStringLiteral("Only this controller; may be repeated."), QStringLiteral("NAME")};
    QCommandLineOption deadline{QStringLiteral("deadline"),
                                QStringLiteral("Seconds a controller's work may take (default %1).").arg(DefaultDeadlineSeconds),
                                QStringLiteral("SECONDS")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"), QStringLiteral("apply: read only; print what would be sent and set.")};
    QCommandLineOption setClocks{QStringLiteral("set-clocks"), QStringLiteral("apply: also set clocks off by more than the tolerance.")};
    QCommandLineOption wait{QStringLiteral("wait"), QStringLiteral("Queue this long behind another run of the site (default 0)."),
                            QStringLiteral("SECONDS")};
    QCommandLineOption openMetrics{QStringLiteral("openmetrics"), QStringLiteral("Also write the result as OpenMetrics text."),
                                   QStringLiteral("FILE")};
    QCommandLineOption report{QStringLiteral("report"), QStringLiteral("Also write the --json object to FILE."), QStringLiteral("FILE")};
    QCommandLineOption controller{QStringLiteral("controller"), QStringLiteral("ics: this controller's plan only."),
                                  QStringLiteral("NAME")};
    QCommandLineOption from{QStringLiteral("from"), QStringLiteral("ics: the first date (default 1 September)."),
                            QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption to{QStringLiteral("to"), QStringLiteral("ics: the last date (default 31 August)."), QStringLiteral("YYYY-MM-DD")};

    QList<QCommandLineOption> all() const
    {
        return {json, date, days, jobs, only, deadline, wait, dryRun, setClocks, openMetrics, report, controller, from, to};
    }
};

std::optional<int> wholeNumber(const QString &text, int lowest, int highest)
{
    static const QRegularExpression digits(QRegularExpression::anchoredPattern(QStringLiteral("\\d{1,6}")));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    if (value < lowest || value > highest)
        return std::nullopt;
    return value;
}

} // namespace

bool isSiteCommand(const QStringList &arguments)
{
    // Read with the options of both command sets, so that an option's value
    // ("--only site") is never taken for the command word; an option neither
    // knows is the chosen command's parser's to refuse.
    QList<QCommandLineOption> options = commandLineOptions();
    QStringList names;
    for (const QCommandLineOption &option : std::as_const(options))
        names += option.names();
    for (const QCommandLineOption &option : SiteOptions().all()) {
        if (!names.contains(option.names().constFirst()))
            options.append(option);
    }
    QCommandLineParser parser;
    parser.addOptions(options);
    parser.parse(arguments);
    return parser.positionalArguments().value(0) == u"site";
}

SiteInvocation parseSiteCommandLine(const QStringList &arguments)
{
    const SiteOptions o;
    QCommandLineParser parser;
    parser.addOptions(o.all());
    SiteInvocation invocation;
    invocation.commandName = QStringLiteral("site");
    invocation.json = arguments.contains(QStringLiteral("--json"));
    const auto refuse = [&](const QString &error) {
        invocation.ok = false;
        invocation.error = error;
        return invocation;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    QStringList words = parser.positionalArguments();
    if (words.value(0) != u"site")
        return refuse(QStringLiteral("no command given; zilctl --help lists them"));
    words.removeFirst();
    const VerbInfo *info = nullptr;
    for (const VerbInfo &verb : Verbs) {
        if (!words.isEmpty() && words[0] == QLatin1String(verb.name))
            info = &verb;
    }
    if (!info)
        return refuse(QStringLiteral("site wants check, plan, status, apply, print or ics"));
    invocation.verb = info->verb;
    invocation.commandName = QStringLiteral("site ") + QLatin1String(info->name);
    const bool print = info->verb == SiteVerb::Print, ics = info->verb == SiteVerb::Ics;
    const qsizetype wanted = print || ics ? 3 : 2; // the verb, SITE and print's OUTDIR or ics's OUT.ics
    if (words.size() < wanted)
        return refuse(
            words.size() < 2 ? QStringLiteral("%1 wants the site file").arg(invocation.commandName)
            : ics ? QStringLiteral("%1 wants OUT.ics, the calendar file to write (- for standard output)").arg(invocation.commandName)
                  : QStringLiteral("%1 wants OUTDIR, the folder of the pages").arg(invocation.commandName));
    if (words.size() > wanted)
        return refuse(QStringLiteral("%1: unexpected '%2'").arg(invocation.commandName, words[wanted]));
    invocation.sitePath = words[1];
    if (invocation.sitePath.isEmpty())
        return refuse(QStringLiteral("%1: the site file's name is empty").arg(invocation.commandName));
    if (print) {
        invocation.outDir = words[2];
        if (invocation.outDir.isEmpty())
            return refuse(QStringLiteral("%1: OUTDIR is empty").arg(invocation.commandName));
    }
    if (ics) {
        invocation.outFile = words[2];
        if (invocation.outFile.isEmpty())
            return refuse(QStringLiteral("%1: OUT.ics is empty").arg(invocation.commandName));
        if (invocation.outFile == u"-" && invocation.json)
            return refuse(QStringLiteral("%1: --json and - both want standard output").arg(invocation.commandName));
    }

    const struct
    {
        const QCommandLineOption &option;
        int use;
    } uses[] = {{o.date, UsesDate},       {o.days, UsesDays},           {o.jobs, UsesController},
                {o.only, UsesController}, {o.deadline, UsesController}, {o.wait, UsesController},
                {o.dryRun, UsesApply},    {o.setClocks, UsesApply},     {o.openMetrics, UsesMetrics},
                {o.report, UsesMetrics},  {o.controller, UsesRange},    {o.from, UsesRange},
                {o.to, UsesRange}};
    for (const auto &use : uses) {
        if (parser.isSet(use.option) && !(info->options & use.use))
            return refuse(QStringLiteral("--%1 does not apply to %2").arg(use.option.names().constLast(), invocation.commandName));
        if (&use.option != &o.only && parser.values(use.option).size() > 1)
            return refuse(QStringLiteral("--%1 is given more than once").arg(use.option.names().constLast()));
    }

    invocation.date = QDate::currentDate();
    const struct
    {
        const QCommandLineOption &option;
        QDate &value;
    } dates[] = {{o.date, invocation.date}, {o.from, invocation.from}, {o.to, invocation.to}};
    for (const auto &date : dates) {
        if (!parser.isSet(date.option))
            continue;
        static const QRegularExpression form(QRegularExpression::anchoredPattern(QStringLiteral("\\d{4}-\\d{2}-\\d{2}")));
        const QString text = parser.value(date.option);
        date.value = QDate::fromString(text, Qt::ISODate);
        if (!form.match(text).hasMatch() || !date.value.isValid())
            return refuse(QStringLiteral("--%1: '%2' is not a date YYYY-MM-DD").arg(date.option.names().constLast(), text));
    }
    if (invocation.from.isValid() && invocation.to.isValid()) {
        if (invocation.to < invocation.from)
            return refuse(QStringLiteral("--to (%1) is before --from (%2)").arg(parser.value(o.to), parser.value(o.from)));
        if (invocation.from.daysTo(invocation.to) >= LongestCalendarDays)
            return refuse(QStringLiteral("--from to --to spans more than %1 days").arg(LongestCalendarDays));
    }
    invocation.controller = parser.value(o.controller);
    if (parser.isSet(o.controller) && invocation.controller.isEmpty())
        return refuse(QStringLiteral("--controller: the name is empty"));
    const struct
    {
        const QCommandLineOption &option;
        int &value;
        int lowest, highest;
    } numbers[] = {{o.days, invocation.days, 1, MostDays},
                   {o.jobs, invocation.jobs, 1, MostJobs},
                   {o.deadline, invocation.deadlineSeconds, 1, LongestDeadline},
                   {o.wait, invocation.waitSeconds, 0, LongestDeadline}};
    for (const auto &number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        const std::optional<int> value = wholeNumber(parser.value(number.option), number.lowest, number.highest);
        if (!value)
            return refuse(QStringLiteral("--%1: '%2' is not a whole number from %3 to %4")
                              .arg(number.option.names().constLast(), parser.value(number.option))
                              .arg(number.lowest)
                              .arg(number.highest));
        number.value = *value;
    }
    invocation.only = parser.values(o.only);
    invocation.dryRun = parser.isSet(o.dryRun);
    invocation.setClocks = parser.isSet(o.setClocks);
    invocation.openMetricsPath = parser.value(o.openMetrics);
    invocation.reportPath = parser.value(o.report);
    for (const QCommandLineOption *file : {&o.openMetrics, &o.report}) {
        if (parser.isSet(*file) && parser.value(*file).isEmpty())
            return refuse(QStringLiteral("--%1: the file name is empty").arg(file->names().constLast()));
    }
    invocation.ok = true;
    return invocation;
}

QString siteHelpText()
{
    return QStringLiteral("\nSite commands (one file says which schedule every controller rings on every date):\n"
                          "  site check SITE                      check the site file and its schedule texts; no contact\n"
                          "  site plan SITE [--date D] [--days N] what each controller rings, date by date; no contact\n"
                          "  site status SITE [--date D] [--jobs N] [--only NAME]...\n"
                          "                                       read every controller's schedule and clock\n"
                          "  site apply SITE [--date D] [--dry-run] [--set-clocks] [--jobs N] [--only NAME]...\n"
                          "                                       send the planned week where it differs\n"
                          "  site print SITE [--date D] OUTDIR    each controller's planned week on one page,\n"
                          "                                       OUTDIR/<controller>.pdf; no contact\n"
                          "  site ics SITE OUT.ics [--controller NAME] [--from D] [--to D]\n"
                          "                                       the days off the usual plan as iCalendar events\n"
                          "                                       (default the school year; - for standard output)\n") +
           siteYearHelpText() +
           QStringLiteral("  --days N (plan): dates shown (%1). --jobs N (status, apply): controllers worked at a time (%2).\n"
                          "  status and apply also take:\n"
                          "  --deadline SECONDS  the time one controller's work may take (%3)\n"
                          "  --wait SECONDS      queue behind another run of the same site file instead of\n"
                          "                      exiting 1 at once\n"
                          "  --report FILE       also write the --json object to FILE, replaced whole\n"
                          "  --openmetrics FILE  also write the result as OpenMetrics text, replaced whole\n"
                          "  A clock is on time within the site's clock_tolerance_seconds (%4).\n"
                          "  Exit codes: 0 all in plan and on time, 4 some hold another week or are off in time,\n"
                          "  1 some could not be read or written, or another run holds the site file,\n"
                          "  2 a bad site file, 5 all went well but FILE could not be written, 130 interrupted.\n"
                          "  print exits 0 when every page was written, 5 when one could not be, 2 for a bad\n"
                          "  site file, an OUTDIR that is a file or a week that does not fit.\n")
               .arg(DefaultPlanDays)
               .arg(DefaultJobs)
               .arg(DefaultDeadlineSeconds)
               .arg(DefaultClockToleranceSeconds);
}
