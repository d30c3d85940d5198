// Times whole schedule transfers against the in-process controller
// simulator, over loopback TCP and over its pseudo-terminal.

#include "BenchHost.h"
#include "ControllerSimulator.h"
#include "link/WholeSecondClock.h"
#include "operations/DeviceOperations.h"
#include "schedule/DateTimeValue.h"
#include "schedule/RingCalendar.h"

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
    DeviceModel model;
    bool tcp;
    bool send;
    int units; // records or blocks
    const char *unit;
};

bool runOne(ControllerSimulator &simulator, const Run &run)
{
    BenchHost host;
    SystemWholeSecondClock clock;
    LinkSettings link;
    link.transport = run.tcp ? LinkTransport::Tcp : LinkTransport::Serial;
    link.host = QStringLiteral("127.0.0.1");
    link.tcpPort = simulator.tcpPort();
    link.serialDevice = simulator.serialDevicePath();
    link.line = facts(run.model).line;
    RingCalendar schedule = benchCalendar();
    simulator.setModel(int(run.model));
    simulator.clearLog();
    DeviceOperations operations(host, clock);

    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const OperationResult result =
        run.send ? operations.SendCalendar(link, run.model, schedule) : operations.ReceiveCalendar(link, run.model, schedule);
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;

    const bool ok = result.succeeded();
    std::printf("%-26s %-7s %8.3f s wall %8.3f s cpu %8.2f ms/%s  frames %-4lld %s\n", run.what, run.tcp ? "tcp" : "serial", wallSeconds,
                cpu, wallSeconds * 1000.0 / run.units, run.unit, static_cast<long long>(simulator.receivedFrames().size()),
                ok ? "ok" : qPrintable(result.message()));
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
        {"V3  (64 Zaman) send", DeviceModel::V3Times64, true, true, 448, "record"},
        {"V3  (64 Zaman) receive", DeviceModel::V3Times64, true, false, 448, "record"},
        {"V1 send", DeviceModel::V1, true, true, 34, "block"},
        {"V1 receive", DeviceModel::V1, true, false, 33, "block"},
        {"V3  (64 Zaman) send", DeviceModel::V3Times64, false, true, 448, "record"},
        {"V3  (64 Zaman) receive", DeviceModel::V3Times64, false, false, 448, "record"},
        {"V1 send", DeviceModel::V1, false, true, 34, "block"},
        {"V1 receive", DeviceModel::V1, false, false, 33, "block"},
    };
    bool allOk = true;
    for (const Run &run : runs)
        allOk = runOne(simulator, run) && allOk;
    return allOk ? 0 : 1;
}
