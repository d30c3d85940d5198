#include "RunDeviceJob.h"

#include "../SignalPipe.h"
#include "ClockReport.h"
#include "ConsoleHost.h"
#include "ScheduleDifferences.h"
#include "link/WholeSecondClock.h"
#include "operations/DeviceOperations.h"
#include "schedule/CalendarFile.h"
#include "schedule/CalendarText.h"
#include "schedule/DeviceModelNames.h"

#include <QJsonArray>
#include <csignal>
#include <unistd.h>

namespace {

QString linkDescription(const LinkSettings &link)
{
    if (link.transport == LinkTransport::Serial)
        return QStringLiteral("serial %1 %2").arg(link.serialDevice, lineSettingsText(link.line));
    const QString host = link.host.contains(u':') ? u'[' + link.host + u']' : link.host;
    return QStringLiteral("tcp %1:%2").arg(host).arg(link.tcpPort);
}

// One device job: its operations on one link, one host and one clock, and
// what zilctl prints of them.
class DeviceJobRun
{
public:
    explicit DeviceJobRun(const DeviceJob &job) : m_job(job), m_host(::isatty(STDERR_FILENO) == 1), m_operations(m_host, m_clock)
    {
        QObject::connect(&m_stop, &SignalPipe::arrived, &m_stop, [this] { m_host.cancelTransfers(); });
    }

    CommandResult run();

private:
    CommandResult send();
    CommandResult receive();
    CommandResult verify();
    CommandResult clockRead();
    // What the window would have shown for the operations so far, and the
    // system's words when the link did not open.
    CommandResult told(const OperationResult &result) const;

    const DeviceJob &m_job;
    SystemWholeSecondClock m_clock;
    ConsoleHost m_host;
    DeviceOperations m_operations;
    // Ctrl-C (SIGINT) and SIGTERM cancel the work; a second one ends zilctl at once.
    SignalPipe m_stop{{SIGINT, SIGTERM}, exitStatus(ExitCode::Interrupted)};
};

CommandResult DeviceJobRun::run()
{
    // The controller stays this job's from the send to its verify; when
    // another program holds it, the first operation says so.
    LinkLock wholeJob;
    const bool heldThroughout = bool(wholeJob.take(linkLockName(m_job.link)));
    Q_UNUSED(heldThroughout)
    CommandResult result;
    switch (m_job.command) {
    case Subcommand::Send: result = send(); break;
    case Subcommand::Receive: result = receive(); break;
    case Subcommand::Verify: result = verify(); break;
    case Subcommand::ClockSet: result = told(m_operations.SendClock(m_job.link, m_job.model)); break;
    case Subcommand::ClockRead: result = clockRead(); break;
    case Subcommand::RelayTest:
        result = told(m_operations.TestRelay(m_job.link, m_job.model, qint16(m_job.relaySeconds)));
        result.details.insert(QStringLiteral("seconds"), m_job.relaySeconds);
        break;
    case Subcommand::Export:
    case Subcommand::Import:
    case Subcommand::Print: return CommandResult::failure(ExitCode::BadInput, QStringLiteral("not a command that talks to a controller"));
    }
    result.details.insert(QStringLiteral("model"), modelCaption(m_job.model));
    result.details.insert(QStringLiteral("link"), linkDescription(m_job.link));
    if (m_stop.hasArrived()) {
        // A single command is not cut short; it ends within its own wait.
        if (result.exitCode != ExitCode::Interrupted)
            result.message += QStringLiteral("\nstopped by a signal once the command under way had ended");
        result.exitCode = ExitCode::Interrupted;
        result.details.insert(QStringLiteral("interrupted"), true);
    }
    return result;
}

CommandResult DeviceJobRun::told(const OperationResult &result) const
{
    QString message = m_host.told().join(u'\n');
    if (message.isEmpty())
        message = result.message();
    QJsonObject details;
    if (result.holder) { // the Turkish text names the holder already
        details.insert(QStringLiteral("busy"), QJsonObject{{QStringLiteral("program"), result.holder->program},
                                                           {QStringLiteral("pid"), result.holder->pid},
                                                           {QStringLiteral("lock"), result.detail}});
    } else if (!result.detail.isEmpty()) {
        message += QStringLiteral(": ") + result.detail;
        details.insert(QStringLiteral("system_error"), result.detail);
    }
    return {outcomeRow(result.outcome).exitCode, message, {}, details};
}

CommandResult DeviceJobRun::send()
{
    // A "V1" takes its whole memory image, slot entries and the bytes around
    // them alike: send back what it holds there, never zeros. No read, no send.
    if (facts(m_job.model).family == ModelFamily::ProgramMode && !m_operations.holdsControllerImage()) {
        RingCalendar held = clearedCalendar(m_job.model);
        const OperationResult read = m_operations.ReceiveCalendar(m_job.link, m_job.model, held);
        if (!read.succeeded()) {
            CommandResult result = told(read);
            result.message = QStringLiteral("nothing was sent: the controller's memory must be read first, to keep the bytes around "
                                            "the slots, and it was not:\n") +
                             result.message;
            result.details.insert(QStringLiteral("calendar"), m_job.calendarPath);
            return result;
        }
        m_host.forgetTold();
    }
    const OperationResult sent = m_operations.SendCalendar(m_job.link, m_job.model, *m_job.calendar);
    if (!sent.succeeded() || !m_job.verifyAfterSend || m_stop.hasArrived()) {
        CommandResult result = told(sent);
        result.details.insert(QStringLiteral("calendar"), m_job.calendarPath);
        return result;
    }
    return verify();
}

CommandResult DeviceJobRun::receive()
{
    // Slots the model does not carry keep the file's values, as in the window.
    RingCalendar calendar = m_job.calendar.value_or(clearedCalendar(m_job.model));
    calendar.DeviceVersion = qint16(m_job.model);
    const OperationResult received = m_operations.ReceiveCalendar(m_job.link, m_job.model, calendar);
    CommandResult result = told(received);
    result.details.insert(QStringLiteral("calendar"), m_job.calendarPath);
    if (!received.succeeded()) {
        result.message += QStringLiteral("\n%1 is left as it was").arg(m_job.calendarPath);
        return result;
    }
    if (const Result<> saved = SaveCalendar(calendar, m_job.calendarPath); !saved) {
        result.exitCode = ExitCode::BadInput;
        result.message += QStringLiteral("\n%1 cannot be written: %2; it is left as it was").arg(m_job.calendarPath, saved.error());
        return result;
    }
    result.message += QStringLiteral("\n%1 written").arg(m_job.calendarPath);
    return result;
}

CommandResult DeviceJobRun::verify()
{
    RingCalendar controller = clearedCalendar(m_job.model);
    const OperationResult received = m_operations.ReceiveCalendar(m_job.link, m_job.model, controller);
    CommandResult result = told(received);
    result.details.insert(QStringLiteral("calendar"), m_job.calendarPath);
    if (!received.succeeded())
        return result;

    const int slotsPerDay = facts(m_job.model).slotsCarried;
    const QList<SlotDifference> differences = scheduleDifferences(*m_job.calendar, controller, slotsPerDay, m_operations.timesNotOfDay());
    const QString compared = QStringLiteral("days 1-7, slots 1-%1: in_use, time, seconds").arg(slotsPerDay);
    QJsonArray list;
    QStringList lines;
    for (const SlotDifference &d : differences) {
        lines << d.toString();
        list.append(QJsonObject{{QStringLiteral("day"), d.day},
                                {QStringLiteral("slot"), d.slot},
                                {QStringLiteral("field"), d.field},
                                {QStringLiteral("file"), d.inFile},
                                {QStringLiteral("controller"), d.onController}});
    }
    result.details.insert(QStringLiteral("compared"), compared);
    result.details.insert(QStringLiteral("differences"), list);
    if (differences.isEmpty()) {
        result.message += QStringLiteral("\nthe controller holds the schedule of %1 (%2)").arg(m_job.calendarPath, compared);
        return result;
    }
    result.exitCode = ExitCode::Differences;
    const QString count =
        differences.size() == 1 ? QStringLiteral("1 difference") : QStringLiteral("%1 differences").arg(differences.size());
    result.message +=
        QStringLiteral("\n%1 between the controller and %2 (%3):\n").arg(count, m_job.calendarPath, compared) + lines.join(u'\n');
    return result;
}

CommandResult DeviceJobRun::clockRead()
{
    const OperationResult read = m_operations.ReceiveClock(m_job.link, m_job.model);
    if (!read.clock)
        return told(read);
    return clockReadResult(*read.clock, QDateTime::currentDateTime());
}

} // namespace

CommandResult runDeviceJob(const DeviceJob &job)
{
    DeviceJobRun run(job);
    return run.run();
}
