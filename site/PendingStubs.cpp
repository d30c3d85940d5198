// Stand-ins for the period edits, the year plan, the run's report and the
// run itself, small enough to build and try the year window with; the real
// ones replace this whole file.
#include "site/PeriodEdits.h"
#include "site/RunReport.h"
#include "site/SiteFile.h"
#include "site/SitePlan.h"
#include "site/SiteRun.h"
#include "site/YearPlan.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>

namespace {

QByteArray periodBlock(const PeriodDraft &p)
{
    auto quoted = [](QString s) {
        return QStringLiteral("\"%1\"").arg(
            s.replace(QStringLiteral("\\"), QStringLiteral("\\\\")).replace(QStringLiteral("\""), QStringLiteral("\\\"")));
    };
    QString text = QStringLiteral("\n[[periods]]\nname = %1\n").arg(quoted(p.name));
    if (p.from == p.to)
        text += QStringLiteral("date = %1\n").arg(p.from.toString(Qt::ISODate));
    else
        text += QStringLiteral("from = %1\nto = %2\n").arg(p.from.toString(Qt::ISODate), p.to.toString(Qt::ISODate));
    text += QStringLiteral("schedule = %1\n").arg(quoted(p.schedule));
    if (!p.controllers.isEmpty()) {
        QStringList names;
        for (const QString &c : p.controllers)
            names << quoted(c);
        text += QStringLiteral("controllers = [%1]\n").arg(names.join(QStringLiteral(", ")));
    }
    return text.toUtf8();
}

Result<> replaceChecked(const QString &path, const QByteArray &text)
{
    const SiteReading reading = readSiteText(text, path);
    if (!reading.problems.isEmpty())
        return failure(reading.problems.first().toString());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return failure(file.errorString());
    return {};
}

// The byte range of the period's block: from its "[[periods]]" line to the next table.
std::optional<std::pair<qsizetype, qsizetype>> periodRange(const QByteArray &text, const QString &name)
{
    static const QRegularExpression header(QStringLiteral("^\\s*\\["), QRegularExpression::MultilineOption);
    const QString all = QString::fromUtf8(text);
    qsizetype start = all.indexOf(QStringLiteral("[[periods]]"));
    while (start >= 0) {
        qsizetype end = all.indexOf(header, start + 11);
        if (end < 0)
            end = all.size();
        if (all.mid(start, end - start).contains(QStringLiteral("\"%1\"").arg(name)))
            return std::pair{all.left(start).toUtf8().size(), all.left(end).toUtf8().size()};
        start = all.indexOf(QStringLiteral("[[periods]]"), end);
    }
    return std::nullopt;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Result<> addPeriod(const QString &sitePath, const PeriodDraft &period)
{
    QByteArray text = readAll(sitePath);
    if (periodRange(text, period.name))
        return failure(QStringLiteral("there is a period \"%1\" already").arg(period.name));
    if (!text.endsWith('\n'))
        text += '\n';
    return replaceChecked(sitePath, text + periodBlock(period).mid(text.endsWith("\n\n") ? 1 : 0));
}

Result<> changePeriod(const QString &sitePath, const QString &name, const PeriodDraft &period)
{
    QByteArray text = readAll(sitePath);
    const auto range = periodRange(text, name);
    if (!range)
        return failure(QStringLiteral("no period \"%1\"").arg(name));
    return replaceChecked(sitePath, text.replace(range->first, range->second - range->first, periodBlock(period).mid(1) + "\n"));
}

Result<> removePeriod(const QString &sitePath, const QString &name)
{
    QByteArray text = readAll(sitePath);
    const auto range = periodRange(text, name);
    if (!range)
        return failure(QStringLiteral("no period \"%1\"").arg(name));
    return replaceChecked(sitePath, text.remove(range->first, range->second - range->first));
}

QDate schoolYearStart(QDate around)
{
    return QDate(around.month() >= 9 ? around.year() : around.year() - 1, 9, 1);
}

YearPlan yearPlan(const Site &site, QDate around, const QString &controller)
{
    YearPlan plan;
    plan.first = schoolYearStart(around);
    plan.last = plan.first.addYears(1).addDays(-1);
    QList<const SiteSchedule *> inFileOrder;
    for (const SiteSchedule &s : site.schedules) {
        if (s.name != OffScheduleName)
            inFileOrder << &s;
    }
    std::sort(inFileOrder.begin(), inFileOrder.end(), [](auto *a, auto *b) { return a->where.line < b->where.line; });
    for (const SiteSchedule *s : inFileOrder)
        plan.schedules << s->name;
    plan.schedules << OffScheduleName;
    QList<const SiteController *> looked;
    for (const SiteController &c : site.controllers) {
        if (controller.isEmpty() || c.name == controller)
            looked << &c;
    }
    for (QDate d = plan.first; d <= plan.last; d = d.addDays(1)) {
        YearDay day{d, {}, {}, false};
        for (const SiteController *c : looked) {
            const PlannedDay p = plannedDay(site, *c, d);
            if (c == looked.first())
                day.schedule = p.schedule;
            else if (p.schedule != day.schedule)
                day.differs = true;
            if (day.period.isEmpty())
                day.period = p.period;
        }
        if (day.differs)
            day.schedule.clear();
        plan.days << day;
    }
    return plan;
}

QJsonObject runReportJson(const RunReport &report)
{
    QJsonArray outcomes;
    for (const ControllerOutcome &o : report.outcomes)
        outcomes.append(QJsonObject{{"name", o.name},
                                    {"link", o.link},
                                    {"model", o.model},
                                    {"reached", o.reached},
                                    {"message", o.message},
                                    {"action", int(o.action)}});
    return {{"verb", report.verb},          {"site", report.siteName},           {"finished", report.finishedAt.toString(Qt::ISODate)},
            {"exit_code", report.exitCode}, {"interrupted", report.interrupted}, {"controllers", outcomes}};
}

Result<RunReport> runReportFromJson(const QByteArray &json)
{
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    if (o.isEmpty())
        return failure(QStringLiteral("not a report"));
    RunReport report{o["verb"].toString(),   o["site"].toString(),      QDateTime::fromString(o["finished"].toString(), Qt::ISODate),
                     o["exit_code"].toInt(), o["interrupted"].toBool(), {}};
    for (const QJsonValue &v : o["controllers"].toArray()) {
        ControllerOutcome outcome;
        outcome.name = v["name"].toString();
        outcome.link = v["link"].toString();
        outcome.model = v["model"].toString();
        outcome.reached = v["reached"].toBool();
        outcome.message = v["message"].toString();
        outcome.action = ControllerOutcome::Action(v["action"].toInt());
        report.outcomes << outcome;
    }
    return report;
}

namespace {
struct StubRun
{
    QList<ControllerOutcome> outcomes;
    bool running = false, cancelled = false;
};
QHash<const SiteRun *, StubRun> &stubRuns()
{
    static QHash<const SiteRun *, StubRun> runs;
    return runs;
}
} // namespace

SiteRun::SiteRun(const Site &site, const QStringList &controllerNames, const SiteRunSetup &, QObject *parent) : QObject(parent)
{
    StubRun &run = stubRuns()[this];
    for (const QString &name : controllerNames) {
        ControllerOutcome outcome;
        outcome.name = name;
        if (const SiteController *c = site.controller(name))
            outcome.link = c->linkText;
        run.outcomes << outcome;
    }
}

SiteRun::~SiteRun()
{
    stubRuns().remove(this);
}

void SiteRun::start()
{
    stubRuns()[this].running = true;
    for (int i = 0; i < stubRuns()[this].outcomes.size(); ++i) {
        QTimer::singleShot(100 * (i + 1), this, [this, i] {
            StubRun &run = stubRuns()[this];
            if (!run.running)
                return;
            emit controllerStarted(i);
            run.outcomes[i].message = QStringLiteral("the site's run is not built in this branch");
            run.outcomes[i].action = ControllerOutcome::Action::Failed;
            emit controllerProgress(i, 100);
            emit controllerFinished(i);
            if (i + 1 == run.outcomes.size()) {
                run.running = false;
                emit finished();
            }
        });
    }
}

void SiteRun::cancel()
{
    StubRun &run = stubRuns()[this];
    if (!run.running)
        return;
    run.running = false;
    run.cancelled = true;
    emit finished();
}

bool SiteRun::isRunning() const
{
    return stubRuns().value(this).running;
}

bool SiteRun::wasCancelled() const
{
    return stubRuns().value(this).cancelled;
}

const QList<ControllerOutcome> &SiteRun::outcomes() const
{
    return stubRuns()[this].outcomes;
}
