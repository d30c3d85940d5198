#include "site/YearPageContent.h"

#include <QFileInfo>
#include <QLocale>

QString scheduleCaption(const QString &schedule)
{
    return schedule == OffScheduleName ? QStringLiteral("Zil yok") : schedule;
}

YearPageContent yearPageContent(const Site &site, const YearPlan &plan, const QString &controller, QDate printedOn)
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const auto date = [&](QDate d) { return turkish.toString(d, QStringLiteral("d MMMM yyyy")); };
    YearPageContent content;
    content.siteName = site.name;
    content.headingLines = {QStringLiteral("Okul yılı: %1 – %2").arg(date(plan.first), date(plan.last)),
                            controller.isEmpty() ? QStringLiteral("Bütün zil kontrol cihazları (%1)").arg(site.controllers.size())
                                                 : QStringLiteral("Zil Kontrol Cihazı: %1").arg(controller),
                            QStringLiteral("Dosya: %1    Yazdırma tarihi: %2").arg(QFileInfo(site.path).fileName(), date(printedOn))};
    content.first = plan.first;
    for (const QString &schedule : plan.schedules)
        content.keys.append({scheduleCaption(schedule), schedule == OffScheduleName});
    for (const YearDay &day : plan.days)
        content.days.append(day.differs ? YearPageContent::DiffersKey : int(plan.schedules.indexOf(day.schedule)));
    for (const SitePeriod &period : site.periods) {
        if (period.to < plan.first || period.from > plan.last)
            continue;
        if (!controller.isEmpty() && !period.controllers.isEmpty() && !period.controllers.contains(controller))
            continue;
        content.periods.append({period.name, period.from, period.to, scheduleCaption(period.schedule), period.controllers});
    }
    return content;
}
