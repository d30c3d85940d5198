#include "sitecmd/SiteChild.h"

#include "../../SignalPipe.h"
#include "ConsoleHost.h"
#include "DefaultPaths.h"
#include "ExitCode.h"
#include "ScheduleDifferences.h"
#include "link/LinkOptions.h"
#include "link/WholeSecondClock.h"
#include "operations/ClockText.h"
#include "operations/DeviceOperations.h"
#include "schedule/CalendarText.h"
#include "site/ChildContract.h"

#include <QFile>
#include <QSet>
#include <csignal>
#include <cstdio>

namespace {

// A request is a few kilobytes; more is no request.
constexpr qint64 LongestRequest = 1 << 20;

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int differingSlots(const QList<SlotDifference> &differences)
{
    QSet<int> differing;
    for (const SlotDifference &d : differences)
        differing.insert(d.day * 100 + d.slot);
    return int(differing.size());
}

// One controller's whole work on one link, as the request says.
class ControllerChild
{
public:
    explicit ControllerChild(const ChildRequest &request)
        : m_request(request), m_host(false, [this](int percent) { progress(percent); }), m_operations(m_host, m_clock)
    {
        QObject::connect(&m_stop, &SignalPipe::arrived, &m_stop, [this] { m_host.cancelTransfers(); });
        m_result.outcome.name = request.controller;
    }

    ChildResult run()
    {
        if (const std::optional<LinkSettings> link = linkSettings()) {
            m_link = *link;
            m_link.line = facts(m_request.model).line;
            m_operations.keepLinkOpen();
            work();
            m_operations.releaseLink();
        }
        return m_result;
    }

private:
    std::optional<LinkSettings> linkSettings()
    {
        if (m_request.transport == LinkTransport::Tcp) {
            LinkSettings tcp;
            tcp.transport = LinkTransport::Tcp;
            tcp.host = m_request.host;
            tcp.tcpPort = m_request.tcpPort;
            return tcp;
        }
        const Result<LinkSettings> serial =
            parseSerialTarget(m_request.serialTarget, SerialPortMap::fromDirectory(serialPortMapDirectory()));
        if (!serial)
            fail(QStringLiteral("link"), serial.error());
        return serial ? std::optional<LinkSettings>(*serial) : std::nullopt;
    }

    void work()
    {
        ControllerOutcome &o = m_result.outcome;
        // The clock first: it is short, and tells soonest whether the controller answers.
        if (!readClock(QStringLiteral("clock read")))
            return;
        o.reached = true;
        if (!readSchedule(QStringLiteral("schedule read")))
            return;
        if (m_request.apply && *o.differences > 0) {
            if (m_request.dryRun) {
                o.action = ControllerOutcome::Action::WouldSend;
            } else {
                // What it holds is unknown from here until it is read again. A
                // "V1" gets back the image just read, its bytes around the slots as they were.
                o.differences.reset();
                if (!succeeded(QStringLiteral("send"), m_operations.SendCalendar(m_link, m_request.model, m_request.plannedWeek)))
                    return;
                if (!readSchedule(QStringLiteral("read after the send")))
                    return;
                if (*o.differences > 0)
                    return fail(QStringLiteral("send"), QStringLiteral("%1 slot(s) still differ from the plan").arg(*o.differences));
                o.action = ControllerOutcome::Action::Sent;
            }
        }
        const bool off = !o.clockOffsetSeconds || qAbs(*o.clockOffsetSeconds) > m_request.clockToleranceSeconds;
        if (!m_request.apply || !m_request.setClocks || !off)
            return;
        if (m_request.dryRun) {
            o.wouldSetClock = true;
            return;
        }
        if (!succeeded(QStringLiteral("clock set"), m_operations.SendClock(m_link, m_request.model)))
            return;
        o.clockSet = true;
        if (o.action == ControllerOutcome::Action::None)
            o.action = ControllerOutcome::Action::ClockSet;
        // Judged on what the controller now says, not on what was sent.
        readClock(QStringLiteral("clock read after the set"));
    }

    bool readClock(const QString &what)
    {
        const OperationResult read = m_operations.ReceiveClock(m_link, m_request.model);
        if (!succeeded(what, read) || !read.clock)
            return false;
        m_result.outcome.clockRead = true;
        const std::optional<QDateTime> clock = clockDateTime(*read.clock);
        m_result.outcome.clockOffsetSeconds = clock ? std::optional<qint64>(QDateTime::currentDateTime().secsTo(*clock)) : std::nullopt;
        return true;
    }

    bool readSchedule(const QString &what)
    {
        RingCalendar held = clearedCalendar(m_request.model);
        if (!succeeded(what, m_operations.ReceiveCalendar(m_link, m_request.model, held)))
            return false;
        m_result.outcome.differences = differingSlots(
            scheduleDifferences(m_request.plannedWeek, held, facts(m_request.model).slotsCarried, m_operations.timesNotOfDay()));
        return true;
    }

    // True when the operation succeeded and no signal asks to stop.
    bool succeeded(const QString &what, const OperationResult &result)
    {
        QString told = m_host.told().join(u'\n');
        m_host.forgetTold();
        if (told.isEmpty())
            told = result.message();
        // Another conversation holds the controller: the report says busy, and who.
        if (result.outcome == Outcome::ControllerBusy)
            told = QStringLiteral("busy, held by %1").arg(result.holder ? holderText(*result.holder) : QStringLiteral("another program"));
        if (!result.detail.isEmpty())
            told += QStringLiteral(": ") + result.detail;
        if (!result.succeeded()) {
            fail(what, told);
            return false;
        }
        if (m_stop.hasArrived()) {
            fail(what, {});
            return false;
        }
        return true;
    }

    // Stopped by a signal, the message is the step's own words alone: the
    // parent puts why it stopped the child before them.
    void fail(const QString &what, const QString &told)
    {
        ControllerOutcome &o = m_result.outcome;
        o.action = ControllerOutcome::Action::Failed;
        m_result.stopped = m_stop.hasArrived();
        o.message =
            m_result.stopped || told.isEmpty() ? told : what + QStringLiteral(": ") + QString(told).replace(u'\n', QStringLiteral("; "));
    }

    void progress(int percent)
    {
        if (percent == m_percent)
            return;
        m_percent = percent;
        writeOut(childProgressLine(percent));
    }

    const ChildRequest &m_request;
    ChildResult m_result;
    LinkSettings m_link;
    SystemWholeSecondClock m_clock;
    ConsoleHost m_host;
    DeviceOperations m_operations;
    // SIGINT and SIGTERM stop the work after the record under way; a second one ends the child at once.
    SignalPipe m_stop{{SIGINT, SIGTERM}, exitStatus(ExitCode::Interrupted)};
    int m_percent = -1;
};

} // namespace

int runSiteChild()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        std::fputs("zilctl site-child: standard input cannot be read\n", stderr);
        return exitStatus(ExitCode::BadInput);
    }
    const Result<ChildRequest> request = childRequestFromJson(in.read(LongestRequest));
    if (!request) {
        std::fprintf(stderr, "zilctl site-child: the request was refused: %s\n", qPrintable(request.error()));
        return exitStatus(ExitCode::BadInput);
    }
    ControllerChild child(*request);
    writeOut(childResultLine(child.run()));
    return exitStatus(ExitCode::Success);
}
