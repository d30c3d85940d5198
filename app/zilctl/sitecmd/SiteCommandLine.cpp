#include "sitecmd/SiteCommandLine.h"

#include "CommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

constexpr int MostDays = 366;
constexpr int MostJobs = 64;
constexpr int LongestDeadline = 24 * 3600;

// Which options a verb takes besides --json.
enum OptionUse { UsesDate = 1, UsesDays = 2, UsesController = 4, UsesApply = 8, UsesMetrics = 16 };

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
    {SiteVerb::Apply, "apply", UsesDate | UsesController | UsesApply},
    {SiteVerb::Print, "print", UsesDate},
};

struct SiteOptions
{
    QCommandLineOption json{QStringLiteral("json"), QStringLiteral("One JSON object on standard output.")};
    QCommandLineOption date{QStringLiteral("date"), QStringLiteral("The date to plan for (default today)."), QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption days{QStringLiteral("days"), QStringLiteral("plan: how many dates (default 14)."), QStringLiteral("N")};
    QCommandLineOption jobs{QStringLiteral("jobs"), QStringLiteral("Controllers worked at a time (default 4)."), QStringLiteral("N")};
    QCommandLineOption only{QStringLiteral("only"), QStringLiteral("Only this controller; may be repeated."), QStringLiteral("NAME")};
    QCommandLineOption deadline{QStringLiteral("deadline"), QStringLiteral("Seconds a controller's work may take (default 600)."),
                                QStringLiteral("SECONDS")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"), QStringLiteral("apply: read only; print what would be sent and set.")};
    QCommandLineOption setClocks{QStringLiteral("set-clocks"), QStringLiteral("apply: also set clocks off by more than the tolerance.")};
    QCommandLineOption openMetrics{QStringLiteral("openmetrics"), QStringLiteral("status: also write the result as OpenMetrics text."),
                                   QStringLiteral("FILE")};

    QList<QCommandLineOption> all() const { return {json, date, days, jobs, only, deadline, dryRun, setClocks, openMetrics}; }
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
        return refuse(QStringLiteral("site wants check, plan, status, apply or print"));
    invocation.verb = info->verb;
    invocation.commandName = QStringLiteral("site ") + QLatin1String(info->name);
    const bool print = info->verb == SiteVerb::Print;
    const qsizetype wanted = print ? 3 : 2; // the verb, SITE and print's OUTDIR
    if (words.size() < wanted)
        return refuse(words.size() < 2 ? QStringLiteral("%1 wants the site file").arg(invocation.commandName)
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

    const struct
    {
        const QCommandLineOption &option;
        int use;
    } uses[] = {{o.date, UsesDate},           {o.days, UsesDays},    {o.jobs, UsesController}, {o.only, UsesController},
                {o.deadline, UsesController}, {o.dryRun, UsesApply}, {o.setClocks, UsesApply}, {o.openMetrics, UsesMetrics}};
    for (const auto &use : uses) {
        if (parser.isSet(use.option) && !(info->options & use.use))
            return refuse(QStringLiteral("--%1 does not apply to %2").arg(use.option.names().constLast(), invocation.commandName));
        if (&use.option != &o.only && parser.values(use.option).size() > 1)
            return refuse(QStringLiteral("--%1 is given more than once").arg(use.option.names().constLast()));
    }

    invocation.date = QDate::currentDate();
    if (parser.isSet(o.date)) {
        static const QRegularExpression form(QRegularExpression::anchoredPattern(QStringLiteral("\\d{4}-\\d{2}-\\d{2}")));
        const QString text = parser.value(o.date);
        invocation.date = QDate::fromString(text, Qt::ISODate);
        if (!form.match(text).hasMatch() || !invocation.date.isValid())
            return refuse(QStringLiteral("--date: '%1' is not a date YYYY-MM-DD").arg(text));
    }
    const struct
    {
        const QCommandLineOption &option;
        int &value;
        int lowest, highest;
    } numbers[] = {{o.days, invocation.days, 1, MostDays},
                   {o.jobs, invocation.jobs, 1, MostJobs},
                   {o.deadline, invocation.deadlineSeconds, 1, LongestDeadline}};
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
    if (parser.isSet(o.openMetrics) && invocation.openMetricsPath.isEmpty())
        return refuse(QStringLiteral("--openmetrics: the file name is empty"));
    invocation.ok = true;
    return invocation;
}

QString siteHelpText()
{
    return QStringLiteral("\nSite commands (one file says which schedule every controller rings on every date):\n"
                          "  site check SITE                      check the site file and its schedule texts; no contact\n"
                          "  site plan SITE [--date D] [--days N] what each controller rings, date by date; no contact\n"
                          "  site status SITE [--date D] [--jobs N] [--only NAME]... [--openmetrics FILE]\n"
                          "                                       read every controller's schedule and clock\n"
                          "  site apply SITE [--date D] [--dry-run] [--set-clocks] [--jobs N] [--only NAME]...\n"
                          "                                       send the planned week where it differs\n"
                          "  site print SITE [--date D] OUTDIR    each controller's planned week on one page,\n"
                          "                                       OUTDIR/<controller>.pdf; no contact\n"
                          "  --deadline SECONDS (status, apply): the time one controller's work may take (600).\n"
                          "  Exit codes: 0 all in plan and on time, 4 some hold another week or are off in time,\n"
                          "  1 some could not be read or written, 2 a bad site file, 130 interrupted.\n"
                          "  print exits 0 when every page was written, else 2.\n");
}
