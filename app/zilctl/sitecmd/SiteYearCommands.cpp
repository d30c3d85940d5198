#include "sitecmd/SiteYearCommands.h"

#include "CommandResult.h"
#include "print/YearPage.h"
#include "schedule/WholeFile.h"
#include "site/PeriodEdits.h"
#include "site/SiteFile.h"
#include "site/YearPageContent.h"
#include "sitecmd/SiteCommands.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>

namespace {

enum class YearVerb { Add, Change, Remove, PrintYear };

struct YearOptions
{
    QCommandLineOption json{QStringLiteral("json"), QStringLiteral("One JSON object on standard output.")};
    QCommandLineOption name{QStringLiteral("name"), QStringLiteral("The period's name."), QStringLiteral("NAME")};
    QCommandLineOption date{QStringLiteral("date"), QStringLiteral("A one-day period; print: a day of the year."), QStringLiteral("D")};
    QCommandLineOption from{QStringLiteral("from"), QStringLiteral("The period's first day."), QStringLiteral("D")};
    QCommandLineOption to{QStringLiteral("to"), QStringLiteral("The period's last day."), QStringLiteral("D")};
    QCommandLineOption schedule{QStringLiteral("schedule"), QStringLiteral("What the period rings."), QStringLiteral("S")};
    QCommandLineOption controller{QStringLiteral("controller"), QStringLiteral("A controller the period is for."), QStringLiteral("C")};
    QCommandLineOption everyController{QStringLiteral("every-controller"), QStringLiteral("change: the period is for every controller.")};
    QCommandLineOption year{QStringLiteral("year"), QStringLiteral("print: the school year on one page.")};
};

struct YearInvocation
{
    QString error; // empty: the command line holds
    QString commandName = QStringLiteral("site");
    YearVerb verb = YearVerb::Add;
    bool json = false;
    QString sitePath;
    QString periodName; // change, remove
    QString outPath;    // print
    std::optional<QString> name, schedule;
    std::optional<QDate> date, from, to;
    QStringList controllers;
    bool everyController = false;
};

std::optional<QDate> isoDate(const QString &text)
{
    static const QRegularExpression form(QRegularExpression::anchoredPattern(QStringLiteral("\\d{4}-\\d{2}-\\d{2}")));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!form.match(text).hasMatch() || !date.isValid())
        return std::nullopt;
    return date;
}

// Which options each verb takes besides --json, and the words after it.
struct VerbRule
{
    YearVerb verb;
    const char *words; // after "site", up to the files and names
    QStringList arguments;
    QList<const QCommandLineOption *> options;
};

YearInvocation parse(const QStringList &arguments)
{
    const YearOptions o;
    QCommandLineParser parser;
    parser.addOptions({o.json, o.name, o.date, o.from, o.to, o.schedule, o.controller, o.everyController, o.year});
    YearInvocation invocation;
    invocation.json = arguments.contains(QStringLiteral("--json"));
    const auto refuse = [&](const QString &error) {
        invocation.error = error;
        return invocation;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    QStringList words = parser.positionalArguments();
    words.removeFirst(); // "site"
    const QList<const QCommandLineOption *> periodOptions{&o.name, &o.date, &o.from, &o.to, &o.schedule, &o.controller};
    const VerbRule rules[] = {
        {YearVerb::Add, "period add", {QStringLiteral("SITE")}, periodOptions},
        {YearVerb::Change, "period change", {QStringLiteral("SITE"), QStringLiteral("NAME")}, periodOptions + QList{&o.everyController}},
        {YearVerb::Remove, "period remove", {QStringLiteral("SITE"), QStringLiteral("NAME")}, {}},
        {YearVerb::PrintYear, "print", {QStringLiteral("SITE"), QStringLiteral("OUT.pdf|.png|.svg")}, {&o.year, &o.date, &o.controller}},
    };
    const VerbRule *rule = nullptr;
    for (const VerbRule &r : rules) {
        const QStringList verbWords = QString::fromLatin1(r.words).split(u' ');
        if (words.mid(0, verbWords.size()) == verbWords)
            rule = &r;
    }
    if (!rule)
        return refuse(words.value(0) == u"period" ? QStringLiteral("site period wants add, change or remove")
                                                  : QStringLiteral("--year applies to site print only"));
    invocation.verb = rule->verb;
    invocation.commandName = QStringLiteral("site ") + QLatin1String(rule->words);
    const qsizetype verbWords = QString::fromLatin1(rule->words).count(u' ') + 1;
    const QStringList given = words.mid(verbWords);
    if (given.size() < rule->arguments.size())
        return refuse(QStringLiteral("%1 wants %2").arg(invocation.commandName, rule->arguments.mid(given.size()).join(u' ')));
    if (given.size() > rule->arguments.size())
        return refuse(QStringLiteral("%1: unexpected '%2'").arg(invocation.commandName, given[rule->arguments.size()]));
    for (qsizetype i = 0; i < given.size(); ++i) {
        if (given[i].isEmpty())
            return refuse(QStringLiteral("%1: %2 is empty").arg(invocation.commandName, rule->arguments[i]));
    }
    for (const QCommandLineOption *option : {&o.name, &o.date, &o.from, &o.to, &o.schedule, &o.controller, &o.everyController, &o.year}) {
        const QString optionName = option->names().constFirst();
        if (parser.isSet(*option) && !rule->options.contains(option))
            return refuse(QStringLiteral("--%1 does not apply to %2").arg(optionName, invocation.commandName));
        const bool repeats = option == &o.controller && rule->verb != YearVerb::PrintYear;
        if (!repeats && parser.values(*option).size() > 1)
            return refuse(QStringLiteral("--%1 is given more than once").arg(optionName));
    }
    invocation.sitePath = given[0];
    if (rule->verb == YearVerb::PrintYear)
        invocation.outPath = given[1];
    else if (given.size() > 1)
        invocation.periodName = given[1];

    for (const auto &[option, value] : {std::pair{&o.date, &invocation.date}, {&o.from, &invocation.from}, {&o.to, &invocation.to}}) {
        if (!parser.isSet(*option))
            continue;
        *value = isoDate(parser.value(*option));
        if (!*value)
            return refuse(QStringLiteral("--%1: '%2' is not a date YYYY-MM-DD").arg(option->names().constFirst(), parser.value(*option)));
    }
    for (const auto &[option, value] : {std::pair{&o.name, &invocation.name}, {&o.schedule, &invocation.schedule}}) {
        if (!parser.isSet(*option))
            continue;
        if (parser.value(*option).isEmpty())
            return refuse(QStringLiteral("--%1 is empty").arg(option->names().constFirst()));
        *value = parser.value(*option);
    }
    invocation.controllers = parser.values(o.controller);
    if (invocation.controllers.contains(QString()))
        return refuse(QStringLiteral("--controller is empty"));
    invocation.everyController = parser.isSet(o.everyController);
    if (invocation.everyController && !invocation.controllers.isEmpty())
        return refuse(QStringLiteral("--every-controller and --controller do not go together"));
    if (invocation.date && (invocation.from || invocation.to))
        return refuse(QStringLiteral("--date is one day; give it alone, or --from and --to"));

    switch (rule->verb) {
    case YearVerb::Add:
        if (!invocation.name || !invocation.schedule)
            return refuse(QStringLiteral("site period add wants --name and --schedule"));
        if (!invocation.date && !(invocation.from && invocation.to))
            return refuse(QStringLiteral("site period add wants --date, or --from and --to"));
        break;
    case YearVerb::Change:
        if (!invocation.name && !invocation.schedule && !invocation.date && !invocation.from && !invocation.to &&
            invocation.controllers.isEmpty() && !invocation.everyController)
            return refuse(QStringLiteral("site period change: nothing to change; give the options to replace"));
        break;
    case YearVerb::Remove: break;
    case YearVerb::PrintYear:
        if (!parser.isSet(o.year))
            return refuse(QStringLiteral("site print writes one page a controller into a folder; the year's page needs --year"));
        if (!pageFormatOf(invocation.outPath))
            return refuse(QStringLiteral("site print --year: '%1' must end in .pdf, .png or .svg").arg(invocation.outPath));
        break;
    }
    return invocation;
}

CommandResult editPeriod(const YearInvocation &invocation)
{
    const QJsonObject details{{QStringLiteral("site"), invocation.sitePath},
                              {QStringLiteral("period"), invocation.name.value_or(invocation.periodName)}};
    const auto done = [&](const Result<> &edited, const QString &what) {
        if (!edited)
            return CommandResult::failure(ExitCode::BadInput, edited.error(), details);
        return CommandResult{ExitCode::Success, what, {}, details};
    };
    if (invocation.verb == YearVerb::Remove)
        return done(removePeriod(invocation.sitePath, invocation.periodName),
                    QStringLiteral("period \"%1\" removed from %2").arg(invocation.periodName, invocation.sitePath));

    PeriodDraft draft;
    if (invocation.verb == YearVerb::Change) {
        // What is not given stays as the file has it.
        const SiteReading reading = readSiteFile(invocation.sitePath);
        if (!reading.site)
            return refusedSite(reading);
        const auto period = std::find_if(reading.site->periods.cbegin(), reading.site->periods.cend(),
                                         [&](const SitePeriod &p) { return p.name == invocation.periodName; });
        if (period == reading.site->periods.cend())
            return CommandResult::failure(
                ExitCode::BadInput, QStringLiteral("%1 has no period \"%2\"").arg(invocation.sitePath, invocation.periodName), details);
        draft = {period->name, period->from, period->to, period->schedule, period->controllers};
    }
    draft.name = invocation.name.value_or(draft.name);
    draft.schedule = invocation.schedule.value_or(draft.schedule);
    draft.from = invocation.date.value_or(invocation.from.value_or(draft.from));
    draft.to = invocation.date.value_or(invocation.to.value_or(draft.to));
    if (!invocation.controllers.isEmpty() || invocation.everyController)
        draft.controllers = invocation.controllers;
    if (invocation.verb == YearVerb::Add)
        return done(addPeriod(invocation.sitePath, draft),
                    QStringLiteral("period \"%1\" added to %2").arg(draft.name, invocation.sitePath));
    return done(changePeriod(invocation.sitePath, invocation.periodName, draft),
                QStringLiteral("period \"%1\" changed in %2").arg(invocation.periodName, invocation.sitePath));
}

CommandResult printYear(const YearInvocation &invocation)
{
    // Calendar files' events are read over the school years around the date.
    const QDate around = invocation.date.value_or(QDate::currentDate());
    const SiteReading reading = readSiteFile(invocation.sitePath, schoolYearsAround(around, around));
    if (!reading.site)
        return refusedSite(reading);
    const Site &site = *reading.site;
    const QString controller = invocation.controllers.value(0);
    if (!controller.isEmpty() && !site.controller(controller))
        return CommandResult::failure(ExitCode::BadInput,
                                      QStringLiteral("--controller: the site has no controller \"%1\"").arg(controller));
    const YearPlan plan = yearPlan(site, around, controller);
    if (plan.days.isEmpty())
        return CommandResult::failure(ExitCode::BadInput,
                                      QStringLiteral("--date: %1 has no school year the calendar holds").arg(around.toString(Qt::ISODate)));
    const QByteArray bytes =
        renderYearPage(*pageFormatOf(invocation.outPath), yearPageContent(site, plan, controller, QDate::currentDate()));
    if (bytes.isEmpty())
        return CommandResult::failure(ExitCode::BadInput, QStringLiteral("the page could not be drawn; nothing was written"));
    if (const Result<> written = writeWholeFile(invocation.outPath, bytes); !written)
        return CommandResult::failure(
            ExitCode::OutputNotWritten,
            QStringLiteral("%1 cannot be written: %2; nothing was written").arg(invocation.outPath, written.error()));
    return {ExitCode::Success,
            QStringLiteral("%1 written: the school year %2 – %3")
                .arg(invocation.outPath, plan.first.toString(Qt::ISODate), plan.last.toString(Qt::ISODate)),
            {},
            {{QStringLiteral("site"), site.path},
             {QStringLiteral("page_file"), invocation.outPath},
             {QStringLiteral("first"), plan.first.toString(Qt::ISODate)},
             {QStringLiteral("last"), plan.last.toString(Qt::ISODate)},
             {QStringLiteral("controller"), controller}}};
}

// The first word after "site" that is not an option.
QString verbWord(const QStringList &arguments)
{
    const qsizetype site = arguments.indexOf(QStringLiteral("site"));
    for (qsizetype i = site + 1; site > 0 && i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(u'-'))
            return arguments[i];
    }
    return {};
}

} // namespace

bool isSiteYearCommand(const QStringList &arguments)
{
    return verbWord(arguments) == u"period" || drawsYearPage(arguments);
}

bool drawsYearPage(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--year"));
}

int runSiteYearCommand(const QStringList &arguments)
{
    const YearInvocation invocation = parse(arguments);
    CommandResult result = invocation.error.isEmpty() ? CommandResult{} : CommandResult::failure(ExitCode::BadInput, invocation.error);
    if (invocation.error.isEmpty())
        result = invocation.verb == YearVerb::PrintYear ? printYear(invocation) : editPeriod(invocation);
    printResult(invocation.commandName, result, invocation.json);
    return exitStatus(result.exitCode);
}

QString siteYearHelpText()
{
    return QStringLiteral("  site period add SITE --name N (--date D | --from D --to D) --schedule S [--controller C]...\n"
                          "                                       add a period at the end of the site file\n"
                          "  site period change SITE NAME [--name N] [--date D | --from D --to D] [--schedule S]\n"
                          "                     [--controller C]... [--every-controller]\n"
                          "                                       replace what is given of the period\n"
                          "  site period remove SITE NAME         remove the period\n"
                          "                                       Edits keep every other byte of the file (comments too) and\n"
                          "                                       are checked as site check checks the file: a refused edit\n"
                          "                                       leaves it untouched and exits 2 with the reasons.\n"
                          "  site print --year SITE OUT.pdf|.png|.svg [--date D] [--controller NAME]\n"
                          "                                       the school year (September to August around D) on one page;\n"
                          "                                       each day as every controller, or NAME, rings it; no contact\n");
}
