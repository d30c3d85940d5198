#include "sitecmd/SitePages.h"

#include "print/WeekPageFile.h"
#include "schedule/DayNames.h"
#include "schedule/DeviceModelNames.h"
#include "schedule/WholeFile.h"
#include "site/SitePlan.h"
#include "sitecmd/PageFileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocale>
#include <algorithm>

namespace {

struct WeekPeriod
{
    QString name;
    QStringList days; // the weekdays it rings on, in the order of the week's dates
};

// The periods of the week from `date`, in the order they first apply.
QList<WeekPeriod> periodsOf(const PlannedWeek &week, QDate date)
{
    QList<WeekPeriod> periods;
    for (int ahead = 0; ahead < DayCount; ++ahead) {
        const int weekday = date.addDays(ahead).dayOfWeek();
        const QString &name = week.days[size_t(weekday - 1)].period;
        if (name.isEmpty())
            continue;
        auto period = std::find_if(periods.begin(), periods.end(), [&](const WeekPeriod &p) { return p.name == name; });
        if (period == periods.end())
            period = periods.insert(periods.end(), WeekPeriod{name, {}});
        period->days << DayNames[size_t(weekday - 1)].toString();
    }
    return periods;
}

// Under the model and the file: the controller, the dates the page holds,
// and each period with the weekdays it covers.
QStringList headingLines(const SiteController &controller, QDate date, const QList<WeekPeriod> &periods)
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QString format = QStringLiteral("d MMMM yyyy dddd");
    QStringList lines{
        QStringLiteral("Zil Kontrol Cihazı: %1").arg(controller.name),
        QStringLiteral("Hafta: %1 – %2").arg(turkish.toString(date, format), turkish.toString(date.addDays(DayCount - 1), format))};
    for (const WeekPeriod &period : periods)
        lines << QStringLiteral("Dönem: %1 (%2)").arg(period.name, period.days.join(QStringLiteral(", ")));
    return lines;
}

struct Page
{
    const SiteController *controller;
    QString path;
    QStringList periods;
    QByteArray bytes;
};

} // namespace

CommandResult printSitePages(const Site &site, QDate date, const QString &outDir)
{
    const QFileInfo folder(outDir);
    if (folder.exists() && !folder.isDir())
        return CommandResult::failure(ExitCode::BadInput, QStringLiteral("%1 is not a folder; nothing was written").arg(outDir));

    QStringList names;
    for (const SiteController &controller : site.controllers)
        names << controller.name;
    const QStringList files = pageFileNames(names);
    const WeekPageHeading common{site.name.isEmpty() ? QString() : QStringLiteral("Zil Takvimi – %1").arg(site.name),
                                 QFileInfo(site.path).fileName(),
                                 QDate::currentDate(),
                                 {}};
    QList<Page> pages;
    for (qsizetype i = 0; i < site.controllers.size(); ++i) {
        const SiteController &controller = site.controllers[i];
        const PlannedWeek week = plannedWeek(site, controller, date);
        const QList<WeekPeriod> periods = periodsOf(week, date);
        WeekPageHeading heading = common;
        heading.extraLines = headingLines(controller, date, periods);
        const RenderedPage page = renderWeekPage(PageFormat::Pdf, week.calendar, controller.model, heading);
        if (!page.fit.fits())
            return CommandResult::failure(
                ExitCode::BadInput, QStringLiteral("the week of controller \"%1\" does not fit on one page even at %2 pt (%3 rings on "
                                                   "the longest day, the widest '%4'); nothing was written")
                                        .arg(controller.name, QString::number(SmallestEntryPointSize),
                                             QString::number(page.fit.mostEntries), page.fit.widestEntry));
        Page p{&controller, QDir(outDir).filePath(files[i]), {}, page.bytes};
        for (const WeekPeriod &period : periods)
            p.periods << period.name;
        pages.append(p);
    }
    if (!QDir().mkpath(outDir))
        return CommandResult::failure(ExitCode::OutputNotWritten,
                                      QStringLiteral("the folder %1 cannot be made; nothing was written").arg(outDir));

    QStringList lines;
    QJsonArray controllers;
    qsizetype written = 0;
    for (const Page &page : std::as_const(pages)) {
        const QString model = modelCaption(page.controller->model);
        const Result<> saved = writeWholeFile(page.path, page.bytes);
        const bool error = !saved;
        const QString message = error ? QStringLiteral("%1 cannot be written: %2").arg(page.path, saved.error()) : QString();
        written += !error;
        lines << QStringLiteral("%1 (%2): %3").arg(page.controller->name, model, error ? message : page.path) +
                     (page.periods.isEmpty() ? QString() : QStringLiteral(", ") + page.periods.join(QStringLiteral(", ")));
        controllers.append(QJsonObject{{QStringLiteral("name"), page.controller->name},
                                       {QStringLiteral("link"), page.controller->linkText},
                                       {QStringLiteral("model"), model},
                                       {QStringLiteral("ok"), !error},
                                       {QStringLiteral("exit_code"), exitStatus(error ? ExitCode::OutputNotWritten : ExitCode::Success)},
                                       {QStringLiteral("message"), message},
                                       {QStringLiteral("page_file"), error ? QJsonValue() : QJsonValue(page.path)},
                                       {QStringLiteral("periods"), QJsonArray::fromStringList(page.periods)}});
    }
    CommandResult result;
    result.exitCode = written == pages.size() ? ExitCode::Success : ExitCode::OutputNotWritten;
    result.output = (lines.join(u'\n') + u'\n').toUtf8();
    result.message = QStringLiteral("%1 of %2 page(s) written into %3, the week from %4")
                         .arg(written)
                         .arg(pages.size())
                         .arg(outDir, date.toString(Qt::ISODate));
    result.details = {{QStringLiteral("site"), site.path},
                      {QStringLiteral("date"), date.toString(Qt::ISODate)},
                      {QStringLiteral("out_dir"), outDir},
                      {QStringLiteral("controllers"), controllers}};
    return result;
}
