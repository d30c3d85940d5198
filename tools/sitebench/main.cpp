// sitebench: `zilctl site status` over 16 controllers simulated in this
// process on loopback TCP, with --jobs 1 and --jobs 8, and the ratio.
#include "ControllerSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Controllers = 16;
constexpr int Models = 5;
constexpr int Runs = 3;

struct Timing
{
    qint64 bestMs = 0;
    int exitCode = -1;
};

Timing timeStatus(const QString &site, int jobs)
{
    Timing timing;
    for (int run = 0; run < Runs; ++run) {
        QProcess process;
        QEventLoop loop; // serves the simulators while zilctl runs
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral(ZILCTL_PATH), {"site", "status", site, "--jobs=" + QString::number(jobs)});
        if (process.waitForStarted())
            loop.exec();
        const qint64 ms = clock.elapsed();
        timing.exitCode = process.exitCode();
        timing.bestMs = run == 0 ? ms : std::min(timing.bestMs, ms);
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
    const Timing eight = timeStatus(dir.filePath("site.toml"), 8);
    std::printf("| site status, %d controllers (best of %d) | Wall | Exit |\n|---|---|---|\n", Controllers, Runs);
    std::printf("| --jobs 1 | %.2f s | %d |\n", one.bestMs / 1000.0, one.exitCode);
    std::printf("| --jobs 8 | %.2f s | %d |\n", eight.bestMs / 1000.0, eight.exitCode);
    std::printf("\n--jobs 1 / --jobs 8: %.1f\n", eight.bestMs ? double(one.bestMs) / double(eight.bestMs) : 0.0);
    return 0;
}
