#include "sitecmd/SiteWork.h"

#include "../../SignalPipe.h"
#include "ExitCode.h"
#include "site/SiteModel.h"

#include <QEventLoop>
#include <csignal>
#include <memory>
#include <vector>

SiteWorkResult workControllers(const Site &site, const QStringList &names, const QStringList &plannedWeekPaths, ControllerWorkSetup setup,
                               int jobs)
{
    std::vector<std::unique_ptr<ControllerWork>> works;
    for (qsizetype i = 0; i < names.size(); ++i) {
        setup.plannedWeekPath = plannedWeekPaths[i];
        works.push_back(std::make_unique<ControllerWork>(*site.controller(names[i]), setup));
    }

    SiteWorkResult result;
    QEventLoop loop;
    SignalPipe stop{{SIGINT, SIGTERM}, exitStatus(ExitCode::Interrupted)};
    size_t started = 0, ended = 0;
    const auto startNext = [&] {
        while (started < works.size() && started - ended < size_t(jobs) && !stop.hasArrived())
            works[started++]->start();
        if (ended == started && (started == works.size() || stop.hasArrived()))
            loop.quit();
    };
    for (const auto &work : works) {
        QObject::connect(work.get(), &ControllerWork::finished, &loop, [&] {
            ++ended;
            startNext();
        });
    }
    QObject::connect(&stop, &SignalPipe::arrived, &loop, [&] {
        result.interrupted = true;
        for (size_t i = 0; i < started; ++i)
            works[i]->cancel(QStringLiteral("stopped by a signal"));
        startNext();
    });
    QMetaObject::invokeMethod(&loop, startNext, Qt::QueuedConnection);
    loop.exec();

    for (size_t i = 0; i < works.size(); ++i) {
        ControllerOutcome outcome = works[i]->outcome();
        if (i >= started) {
            outcome.failed = true;
            outcome.action = ControllerOutcome::Action::Failed;
            outcome.message = QStringLiteral("not begun: stopped by a signal");
        }
        result.outcomes.append(outcome);
    }
    return result;
}
