#include "site/SiteScheduleTexts.h"

#include "schedule/CalendarText.h"
#include "schedule/DeviceModel.h"
#include "schedule/DeviceModelNames.h"
#include "schedule/WholeFile.h"

#include <QFileInfo>

namespace {

std::optional<QString> readText(const SiteSchedule &schedule, QList<SiteProblem> &problems)
{
    const QFileInfo info(schedule.path);
    const auto refuse = [&](const QString &why) {
        problems.append({schedule.where, QStringLiteral("schedule \"%1\": %2 %3").arg(schedule.name, schedule.path, why)});
        return std::nullopt;
    };
    if (!info.exists())
        return refuse(QStringLiteral("does not exist"));
    if (info.isDir())
        return refuse(QStringLiteral("is a folder, not a schedule text"));
    // As import takes it.
    const Result<QByteArray> bytes = readCappedFile(schedule.path, LargestCalendarText, QStringLiteral("a schedule's text"));
    if (!bytes)
        return refuse(bytes.error());
    return QString::fromUtf8(*bytes);
}

// The first slot of `schedule` that rings beyond what `model` carries.
void checkCarried(const SiteController &controller, const SiteSchedule &schedule, QList<SiteProblem> &problems)
{
    const int carried = facts(controller.model).slotsCarried;
    for (int slot = carried + 1; slot <= SlotsPerDay; ++slot) {
        for (int day = 1; day <= DayCount; ++day) {
            const auto &given = schedule.reading.givenSlots[size_t(RingCalendar::flatIndex(day, slot))];
            if (!given || given->timeUsed != 1)
                continue;
            problems.append({{schedule.path, given->line},
                             QStringLiteral("schedule \"%1\" rings on day %2 in slot %3, but controller \"%4\" (%5) carries slots 1-%6 "
                                            "a day: it would never ring")
                                 .arg(schedule.name)
                                 .arg(day)
                                 .arg(slot)
                                 .arg(controller.name, modelCaption(controller.model))
                                 .arg(carried)});
            return;
        }
    }
}

} // namespace

void readScheduleTexts(Site &site, QList<SiteProblem> &problems)
{
    for (SiteSchedule &schedule : site.schedules) {
        if (schedule.path.isEmpty())
            continue; // "off"
        const std::optional<QString> text = readText(schedule, problems);
        if (!text)
            continue;
        schedule.reading = readCalendarText(*text);
        for (const TextProblem &p : schedule.reading.problems) {
            const QString field = p.field.isEmpty() ? QString() : p.field + QStringLiteral(": ");
            problems.append({{schedule.path, p.line}, QStringLiteral("schedule \"%1\": %2%3").arg(schedule.name, field, p.message)});
        }
    }
    if (!problems.isEmpty())
        return;
    for (const SiteController &controller : site.controllers) {
        QStringList given{controller.schedule};
        for (const SitePeriod &period : site.periods) {
            if ((period.controllers.isEmpty() || period.controllers.contains(controller.name)) && !given.contains(period.schedule))
                given << period.schedule;
        }
        for (const QString &name : given)
            checkCarried(controller, *site.schedule(name), problems);
    }
}
