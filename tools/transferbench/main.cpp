// Times whole schedule transfers against the in-process controller
// simulator, over loopback TCP and over its pseudo-terminal.

#include "BenchHost.h"
#include "ControllerSimulator.h"
#include "operations/DeviceOperations.h"
#include "schedule/DateTimeValue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

RingCalendar benchCalendar()
{
    RingCalendar calendar;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            calendar.setTimeUsed(day, slot, qint16(slot % 2));
            calendar.setRingDuration(day, slot, qint16(1 + (day + slot) % 30));
            calendar.setRingTime(day, slot, timeValue((day * 3 + slot) % 24, (slot * 7) % 60));
        }
    }
    return calendar;
}

struct Run
{
    const char *what;
    int model;
    bool tcp;
    bool send;
    int units; // records or blocks
    const char *unit;
};

bool runOne(ControllerSimulator &simulator, const Run &run)
{
    BenchHost host;
    host.model = run.model;
    host.tcp = run.tcp;
    host.tcpPort = simulator.tcpPort();
    host.serialDevice = simulator.serialDevicePath();
    host.schedule = benchCalendar();
    simulator.setModel(run.model);
    simulator.clearLog();
    DeviceOperations operations(host);

    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    run.send ? operations.SendCalendar() : operations.ReceiveCalendar();
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;

    const QString result = host.benchDialog.told.value(1);
    const bool ok = result.contains(QStringLiteral("başarı")) || result.contains(QStringLiteral("alındı"));
    std::printf("%-26s %-7s %8.3f s wall %8.3f s cpu %8.2f ms/%s  frames %-4lld %s\n", run.what,
                run.tcp ? "tcp" : "serial", wallSeconds, cpu, wallSeconds * 1000.0 / run.units, run.unit,
                static_cast<long long>(simulator.receivedFrames().size()), ok ? "ok" : qPrintable(result));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ControllerSimulator simulator;
    if (!simulator.listenTcp() || !simulator.openSerial()) {
        std::fprintf(stderr, "transferbench: the simulator could not open its links\n");
        return 2;
    }
    const Run runs[] = {
        {"V3  (64 Zaman) send", ModelV3Times64, true, true, 448, "record"},
        {"V3  (64 Zaman) receive", ModelV3Times64, true, false, 448, "record"},
        {"V1 send", ModelV1, true, true, 34, "block"},
        {"V1 receive", ModelV1, true, false, 33, "block"},
        {"V3  (64 Zaman) send", ModelV3Times64, false, true, 448, "record"},
        {"V3  (64 Zaman) receive", ModelV3Times64, false, false, 448, "record"},
        {"V1 send", ModelV1, false, true, 34, "block"},
        {"V1 receive", ModelV1, false, false, 33, "block"},
    };
    bool allOk = true;
    for (const Run &run : runs)
        allOk = runOne(simulator, run) && allOk;
    return allOk ? 0 : 1;
}
