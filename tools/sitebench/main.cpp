// sitebench: `zilctl site status` over 32 controllers simulated in this
// process on loopback TCP, every answer 5 ms late as behind a
// serial-to-Ethernet converter, with --jobs 1 and --jobs 16 in one run: the
// wall time, the ratio, and the CPU a controller costs its zilctl processes.
#include "ControllerSimulator.h"
#include "site/RunReport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Controllers = 32;
constexpr int Models = 5;
constexpr int AnswerDelayMs = 5;
constexpr int ManyJobs = 16;

struct Timing
{
    double wallSeconds = 0;
    double cpuSeconds = 0; // zilctl and its children, user and system
    int exitCode = -1;
};

double childrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Timing timeStatus(const QString &site, int jobs)
{
    Timing timing;
    QProcess process;
    QEventLoop loop; // serves the simulators while zilctl runs
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    // The controllers are separate boxes: their answers must not queue behind
    // the CPU of the processes measured, so zilctl runs at a lower priority
    // than the simulators (it has the cores to itself whenever they wait).
    process.setChildProcessModifier([] { (void)::nice(10); });
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(ZILCTL_PATH), {"site", "status", site, "--jobs=" + QString::number(jobs), "--json"});
    if (process.waitForStarted())
        loop.exec();
    timing.wallSeconds = double(clock.elapsed()) / 1000.0;
    timing.cpuSeconds = childrenCpuSeconds() - cpuBefore; // zilctl is reaped, and with it its children's time
    timing.exitCode = process.exitCode();
    // A controller that failed makes the figures no measure of the work: say which and why.
    const Result<RunReport> report = runReportFromJson(process.readAllStandardOutput());
    if (!report)
        std::fprintf(stderr, "sitebench: --jobs %d: no report: %s\n", jobs, qPrintable(report.error()));
    for (const ControllerOutcome &o : report ? report->outcomes : QList<ControllerOutcome>()) {
        if (o.failed())
            std::fprintf(stderr, "sitebench: --jobs %d: %s: %s\n", jobs, qPrintable(o.name), qPrintable(o.message));
    }
    return timing;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::vector<std::unique_ptr<ControllerSimulator>> simulators;
    static const char *shortNames[Models] = {"v1", "v2-24", "v2-int", "v3-64", "v3-int"};
    QByteArray site = "[schedules]\nnormal = \"normal.csv\"\n";
    for (int i = 0; i < Controllers; ++i) {
        auto simulator = std::make_unique<ControllerSimulator>();
        simulator->setModel(i % Models);
        simulator->setFaults({.noiseBefore = {}, .answerDelayMs = AnswerDelayMs});
        if (!simulator->listenTcp()) {
            std::fprintf(stderr, "sitebench: no loopback port\n");
            return 1;
        }
        site += "[[controllers]]\nname = \"zil-" + QByteArray::number(i + 1) +
                "\"\ntcp = \"127.0.0.1:" + QByteArray::number(simulator->tcpPort()) + "\"\nmodel = \"" + shortNames[i % Models] +
                "\"\nschedule = \"normal\"\n";
        simulators.push_back(std::move(simulator));
    }
    QFile text(dir.filePath("normal.csv")), file(dir.filePath("site.toml"));
    if (!text.open(QIODevice::WriteOnly) || !file.open(QIODevice::WriteOnly))
        return 1;
    text.write("day,slot,in_use,time,seconds\n1,1,1,08:30,3\n");
    file.write(site);
    text.close();
    file.close();

    const Timing one = timeStatus(dir.filePath("site.toml"), 1);
    const Timing many = timeStatus(dir.filePath("site.toml"), ManyJobs);
    std::printf("| site status, %d controllers, answers %d ms late | Wall | CPU a controller | Exit |\n|---|---|---|---|\n", Controllers,
                AnswerDelayMs);
    for (const auto &[jobs, timing] : {std::pair{1, one}, {ManyJobs, many}})
        std::printf("| --jobs %d | %.2f s | %.3f s | %d |\n", jobs, timing.wallSeconds, timing.cpuSeconds / Controllers, timing.exitCode);
    std::printf("\n--jobs 1 / --jobs %d: %.1f\n", ManyJobs, many.wallSeconds > 0 ? one.wallSeconds / many.wallSeconds : 0.0);
    return 0;
}
